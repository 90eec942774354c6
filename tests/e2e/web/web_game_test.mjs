// The browser page in headless Chromium: served from a plain static server on
// 127.0.0.1, it must show the title screen within 2 s with no console errors, then
// play a whole game by keys (level 1, RANDOM off) in which the canvas, read back by
// `dfx read-screen`, equals what `dfx replay` gives for the same keys after every
// computer move and at the end.
// Usage: node web_game_test.mjs WEB_DIR DFX CHROMIUM
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [webDir, dfx, chromium] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'dfx-web-'));
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const fail = (message) => { throw new Error(message); };
if (!fs.existsSync(path.join(webDir, 'discoflipparex.wasm'))) fail(`no page in ${webDir}: run make web first`);

// A static server with nothing but files: no cross-origin isolation headers.
const root = path.resolve(webDir);
const server = http.createServer((req, res) => {
  const file = path.join(root, path.normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname)));
  if (!file.startsWith(root) || !fs.existsSync(file)) return res.writeHead(404).end();
  const name = fs.statSync(file).isDirectory() ? path.join(file, 'index.html') : file;
  res.writeHead(200, { 'Content-Type': types[path.extname(name)] || 'application/octet-stream' });
  fs.createReadStream(name).pipe(res);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));

// Key names as dfx replay spells them, and as the browser's KeyboardEvent.code does.
const keys = { R: 'KeyR', 1: 'Digit1', RIGHT: 'ArrowRight', LEFT: 'ArrowLeft', UP: 'ArrowUp', DOWN: 'ArrowDown', RETURN: 'Enter', SPACE: 'Space' };
const dirs = [[1, 0], [-1, 0], [0, 1], [0, -1], [1, 1], [1, -1], [-1, 1], [-1, -1]];
// The first legal square for Black (X) in row order, as a board index; or -1.
const firstLegal = (b) => [...b].findIndex((c, i) => c === '-' && dirs.some(([dx, dy]) => {
  let line = '';
  for (let x = (i % 8) + dx, y = Math.floor(i / 8) + dy; x >= 0 && x < 8 && y >= 0 && y < 8; x += dx, y += dy) line += b[y * 8 + x];
  return /^O+X/.test(line);
}));

const browser = await puppeteer.launch({ executablePath: chromium, headless: true, args: ['--no-sandbox', '--no-first-run', '--disable-gpu'] });
const problems = [];
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()}`));
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()}`));
  const sent = [];
  const settle = () => page.waitForFunction((n) => window.Module && Module.waitingForKey && Module.keysTaken === n,
    { polling: 5, timeout: 30000 }, sent.length);
  const press = async (name, times = 1) => {
    for (let i = 0; i < times; ++i) { sent.push(name); await page.keyboard.press(keys[name]); await settle(); }
  };
  const expectReplay = async (when) => {
    const file = path.join(work, `canvas${sent.length}.png`);
    const png = await page.$eval('#screen', (c) => c.toDataURL('image/png').split(',')[1]);
    fs.writeFileSync(file, Buffer.from(png, 'base64'));
    const seen = execFileSync(dfx, ['read-screen', '--json', file], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
    const want = execFileSync(dfx, ['replay', '--json', '--keys', sent.join(' ')], { encoding: 'utf8' });
    if (seen !== want) fail(`${when}: the page shows\n${seen}\nbut dfx replay gives\n${want}`);
    return JSON.parse(seen);
  };

  // The first visit starts the browser's page processes; the timed one fetches every
  // file again (no cache), as a person's running browser would on a first visit.
  await page.setCacheEnabled(false);
  for (let visit = 0; visit < 2; ++visit) await page.goto(`http://127.0.0.1:${server.address().port}/`).then(settle);
  // Milliseconds since this navigation began, as the page's own clock counts them.
  const titleMs = Math.round(await page.evaluate(() => performance.now()));
  console.log(`title screen after ${titleMs} ms`);
  if (titleMs > 2000 || !(await expectReplay('title screen')).lines[0].includes('Discoflipparex')) fail('no title screen within 2 s');

  for (const name of ['R', 'RIGHT', '1']) await press(name);
  let screen = await expectReplay('first turn');
  let moves = 0;
  while (!/^(DRAW|You Win|You Lose)/.test(screen.lines[1].slice(9))) {
    if (screen.lines[1].slice(9).startsWith('You Pass!')) {
      await press('SPACE');
    } else {
      const square = firstLegal(screen.board);
      if (square < 0 || ++moves > 64) fail(`no legal square, or no end:\n${JSON.stringify(screen)}`);
      // Left and Up against the edges first: the cursor is then at the corner.
      const route = [['LEFT', 7], ['UP', 7], ['RIGHT', square % 8], ['DOWN', Math.floor(square / 8)], ['RETURN', 1]];
      for (const [name, times] of route) await press(name, times);
    }
    screen = await expectReplay(`after move ${moves}`);
  }
  if (problems.length) fail(problems.join('\n'));
  console.log(`whole game of ${moves} moves (${sent.length} keys) equals dfx replay: ${screen.lines[1].slice(9).trim()}`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
