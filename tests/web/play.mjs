// SPDX-License-Identifier: GPL-3.0-or-later
// The browser build as a player meets it: our score server started with --play, the page in headless Chromium
// (Debian's), driven over its DevTools protocol.
//   node tests/web/play.mjs NATIVE_BUILD WEB_BUILD [SHOTS_DIR]
// Checks: no console error; the splash, then the menu, whose frame is the Linux build's to the pixel; Enter
// starts a game that lasts as long as on Linux by the page's clock, and its sound is heard from the first key on;
// a played game's high score is typed (partly on a touch screen's keyboard), sent with its recording and stored
// verified by the server; with the browser closed and started again the page's storage still holds it and the
// table screen (chosen with a game controller) shows it as before; on a phone's screen a tap passes the splash;
// the records page links the game to its recording, which the page shows as it was played; a browser that
// refuses storage gets a game that says the scores are not kept. With SHOTS_DIR, the page at a desktop's and a
// phone's sizes is saved there.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [nativeBuild, webBuild, shots] = process.argv.slice(2);
if (!webBuild) {
  console.error('usage: node tests/web/play.mjs NATIVE_BUILD WEB_BUILD [SHOTS_DIR]');
  process.exit(2);
}
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'gw-web-test-'));
const failures = [];
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures.push(what);
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

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
    await sleep(everyMs);
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
const origin = `http://127.0.0.1:${port}`;

// The browser, with a profile of its own that outlives it: closed and started again, it keeps the page's storage.
const launch = () => puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: path.join(scratch, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--force-color-profile=srgb',
         '--autoplay-policy=no-user-gesture-required'],
});
let browser = await launch();
const errors = [];

// The canvas as shown, read back from a screenshot of its box (the page draws it 1:1 here), as RGB bytes; the
// page decodes it, as it has a PNG decoder.
async function canvasRgb(page) {
  const png = await page.screenshot({clip: {x: 0, y: 0, width: 800, height: 600}, encoding: 'base64'});
  const rgb = await page.evaluate(async (data) => {
    const bitmap = await createImageBitmap(new Blob([Uint8Array.from(atob(data), (ch) => ch.charCodeAt(0))],
                                                    {type: 'image/png'}));
    const c = new OffscreenCanvas(800, 600).getContext('2d');
    c.drawImage(bitmap, 0, 0);
    const rgba = c.getImageData(0, 0, 800, 600).data;
    const out = new Uint8Array(800 * 600 * 3);
    for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) out.set(rgba.subarray(i, i + 3), j);
    let text = '';
    for (let i = 0; i < out.length; i += 0x8000) text += String.fromCharCode(...out.subarray(i, i + 0x8000));
    return btoa(text);
  }, png);
  return Buffer.from(rgb, 'base64');
}

// The canvas's own pixels, whatever size the page shows it at, as RGB bytes.
async function canvasOwnRgb(page) {
  const rgb = await page.evaluate(() => {
    const rgba = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 800, 600).data;
    let text = '';
    for (let i = 0; i < rgba.length; i += 4) text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return btoa(text);
  });
  return Buffer.from(rgb, 'base64');
}

function pixelsDiffering(a, b) {
  let n = 0;
  for (let i = 0; i < a.length; i += 3) {
    if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) n++;
  }
  return n;
}

