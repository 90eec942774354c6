// The page as an app in headless Chromium: installable; its service worker answers the
// next load, offline too; after a rebuild a load runs one build's files, never a mix; and
// through a whole game at level 1 the screen-reader text (six live lines, 64 grid cells,
// the cursor) equals what `dfx read-screen` reads from the canvas; axe finds no WCAG 2.1
// A/AA violation.
// Usage: node web_app_test.mjs WEB_DIR DFX CHROMIUM CMAKE  (run from the source folder)
import { createHash } from 'node:crypto';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import puppeteer from 'puppeteer-core';

const [webDir, dfx, chromium, cmake] = process.argv.slice(2);
const fail = (message) => { throw new Error(message); };
if (!fs.existsSync(path.join(webDir, 'sw.js'))) fail(`no page in ${webDir}: run make web first`);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'dfx-webapp-'));
const hash = (bytes) => createHash('sha256').update(bytes).digest('hex');

// Two builds: A as built, B the same with a changed .js and .wasm (a custom section) and
// the worker written again by the build's own step, as a rebuild after any change does.
const builds = { A: path.join(work, 'A'), B: path.join(work, 'B') };
for (const dir of Object.values(builds)) fs.cpSync(webDir, dir, { recursive: true });
fs.appendFileSync(path.join(builds.B, 'discoflipparex.js'), '\n// rebuilt\n');
fs.appendFileSync(path.join(builds.B, 'discoflipparex.wasm'), Buffer.from([0, 8, 7, ...Buffer.from('rebuilt')]));
execFileSync(cmake, [`-DDIR=${builds.B}`, '-DVERSION=test', '-DTEMPLATE=src/host/web/sw.js', '-P', 'cmake/web_app.cmake']);
const cacheOf = (dir) => /const CACHE = '([^']+)'/.exec(fs.readFileSync(path.join(dir, 'sw.js'), 'utf8'))[1];
const gameFiles = ['discoflipparex.js', 'discoflipparex.wasm'];
const buildOf = Object.fromEntries(Object.entries(builds).flatMap(([name, dir]) =>
  gameFiles.map((file) => [hash(fs.readFileSync(path.join(dir, file))), name])));

let root = builds.A;
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json' };
const server = http.createServer((req, res) => {
  const file = path.join(root, path.normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname)));
  if (!file.startsWith(root) || !fs.existsSync(file)) return res.writeHead(404).end();
  const name = fs.statSync(file).isDirectory() ? path.join(file, 'index.html') : file;
  res.writeHead(200, { 'Content-Type': types[path.extname(name)] || 'application/octet-stream' });
  fs.createReadStream(name).pipe(res);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const url = `http://127.0.0.1:${server.address().port}/`;

