// The page in headless Chromium, two tests:
// - game: on a desktop and on a phone held upright and on its side, whole games (level 1,
//   RANDOM off) by keys on the desktop and by taps on the phones: the canvas, read back by
//   `dfx read-screen`, equals what `dfx replay` gives for the equivalent keys after every
//   computer move and at the end. The LCD fits every viewport at a size whose dots cover
//   whole device pixels; the browser's zoom keys never reach the game; the on-screen keys
//   send what the keyboard sends, once per press; the screen-reader text (six live lines,
//   64 grid cells) equals the canvas throughout; no console errors.
// - app: installable; its service worker answers the next load, offline too; after a
//   rebuild a load runs one build's files, never a mix; axe finds no WCAG 2.1 A/AA
//   violation on a game under way.
// Usage: node page_test.mjs game|app WEB_DIR CHROMIUM DFX CMAKE  (run from the source folder)
import { createHash } from 'node:crypto';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { launchChromium, servePage, settled } from '../../../tools/web/page.mjs';

const [test, webDir, chromium, dfx, cmake] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'dfx-page-'));
const fail = (message) => { throw new Error(message); };
const problems = [];
let server;
const hash = (bytes) => createHash('sha256').update(bytes).digest('hex');

// Key names as dfx replay spells them, and as the browser's KeyboardEvent.code does.
const codes = { R: 'KeyR', 1: 'Digit1', 2: 'Digit2', RIGHT: 'ArrowRight', LEFT: 'ArrowLeft', UP: 'ArrowUp',
  DOWN: 'ArrowDown', RETURN: 'Enter', BACK: 'Backspace', SPACE: 'Space', CONTROL: 'Control' };
const dirs = [[1, 0], [-1, 0], [0, 1], [0, -1], [1, 1], [1, -1], [-1, 1], [-1, -1]];
// The first legal square for Black (X) in row order, as a board index; or -1.
const firstLegal = (b) => [...b].findIndex((c, i) => c === '-' && dirs.some(([dx, dy]) => {
  let line = '';
  const on = (x, y) => x >= 0 && x < 8 && y >= 0 && y < 8;
  for (let x = (i % 8) + dx, y = Math.floor(i / 8) + dy; on(x, y); x += dx, y += dy) line += b[y * 8 + x];
  return /^O+X/.test(line);
}));
// How the grid names a square's content, by dfx read-screen's letter for it (1..3: a disc's turning frames).
const words = { '-': 'empty', X: 'black', O: 'white', 1: 'turning', 2: 'turning', 3: 'turning' };
// Picture pixels of the middle of a text cell and of a board square.
const cell = (column, row) => [8 + 24 * column + 12, 8 + 32 * row + 16];
const square = (index) => [24 * (index % 8) + 22, 24 * Math.floor(index / 8) + 22];