// A page of the game in `where` (the browser, or a context of its own); with refuseStorage, the browser refuses
// the page any storage, as some private modes do.
async function openPage(where = browser, refuseStorage = false) {
  const page = await where.newPage();
  if (refuseStorage) {
    await page.evaluateOnNewDocument(() => {
      IDBFactory.prototype.open = () => { throw new DOMException('The operation is insecure.', 'SecurityError'); };
    });
  }
  // The stage is the window less the bar below it: 800x600 CSS pixels, one to one.
  await page.setViewport({width: 800, height: 640, deviceScaleFactor: 1});
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  // The loudest sample the game's sound has sent to the page's audio output, and whether a sound context was
  // made before the player acted.
  // A game controller as the browser's gamepad support shows one of standard layout, there from the start; the
  // test presses its buttons by changing its state, as a real one would.
  await page.evaluateOnNewDocument(() => {
    const pad = {id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard', timestamp: 1,
                 axes: [0, 0, 0, 0], buttons: Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0}))};
    navigator.getGamepads = () => [pad, null, null, null];
    window.gwPadButton = (index, down) => {
      pad.buttons[index] = {pressed: down, touched: down, value: down ? 1 : 0};
      pad.timestamp += 1;
    };
  });
  await page.evaluateOnNewDocument(() => {
    window.gwPeak = 0;
    window.gwContextBeforeAct = false;
    for (const type of ['keydown', 'mousedown', 'touchend']) {
      window.addEventListener(type, () => { window.gwActed = true; }, {capture: true, once: true});
    }
    const Context = window.AudioContext;
    window.AudioContext = function (...args) {
      if (!window.gwActed) window.gwContextBeforeAct = true;
      return new Context(...args);
    };
    const handler = Object.getOwnPropertyDescriptor(ScriptProcessorNode.prototype, 'onaudioprocess');
    Object.defineProperty(ScriptProcessorNode.prototype, 'onaudioprocess', {
      get() { return handler.get.call(this); },
      set(fill) {
        handler.set.call(this, function (e) {
          fill.call(this, e);
          for (let c = 0; c < e.outputBuffer.numberOfChannels; c++) {
            for (const v of e.outputBuffer.getChannelData(c)) window.gwPeak = Math.max(window.gwPeak, Math.abs(v));
          }
        });
      },
    });
  });
  await page.goto(`${origin}/play/`, {waitUntil: 'load'});
  return page;
}

// The settings file's table (see the game's settings file): three flags, the country, then ten names, each a
// length byte and complemented bytes, with little-endian 32-bit scores.
function tableOf(bytes) {
  let at = 3;
  const text = () => {
    const n = bytes[at];
    const s = new TextDecoder('windows-1251').decode(bytes.subarray(at + 1, at + 1 + n).map((b) => 255 - b));
    at += 1 + n;
    return s;
  };
  text();
  const rows = [];
  for (let i = 0; i < 10; i++) {
    const name = text();
    rows.push({name, score: Buffer.from(bytes.subarray(at, at + 4)).readInt32LE(0)});
    at += 4;
  }
  return rows;
}

async function storedTable(page) {
  const bytes = await page.evaluate(() => {
    try {
      return Array.from(window.Module.FS.readFile('/save/Config.cfg'));
    } catch (e) {
      return null;
    }
  });
  return bytes && tableOf(Uint8Array.from(bytes));
}

async function serverScores(query) {
  const reply = await fetch(`${origin}/api/scores?${query}`);
  return reply.ok ? reply.json() : [];
}

// The standard gamepad layout's buttons: A, and the pad's down.
const kPadA = 0;
const kPadDown = 13;

// The game types letters as on its Russian layout: these keys make "ЦУИЕУЫЕ".
const kKeys = 'WEBTEST';
const kName = 'ЦУИЕУЫЕ';