const browser = await puppeteer.launch({ executablePath: chromium, headless: true, args: ['--no-sandbox', '--no-first-run', '--disable-gpu'] });
const problems = [];
try {
  const page = await browser.newPage();
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  // Which build each game file of a load came from.
  let loaded = [];
  page.on('response', (r) => gameFiles.some((f) => r.url().endsWith(f)) &&
    loaded.push(r.buffer().then((b) => buildOf[hash(b)] || `unknown ${r.url()}`)));
  let taken = 0;
  const settle = () => page.waitForFunction((n) => window.Module && Module.waitingForKey && Module.keysTaken === n &&
    document.querySelector('#screen-lines div').dataset.cells, { polling: 5, timeout: 30000 }, taken);
  const load = async (how) => {
    loaded = [];
    taken = 0;
    await how();
    await settle();
    const from = [...new Set(await Promise.all(loaded))];
    if (loaded.length !== 2 || from.length !== 1) fail(`a load ran ${from.join(' and ')} (${loaded.length} files)`);
    return from[0];
  };
  const keys = { R: 'KeyR', 1: 'Digit1', RIGHT: 'ArrowRight', LEFT: 'ArrowLeft', UP: 'ArrowUp', DOWN: 'ArrowDown', RETURN: 'Enter', SPACE: 'Space' };
  const press = async (name, times = 1) => {
    for (let i = 0; i < times; ++i) { ++taken; await page.keyboard.press(keys[name]); await settle(); }
  };
  const lines = () => page.$$eval('#screen-lines div', (ds) => ds.map((d) => d.dataset.cells));

  await load(() => page.goto(url));
  const cdp = await page.createCDPSession();
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  if (installabilityErrors.length) fail(`not installable: ${JSON.stringify(installabilityErrors)}`);
  // Nothing but the maskable icon's background lies outside the circle every mask keeps.
  const clipped = await page.evaluate(async () => {
    const context = new OffscreenCanvas(512, 512).getContext('2d');
    context.drawImage(await createImageBitmap(await (await fetch('icon-maskable-512.png')).blob()), 0, 0);
    const d = new Uint32Array(context.getImageData(0, 0, 512, 512).data.buffer);
    return d.filter((c, i) => c !== d[0] && Math.hypot((i % 512) - 255.5, (i >> 9) - 255.5) > 204.8).length;
  });
  if (clipped) fail(`a round mask cuts ${clipped} pixels of the maskable icon`);
  await page.waitForFunction(() => navigator.serviceWorker.ready.then((r) => r.active.state === 'activated'), { timeout: 30000 });

  // Offline: the worker's cache alone starts the page and a game.
  await page.setOfflineMode(true);
  if ((await load(() => page.reload())) !== 'A' || !(await lines())[0].includes('Discoflipparex')) fail('no title screen offline');
  await press('1');
  if (!(await lines())[0].includes('You (Black)')) fail(`no game offline: ${await lines()}`);
  await page.setOfflineMode(false);

  // A rebuild: the open build's worker answers one more load with its own files; the new
  // worker, installed meanwhile, answers the next one with the new files only.
  root = builds.B;
  const first = await load(() => page.reload());
  await page.waitForFunction((name) => caches.keys().then((k) => k.length === 1 && k[0] === name), { timeout: 30000 }, cacheOf(builds.B));
  const second = await load(() => page.reload());
  if (first !== 'A' || second !== 'B') fail(`after the rebuild the loads ran ${first} then ${second}`);
  console.log(`installable; offline start; rebuild: ${first} then ${second}, cache ${cacheOf(builds.B)}`);

  // What a screen reader is told: each change of a live line, and each cursor cell.
  await page.evaluate(() => {
    window.heard = [];
    const grid = document.getElementById('screen-board');
    new MutationObserver((changes) => changes.forEach((c) => {
      const line = c.target.nodeType === 3 ? c.target.parentNode : c.target;
      if (line.parentNode.id === 'screen-lines' && line.textContent) heard.push(line.textContent);
      else if (c.attributeName && grid.getAttribute(c.attributeName)) heard.push(`[${document.getElementById(grid.getAttribute(c.attributeName)).textContent}]`);
    })).observe(document.body, { subtree: true, childList: true, characterData: true, attributes: true, attributeFilter: ['aria-activedescendant'] });
  });
  const words = { '-': 'empty', X: 'black', O: 'white' };
  const expectScreen = async (when) => {
    const file = path.join(work, 'canvas.png');
    fs.writeFileSync(file, Buffer.from(await page.$eval('#screen', (c) => c.toDataURL('image/png').split(',')[1]), 'base64'));
    const seen = JSON.parse(execFileSync(dfx, ['read-screen', '--json', file], { encoding: 'utf8' }));
    const cells = await page.$$eval('#screen-board [role=gridcell]', (cs) => cs.map((c) => c.textContent));
    const cursor = cells.findIndex((c) => c.endsWith(', cursor'));
    const want = [...seen.board].map((c, i) => `${'abcdefgh'[i % 8]}${Math.floor(i / 8) + 1}, ${words[c] || 'not shown'}` +
      (i === cursor ? ', cursor' : ''));
    if (JSON.stringify(await lines()) !== JSON.stringify(seen.lines) || JSON.stringify(cells) !== JSON.stringify(want)) {
      fail(`${when}: the text says\n${await lines()}\n${cells}\nbut the canvas shows\n${JSON.stringify(seen)}`);
    }
    return { ...seen, cursor };
  };

  // A whole game at level 1, as the browser game test plays it.
  const dirs = [[1, 0], [-1, 0], [0, 1], [0, -1], [1, 1], [1, -1], [-1, 1], [-1, -1]];
  const firstLegal = (b) => [...b].findIndex((c, i) => c === '-' && dirs.some(([dx, dy]) => {
    let line = '';
    for (let x = (i % 8) + dx, y = Math.floor(i / 8) + dy; x >= 0 && x < 8 && y >= 0 && y < 8; x += dx, y += dy) line += b[y * 8 + x];
    return /^O+X/.test(line);
  }));
  for (const name of ['R', 'RIGHT', '1']) await press(name);
  let screen = await expectScreen('first turn');
  let moves = 0;
  const story = [];
  while (!/^(DRAW|You Win|You Lose)/.test(screen.lines[1].slice(9))) {
    let played = -1;
    if (screen.lines[1].slice(9).startsWith('You Pass!')) {
      await press('SPACE');
    } else {
      played = firstLegal(screen.board);
      if (played < 0 || ++moves > 64) fail(`no legal square, or no end:\n${JSON.stringify(screen)}`);
      for (const [name, times] of [['LEFT', 7], ['UP', 7], ['RIGHT', played % 8], ['DOWN', Math.floor(played / 8)], ['RETURN', 1]]) {
        await press(name, times);
      }
    }
    const before = screen;
    screen = await expectScreen(`after move ${moves}`);
    // The cursor box is on the computer's new disc, or where it was when the computer passed.
    const placed = [...screen.board].findIndex((c, i) => c === 'O' && before.board[i] === '-');
    const box = screen.lines[4].includes('CPU PASS') ? played : placed;
    if (screen.lines[1].slice(9).trim() === '' && screen.cursor !== box) fail(`after move ${moves} the cursor is on ${screen.cursor}, not ${box}`);
    if (moves <= 3) story.push(`move ${moves}: ${(await page.evaluate(() => heard.splice(0))).join(' | ')}`);
  }
  console.log(`what a screen reader hears from the title screen on:\n${story.join('\n')}`);
  const axe = createRequire(import.meta.url)('axe-core');
  await page.evaluate(axe.source);
  const { violations } = await page.evaluate(() => axe.run({ runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] } }));
  if (violations.length) fail(`axe: ${violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(', ')}`).join('\n')}`);
  if (problems.length) fail(problems.join('\n'));
  console.log(`whole game of ${moves} moves read alike by the page and dfx read-screen: ${screen.lines[1].slice(9).trim()}; axe: no violations`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
