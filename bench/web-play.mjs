// SPDX-License-Identifier: GPL-3.0-or-later
// The browser build's figures, over loopback from our score server (--play) in headless Chromium:
//   node bench/web-play.mjs NATIVE_BUILD WEB_BUILD      (puppeteer-core from tests/web/node_modules)
// Prints the bytes sent for a first visit (compressed, as sent), the time from navigation to the game's first
// frame, the game frames per second in play, and the CPU in play (% of one core): the page's main thread, and the
// whole browser (every process of it; compare the Linux build's, bench/web-compare.sh).
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const require = createRequire(path.join(here, '../tests/web/package.json'));
const puppeteer = require('puppeteer-core');
const [nativeBuild, webBuild] = process.argv.slice(2);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'gw-web-bench-'));

const port = await new Promise((resolve) => {
  const probe = net.createServer().listen(0, '127.0.0.1', () => {
    const p = probe.address().port;
    probe.close(() => resolve(p));
  });
});
const server = spawn(path.join(nativeBuild, 'server/gromwumbler-scores'),
  ['--listen', `127.0.0.1:${port}`, '--db', path.join(scratch, 'scores.db'), '--play', path.join(webBuild, 'play')],
  {stdio: ['ignore', 'ignore', 'pipe']});
await new Promise((resolve) => server.stderr.on('data', (d) => { if (String(d).includes('listening on')) resolve(); }));
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, userDataDir: path.join(scratch, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// CPU seconds used so far by the browser and every process it started (renderer, GPU, network, audio), from
// /proc: what the page costs the machine, not only its main thread.
const ticksPerSecond = 100;
function browserCpuSeconds() {
  const parents = new Map();
  const used = new Map();
  for (const pid of fs.readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parents.set(Number(pid), Number(fields[1]));
      used.set(Number(pid), (Number(fields[11]) + Number(fields[12])) / ticksPerSecond);
    } catch {
      // gone meanwhile
    }
  }
  const root = browser.process().pid;
  let total = 0;
  for (const [pid, seconds] of used) {
    for (let p = pid; p > 1; p = parents.get(p) ?? 0) {
      if (p === root) {
        total += seconds;
        break;
      }
    }
  }
  return total;
}
try {
  const page = await browser.newPage();
  await page.setViewport({width: 1280, height: 800});
  const cdp = await page.target().createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Performance.enable');
  let bytes = 0;
  cdp.on('Network.loadingFinished', (e) => { bytes += e.encodedDataLength; });
  await page.goto(`http://127.0.0.1:${port}/play/`, {waitUntil: 'load'});
  await page.waitForFunction(() => performance.getEntriesByName('gw-first-frame').length > 0, {timeout: 30000});
  const firstFrameMs = await page.evaluate(() => performance.getEntriesByName('gw-first-frame')[0].startTime);
  // Past the splash and its hold, into a game.
  await page.waitForFunction(() => window.Module.gwFrames > 300, {timeout: 30000});
  await sleep(3000);
  await page.keyboard.press('Enter');
  await sleep(3000);
  const metric = async () => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
  const before = await metric();
  const frames0 = await page.evaluate(() => window.Module.gwFrames);
  const cpu0 = browserCpuSeconds();
  const t0 = Date.now();
  await sleep(10000);
  const after = await metric();
  const cpu1 = browserCpuSeconds();
  const frames1 = await page.evaluate(() => window.Module.gwFrames);
  const wall = (Date.now() - t0) / 1000;
  // The machine's own load tells how far the figures can be trusted on a shared machine.
  console.log(`load average while measuring: ${os.loadavg().map((l) => l.toFixed(2)).join(' ')} (${os.cpus().length} cores)`);
  console.log(`first visit: ${(bytes / 1e6).toFixed(2)} MB sent`);
  console.log(`navigation to first frame: ${(firstFrameMs / 1000).toFixed(2)} s`);
  console.log(`game frames per second in play: ${((frames1 - frames0) / wall).toFixed(1)}`);
  console.log(`page CPU in play: ${(100 * (after.TaskDuration - before.TaskDuration) / wall).toFixed(1)} % of a core`);
  console.log(`the whole browser's CPU in play (every process of it): ${(100 * (cpu1 - cpu0) / wall).toFixed(1)} % of a core`);
} finally {
  await browser.close();
  server.kill('SIGTERM');
  fs.rmSync(scratch, {recursive: true, force: true});
}