try {
  const menu = await reference;
  let page = await openPage();
  // The splash comes first: green text on black.
  const black = Buffer.alloc(800 * 600 * 3);
  const splash = await until(async () => {
    const lit = pixelsDiffering(await canvasRgb(page), black);
    return lit > 1000 && lit < 100000;
  }, 15000, 200);
  check(splash !== null, 'the splash shows');
  let last = null;
  const shown = await until(async () => (last = pixelsDiffering(await canvasRgb(page), menu)) === 0, 20000, 250);
  check(shown, `the menu's frame is the Linux build's to the pixel (${last} pixels differ)`);
  if (shots) await page.screenshot({path: path.join(shots, 'web-menu-800x640.png')});

  // A game with no input: the level's time runs out and the game ends; the page's clock measures it.
  const started = await page.evaluate(() => performance.now());
  await page.keyboard.press('Enter');
  await until(async () => pixelsDiffering(await canvasRgb(page), menu) > 10000, 5000, 100);
  // The menu came back between the last look without it and the first with it: the middle of the two, by the
  // page's clock read just before each screenshot, so the screenshots' own time does not count.
  let before = started;
  let seen = null;
  const back = await until(async () => {
    const at = await page.evaluate(() => performance.now());
    if (pixelsDiffering(await canvasRgb(page), menu) === 0) return (seen = at);
    before = at;
    return null;
  }, 40000, 50);
  const seconds = ((before + (seen ?? before)) / 2 - started) / 1000;
  const expected = 2 + 1100 / 64 + 2;
  check(back && Math.abs(seconds - expected) <= expected * 0.05,
        `a game without input lasts ${seconds.toFixed(2)} s (${expected.toFixed(2)} s +-5 %)`);
  const sound = await page.evaluate(() => ({peak: window.gwPeak, early: window.gwContextBeforeAct}));
  check(!sound.early && sound.peak > 0.05,
        `the sound starts with the player's first key (peak ${sound.peak.toFixed(3)}; a context made before: ${sound.early})`);

  // Games played: the tongue shot out again and again through the first level (Ctrl fires and types nothing),
  // then no more, so the next level's target is missed and the game ends; the page learns when the game edits
  // the high score's name.
  await page.evaluate(() => {
    const told = window.Module.gwEditingText;
    window.Module.gwEditingText = (on) => {
      window.gwTestEditing = on;
      told(on);
    };
  });
  let naming = false;
  for (let game = 0; game < 6 && !naming; game++) {
    await page.keyboard.press('Enter');
    const firing = Date.now() + (2 + 1100 / 64 - 0.3) * 1000;
    while (Date.now() < firing) {
      await page.keyboard.press('ControlRight');
      await sleep(60);
    }
    // Too low a score for the table: the game goes back to the menu, and another is played.
    await until(async () => (naming = await page.evaluate(() => window.gwTestEditing === true)) ||
                            pixelsDiffering(await canvasRgb(page), menu) === 0, 30000, 250);
  }
  check(naming, 'a played game asks for the high score\'s name');
  // The first letters from the keyboard; the rest from a touch screen's keyboard, which types into the page's
  // field (focused by a tap on the picture while the name is edited) without any key event.
  await page.keyboard.type(kKeys.slice(0, 4), {delay: 30});
  await page.touchscreen.tap(5, 5);
  const focused = await until(() => page.evaluate(() => document.activeElement.id === 'typing'), 3000, 100);
  check(focused, 'a tap while the name is edited brings up a touch screen\'s keyboard (the page\'s field has the focus)');
  for (const letter of kName.slice(4)) {
    await page.keyboard.sendCharacter(letter);
    await sleep(50);
  }
  await page.keyboard.press('Enter');  // the name is kept
  await sleep(500);
  await page.keyboard.press('ArrowLeft');  // "yes": send it
  await page.keyboard.press('Enter');
  const verified = await until(async () => (await serverScores('period=all')).find((r) => r.name === kName), 15000, 250);
  const stored = verified || (await serverScores('period=all&all=1')).find((r) => r.name === kName);
  check(stored, `the page's score is stored by the server (${JSON.stringify(stored)})`);
  check(verified && verified.verified, 'the page sent its recording and the server verified the score');
  const kept = await until(async () => {
    const table = await storedTable(page);
    return table && table.find((r) => r.name === kName);
  }, 5000, 250);
  check(kept && stored && kept.score === stored.score,
        `the page's table keeps the high score (${JSON.stringify(kept)})`);
  // The game is on its table screen now.
  await sleep(1000);
  const tableShown = await canvasRgb(page);
  if (shots) await page.screenshot({path: path.join(shots, 'web-table-800x640.png')});

  // The browser closed and started again: the storage is read again before the game starts.
  await browser.close();
  browser = await launch();
  page = await openPage();
  await until(async () => pixelsDiffering(await canvasRgb(page), menu) === 0, 30000, 250);
  const reloaded = await storedTable(page);
  check(reloaded && reloaded.some((r) => r.name === kName && r.score === kept?.score),
        'after the browser was closed and started again the page\'s storage still holds the high score');
  // The menu's third entry is the table: chosen with the controller (down, down, A).
  for (const button of [kPadDown, kPadDown, kPadA]) {
    await page.evaluate((b) => window.gwPadButton(b, true), button);
    await sleep(150);
    await page.evaluate((b) => window.gwPadButton(b, false), button);
    await sleep(150);
  }
  let tableDiff = null;
  await until(async () => (tableDiff = pixelsDiffering(await canvasRgb(page), tableShown)) === 0, 5000, 250);
  check(tableDiff === 0,
        `then the table, chosen with the game controller, is the same (${tableDiff} pixels differ)`);

  // The picture fills the window with its aspect kept, at a desktop's and a phone's sizes. A phone's viewport
  // loads the page anew: a tap passes the splash, to the menu.
  for (const [w, h, touch] of [[1280, 800, false], [390, 844, true], [844, 390, true]]) {
    await page.setViewport({width: w, height: h, deviceScaleFactor: 1, isMobile: touch, hasTouch: touch});
    if (touch) {
      await until(() => page.evaluate(() => Boolean(window.Module && window.Module.gwFrames > 0)), 20000);
      const box = await page.evaluate(() => {
        const r = document.getElementById('canvas').getBoundingClientRect();
        return {x: r.x + r.width / 2, y: r.y + r.height / 2};
      });
      await page.touchscreen.tap(box.x, box.y);
      let tapDiff = null;
      await until(async () => (tapDiff = pixelsDiffering(await canvasOwnRgb(page), menu)) === 0, 10000, 250);
      check(tapDiff === 0, `at ${w}x${h} a tap on the splash leads to the menu (${tapDiff} pixels differ)`);
    }
    await sleep(500);
    if (shots) await page.screenshot({path: path.join(shots, `web-${w}x${h}.png`)});
  }

  // The records page links the verified game to its recording; the page shows it to its end at the pace it was
  // played, then goes back to the records.
  const row = (await serverScores('period=all')).find((r) => r.name === kName);
  const records = await (await fetch(`${origin}/`)).text();
  check(row && row.id && records.includes(`href="/play/?watch=${row.id}"`),
        `the records page links the verified game to its recording (${row && row.id})`);
  if (row && row.id) {
    await page.setViewport({width: 800, height: 640, deviceScaleFactor: 1, isMobile: false, hasTouch: false});
    let ended = null;
    const listen = (m) => {
      const told = /recorded game ended at (\d+) points on level (\d+) after (\d+) frames/.exec(m.text());
      if (told) ended = told.slice(1).map(Number);
    };
    page.on('console', listen);
    const opened = Date.now();
    await page.goto(`${origin}/play/?watch=${row.id}`, {waitUntil: 'load'});
    await until(() => ended, 180000, 250);
    const took = (Date.now() - opened) / 1000;
    page.off('console', listen);
    check(ended && ended[0] === row.score && took >= (ended[2] / 64) * 0.95,
          `the page shows the recorded game as it was played (${ended ? `${ended[0]} points, level ${ended[1]}, ` +
          `${ended[2]} frames in ${took.toFixed(1)} s` : 'no end seen'}; the server keeps ${row.score})`);
    const back = await until(async () => page.url() === `${origin}/`, 5000, 100);
    check(back, 'after the recorded game the page goes back to the records');
  }

  // A browser that refuses storage: the game plays all the same, and its table screen carries the notice that the
  // scores are not kept, where the same screen in a browser that keeps them has none.
  const tables = [];
  for (const refuse of [false, true]) {
    const context = await browser.createBrowserContext();
    const fresh = await openPage(context, refuse);
    await until(async () => pixelsDiffering(await canvasRgb(fresh), menu) === 0, 30000, 250);
    for (const key of ['ArrowDown', 'ArrowDown', 'Enter']) await fresh.keyboard.press(key);
    await sleep(1000);
    tables.push({rgb: await canvasRgb(fresh), refused: await fresh.evaluate(() => window.Module.gwStorageRefused === true)});
    if (refuse && shots) await fresh.screenshot({path: path.join(shots, 'web-no-storage-table.png')});
    await context.close();
  }
  const notice = pixelsDiffering(tables[0].rgb, tables[1].rgb);
  check(!tables[0].refused && tables[1].refused && notice > 300 && notice < 50000,
        `a browser that refuses storage gets a playing game whose table screen carries the notice (${notice} pixels)`);
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