const viewports = {
  desktop: { width: 1280, height: 800 },
  upright: { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  side: { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  tablet: { width: 820, height: 1180, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
  small: { width: 320, height: 480, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
  smallSide: { width: 480, height: 320, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
};

// The middle of the on-screen key with that dfx replay name.
const middle = (page, key) => page.$eval(`#keys button[data-key="${key}"]`, (b) => {
  const r = b.getBoundingClientRect();
  return [r.left + r.width / 2, r.top + r.height / 2];
});


// One visit: the inputs sent so far, as dfx replay key names, and the ways to send more.
async function visit(name, deviceScaleFactor) {
  const page = await browser.newPage();
  await page.setViewport({ ...viewports[name], ...(deviceScaleFactor && { deviceScaleFactor }) });
  page.on('console', (m) => m.type() === 'error' && problems.push(`${name} console: ${m.text()}`));
  page.on('pageerror', (e) => problems.push(`${name} page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`${name} request failed: ${r.url()}`));
  // A generous limit for a functional test; `make bench-web` measures the time.
  await page.goto(server.url).then(() => settled(page, 0, 60000));
  // The equivalent keys, and how many inputs the game has taken.
  const sent = [];
  let taken = 0;
  const tapAt = (x, y) => (viewports[name].hasTouch ? page.touchscreen.tap(x, y) : page.mouse.click(x, y));
  const v = {
    page, sent, name,
    key: async (key) => {
      sent.push(key);
      await page.keyboard.press(codes[key]);
      await settled(page, ++taken);
    },
    // A tap at picture pixel (x, y), which the game takes as the keys `means`.
    tap: async ([x, y], ...means) => {
      const r = await page.$eval('#screen', (c) => c.getBoundingClientRect().toJSON());
      sent.push(...means);
      await tapAt(r.left + (x + 0.5) * r.width / 640, r.top + (y + 0.5) * r.height / 204);
      await settled(page, ++taken);
    },
    // On-screen keys, tapped one after another without waiting for the game.
    buttons: async (keys) => {
      for (const key of keys) {
        sent.push(key);
        ++taken;
        await tapAt(...(await middle(page, key)));
      }
      await settled(page, taken);
    },
    screen: async (when) => {
      const file = path.join(work, `${name}${sent.length}.png`);
      const png = await page.$eval('#screen', (c) => c.toDataURL('image/png').split(',')[1]);
      fs.writeFileSync(file, Buffer.from(png, 'base64'));
      const quiet = { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] };
      const seen = execFileSync(dfx, ['read-screen', '--json', file], quiet);
      const want = execFileSync(dfx, ['replay', '--json', '--keys', sent.join(' ')], { encoding: 'utf8' });
      if (seen !== want) fail(`${name}, ${when}: the page shows\n${seen}\nbut dfx replay gives\n${want}`);
      // What a screen reader is given is what the canvas shows: six lines, 64 squares, one cursor at most.
      const shown = JSON.parse(seen);
      const text = await page.evaluate(() => ({
        lines: [...document.querySelectorAll('#screen-lines div')].map((d) => d.dataset.cells),
        cells: [...document.querySelectorAll('#screen-board [role=gridcell]')].map((c) => c.textContent),
      }));
      const squares = [...shown.board].map((c, i) =>
        `${'abcdefgh'[i % 8]}${Math.floor(i / 8) + 1}, ${words[c] || 'not shown'}`);
      if (JSON.stringify(text.lines) !== JSON.stringify(shown.lines) ||
          JSON.stringify(text.cells.map((c) => c.replace(/, cursor$/, ''))) !== JSON.stringify(squares) ||
          text.cells.filter((c) => c.endsWith(', cursor')).length > 1)
        fail(`${name}, ${when}: the screen-reader text\n${JSON.stringify(text)}\ndiffers from the canvas`);
      return shown;
    },
  };
  return v;
}

// The canvas lies wholly in the viewport, its dots on whole device pixels, as large as the
// room allows; on a touch screen every on-screen key is inside too, at least 44 px square;
// nothing scrolls.
async function expectFit(v) {
  const f = await v.page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    const room = document.getElementById('lcd').getBoundingClientRect();
    const keys = [...document.querySelectorAll('#keys button')].map((b) => b.getBoundingClientRect())
      .filter((b) => b.width > 0).map((b) => [b.left, b.top, b.right, b.bottom, b.width, b.height]);
    const s = document.scrollingElement;
    return { r: r.toJSON(), room: room.toJSON(), keys, ratio: devicePixelRatio, w: innerWidth, h: innerHeight,
      scrolls: s.scrollWidth > innerWidth || s.scrollHeight > innerHeight };
  });
  const { r, room, ratio } = f;
  const where = `${v.name} at ratio ${ratio}`;
  const inside = ([left, top, right, bottom]) =>
    left >= 0 && top >= 0 && right <= f.w + 0.01 && bottom <= f.h + 0.01;
  if (!inside([r.left, r.top, r.right, r.bottom])) {
    fail(`${where}: the canvas ${JSON.stringify(r)} leaves the viewport`);
  }
  const perDot = (r.width * ratio) / 160;
  if (Math.abs(perDot - Math.round(perDot)) > 0.01 || Math.abs((r.height * ratio) / 51 - perDot) > 0.01 ||
      (perDot >= 8 && Math.round(perDot) % 4)) fail(`${where}: ${r.width}x${r.height} is not sharp`);
  const next = Math.round(perDot) >= 8 ? Math.round(perDot) + 4 : Math.round(perDot) + 1;
  if ((160 * next) / ratio <= room.width && (51 * next) / ratio <= room.height) {
    fail(`${where}: ${r.width} px wide is not the largest`);
  }
  const reachable = (k) => inside(k) && k[4] >= 44 && k[5] >= 44;
  if (viewports[v.name].hasTouch && (f.keys.length !== 9 || !f.keys.every(reachable)))
    fail(`${where}: on-screen keys missing, small or outside: ${JSON.stringify(f.keys)}`);
  if (f.scrolls) fail(`${where}: the page scrolls`);
  await v.page.screenshot({ path: path.join(process.env.DFX_WEB_SHOTS || work, `${v.name}-${ratio}.png`) });
}

// A whole game, level 1, RANDOM off, you start: by keys, or by taps on the LCD only.
async function playGame(v, byTaps) {
  let screen = await v.screen('title screen');
  if (!screen.lines[0].includes('Discoflipparex')) fail(`${v.name}: no title screen`);
  const row = (text) => screen.lines.findIndex((l) => l.includes(text));
  if (byTaps) {
    await v.tap(cell(screen.lines[row('[R]')].indexOf('[R]') + 4, row('[R]')), 'R');
    const level = row('LEVEL');
    await v.tap(cell(screen.lines[level].search(/\d/) + 3, level), 'RIGHT');
    await v.tap(cell(screen.lines[row('[1]')].indexOf('[1]') + 6, row('[1]')), '1');
  } else {
    for (const name of ['R', 'RIGHT', '1']) await v.key(name);
  }
  screen = await v.screen('first turn');
  let moves = 0;
  while (!/^(DRAW|You Win|You Lose)/.test(screen.lines[1].slice(9))) {
    if (screen.lines[1].slice(9).startsWith('You Pass!')) {
      await (byTaps ? v.tap(square(27), 'RETURN') : v.key('SPACE'));
    } else {
      const index = firstLegal(screen.board);
      if (index < 0 || ++moves > 64) {
        fail(`${v.name}: no legal square, or no end:\n${JSON.stringify(screen)}`);
      }
      // Left and Up against the edges first: the cursor is then at the corner.
      const route = [['LEFT', 7], ['UP', 7], ['RIGHT', index % 8], ['DOWN', Math.floor(index / 8)]];
      const keys = route.flatMap(([name, times]) => Array(times).fill(name));
      if (byTaps) {
        await v.tap(square(index), ...keys, 'RETURN');
      } else {
        for (const name of [...keys, 'RETURN']) await v.key(name);
      }
    }
    screen = await v.screen(`after move ${moves}`);
  }
  console.log(`${v.name}: a whole game of ${moves} moves by ${byTaps ? 'taps' : 'keys'} equals dfx replay: ` +
    screen.lines[1].slice(9).trim());
}

async function gameTest() {
  server = await servePage(webDir);
  // Desktop: the legend, no keys; sharp at every device scale (browser zoom, a phone's ratio).
  for (const deviceScaleFactor of [1.25, 1.5, 2, 2.625]) {
    const v = await visit('desktop', deviceScaleFactor);
    await expectFit(v);
    await v.page.close();
  }
  const desk = await visit('desktop');
  await expectFit(desk);
  await playGame(desk, false);
  // The browser's zoom keys (Ctrl, or Command on a Mac) leave the result showing; Ctrl
  // pressed alone still goes on.
  for (const modifier of ['Control', 'Meta']) {
    for (const key of ['Equal', 'Minus', 'Digit0', 'NumpadAdd']) {
      await desk.page.keyboard.down(modifier);
      await desk.page.keyboard.press(key);
      await desk.page.keyboard.up(modifier);
    }
  }
  await new Promise((resolve) => setTimeout(resolve, 300));
  await desk.screen('after the zoom keys');
  await desk.key('CONTROL');
  await desk.screen('after Ctrl alone');

  for (const name of ['tablet', 'small', 'smallSide']) await expectFit(await visit(name));
  for (const name of ['upright', 'side']) {
    const phone = await visit(name);
    await expectFit(phone);
    // Each press of an on-screen key is sent once, however quickly they follow.
    await phone.buttons(['RIGHT', 'RIGHT', 'LEFT', 'LEFT', 'R', 'R', 'UP', 'DOWN', 'BACK']);
    await playGame(phone, true);
    await expectFit(phone);
    // Every on-screen key sends what the keyboard's key sends.
    const heard = () => phone.page.evaluate(() => window.heard.splice(0).join(' '));
    await phone.page.evaluate(() => {
      window.heard = [];
      addEventListener('keydown', (e) => window.heard.push(`${e.key}/${e.code}`), true);
    });
    const names = ['UP', 'LEFT', 'RIGHT', 'DOWN', 'RETURN', 'BACK', '1', '2', 'R'];
    for (const key of names) await phone.page.keyboard.press(codes[key]);
    const typed = await heard();
    for (const key of names) {
      await phone.page.touchscreen.tap(...(await middle(phone.page, key)));
    }
    if ((await heard()) !== typed) fail(`${name}: the on-screen keys do not send what the keyboard sends`);
  }
}

async function appTest() {
  // Two builds: A as built, B the same with a changed .js and .wasm (a custom section) and
  // the worker written again by the build's own step, as a rebuild after any change does.
  const builds = { A: path.join(work, 'A'), B: path.join(work, 'B') };
  for (const dir of Object.values(builds)) fs.cpSync(webDir, dir, { recursive: true });
  fs.appendFileSync(path.join(builds.B, 'discoflipparex.js'), '\n// rebuilt\n');
  const section = Buffer.from([0, 8, 7, ...Buffer.from('rebuilt')]);
  fs.appendFileSync(path.join(builds.B, 'discoflipparex.wasm'), section);
  execFileSync(cmake, [`-DDIR=${builds.B}`, '-DVERSION=test', '-DTEMPLATE=src/host/web/sw.js', '-P',
    'cmake/web_app.cmake']);
  const cacheOf = (dir) =>
    /const CACHE = '([^']+)'/.exec(fs.readFileSync(path.join(dir, 'sw.js'), 'utf8'))[1];
  const gameFiles = ['discoflipparex.js', 'discoflipparex.wasm'];
  const buildOf = Object.fromEntries(Object.entries(builds).flatMap(([name, dir]) =>
    gameFiles.map((file) => [hash(fs.readFileSync(path.join(dir, file))), name])));

  server = await servePage(builds.A);
  const page = await browser.newPage();
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  // Which build each game file of a load came from.
  let loaded = [];
  page.on('response', (r) => gameFiles.some((f) => r.url().endsWith(f)) &&
    loaded.push(r.buffer().then((b) => buildOf[hash(b)] || `unknown ${r.url()}`)));
  let taken = 0;
  // Settled, and the screen-reader text written.
  const settle = () => settled(page, taken).then(() =>
    page.waitForFunction(() => document.querySelector('#screen-lines div').dataset.cells, { polling: 5 }));
  const load = async (how) => {
    loaded = [];
    taken = 0;
    await how();
    await settle();
    const from = [...new Set(await Promise.all(loaded))];
    if (loaded.length !== 2 || from.length !== 1) {
      fail(`a load ran ${from.join(' and ')} (${loaded.length} files)`);
    }
    return from[0];
  };
  const startGame = async () => {
    ++taken;
    await page.keyboard.press('Digit1');
    await settle();
  };
  const lines = () => page.$$eval('#screen-lines div', (ds) => ds.map((d) => d.dataset.cells));

  await load(() => page.goto(server.url));
  const cdp = await page.createCDPSession();
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  if (installabilityErrors.length) fail(`not installable: ${JSON.stringify(installabilityErrors)}`);
  await page.waitForFunction(() => navigator.serviceWorker.ready.then((r) => r.active.state === 'activated'),
    { timeout: 30000 });

  // Offline: the worker's cache alone starts the page and a game.
  await page.setOfflineMode(true);
  const offline = await load(() => page.reload());
  if (offline !== 'A' || !(await lines())[0].includes('Discoflipparex')) fail('no title screen offline');
  await startGame();
  if (!(await lines())[0].includes('You (Black)')) fail(`no game offline: ${await lines()}`);
  await page.setOfflineMode(false);

  // A rebuild: the open build's worker answers one more load with its own files; the new
  // worker, installed meanwhile, answers the next one with the new files only.
  server.root = builds.B;
  const first = await load(() => page.reload());
  await page.waitForFunction((name) => caches.keys().then((k) => k.length === 1 && k[0] === name),
    { timeout: 30000 }, cacheOf(builds.B));
  const second = await load(() => page.reload());
  if (first !== 'A' || second !== 'B') fail(`after the rebuild the loads ran ${first} then ${second}`);
  console.log(`installable; offline start; rebuild: ${first} then ${second}, cache ${cacheOf(builds.B)}`);

  // The on-screen keys shown, as after a first touch, so that axe sees them too.
  await startGame();
  await page.evaluate(() => document.documentElement.classList.add('touch'));
  const axe = createRequire(import.meta.url)('axe-core');
  await page.evaluate(axe.source);
  const tags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'];
  const { violations } = await page.evaluate((values) => axe.run({ runOnly: { type: 'tag', values } }), tags);
  const named = violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(', ')}`);
  if (violations.length) fail(`axe: ${named.join('\n')}`);
  console.log('axe: no violations');
}

const browser = await launchChromium(chromium);
try {
  await (test === 'app' ? appTest() : gameTest());
  if (problems.length) fail(problems.join('\n'));
} finally {
  await browser.close();
  server?.close();
  fs.rmSync(work, { recursive: true, force: true });
}
