// The browser page in headless Chromium: served from a plain static server on
// 127.0.0.1, it must show the title screen within 2 s with no console errors, then
// play a whole game by keys (level 1, RANDOM off) in which the canvas, read back by
// `dfx read-screen`, equals what `dfx replay` gives for the same keys after every
// computer move and at the end.
// Usage: node web_game_test.mjs WEB_DIR DFX CHROMIUM [--shots DIR]
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [webDir, dfx, chromium, shotsFlag, shotsDir] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'dfx-web-'));
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };

function fail(message) {
  throw new Error(message);
}

// A static server with nothing but files: no cross-origin isolation headers.
function serve(dir) {
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(dir, path.normalize(name));
    if (!file.startsWith(dir) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      res.writeHead(404).end();
      return;
    }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Key names as dfx replay spells them, and as the browser's KeyboardEvent.code does.
const keys = {
  R: 'KeyR', 1: 'Digit1', RIGHT: 'ArrowRight', LEFT: 'ArrowLeft', UP: 'ArrowUp', DOWN: 'ArrowDown',
  RETURN: 'Enter', SPACE: 'Space',
};

// The first legal square for Black (X) in row order, as [column, row] from 0; or null.
function firstLegalSquare(board) {
  const at = (x, y) => (x >= 0 && x < 8 && y >= 0 && y < 8 ? board[y * 8 + x] : '');
  for (let y = 0; y < 8; ++y) {
    for (let x = 0; x < 8; ++x) {
      if (at(x, y) !== '-') continue;
      for (const [dx, dy] of [[1, 0], [-1, 0], [0, 1], [0, -1], [1, 1], [1, -1], [-1, 1], [-1, -1]]) {
        let n = 1;
        while (at(x + n * dx, y + n * dy) === 'O') ++n;
        if (n > 1 && at(x + n * dx, y + n * dy) === 'X') return [x, y];
      }
    }
  }
  return null;
}

if (!fs.existsSync(path.join(webDir, 'discoflipparex.wasm'))) fail(`no page in ${webDir}: run make web first`);
const server = await serve(path.resolve(webDir));
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  args: ['--no-sandbox', '--no-first-run', '--disable-gpu'],
});
const problems = [];
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()}`));
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()}`));

  const sent = [];
  const settle = () =>
    page.waitForFunction((n) => window.Module && Module.waitingForKey && Module.keysTaken === n, { polling: 5, timeout: 30000 }, sent.length);
  const press = async (name) => {
    await page.keyboard.press(keys[name]);
    sent.push(name);
    await settle();
  };
  let shot = 0;
  const readCanvas = () => {
    const file = path.join(work, `canvas${shot++}.png`);
    return page
      .$eval('#screen', (c) => c.toDataURL('image/png').split(',')[1])
      .then((b64) => {
        fs.writeFileSync(file, Buffer.from(b64, 'base64'));
        return execFileSync(dfx, ['read-screen', '--json', file], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
      });
  };
  const replay = () => execFileSync(dfx, ['replay', '--json', '--keys', sent.join(' ')], { encoding: 'utf8' });
  const expectReplay = async (when) => {
    const seen = await readCanvas();
    const want = replay();
    if (seen !== want) fail(`${when}: the page shows\n${seen}\nbut dfx replay gives\n${want}`);
    return JSON.parse(seen);
  };

  // The first visit starts the browser's page processes; the timed one fetches every
  // file again (no cache), as a person's running browser would on a first visit.
  await page.setCacheEnabled(false);
  await page.goto(url);
  await settle();
  await page.goto(url);
  await settle();
  // Milliseconds since this navigation began, as the page's own clock counts them.
  const titleMs = Math.round(await page.evaluate(() => performance.now()));
  const title = await expectReplay('title screen');
  if (!title.lines[0].includes('Discoflipparex')) fail(`no title screen: ${title.lines[0]}`);
  if (titleMs > 2000) fail(`title screen after ${titleMs} ms`);
  console.log(`title screen after ${titleMs} ms`);

  await press('R');
  await press('RIGHT');
  await press('1');
  let screen = await expectReplay('first turn');
  let moves = 0;
  let cursor = null; // unknown until the first move
  for (;;) {
    const panel = screen.lines[1].slice(9);
    if (/^(DRAW|You Win|You Lose)/.test(panel)) break;
    const before = screen.board;
    if (panel.startsWith('You Pass!')) {
      await press('SPACE');
    } else {
      const square = firstLegalSquare(screen.board);
      if (!square) fail(`the human's turn with no legal square:\n${JSON.stringify(screen)}`);
      // An unknown cursor is taken to the top-left corner first: it stops at the edges.
      if (!cursor) {
        for (let i = 0; i < 7; ++i) await press('LEFT');
        for (let i = 0; i < 7; ++i) await press('UP');
        cursor = [0, 0];
      }
      for (let x = cursor[0]; x < square[0]; ++x) await press('RIGHT');
      for (let x = cursor[0]; x > square[0]; --x) await press('LEFT');
      for (let y = cursor[1]; y < square[1]; ++y) await press('DOWN');
      for (let y = cursor[1]; y > square[1]; --y) await press('UP');
      await press('RETURN');
      cursor = square;
      ++moves;
    }
    screen = await expectReplay(`after move ${moves}`);
    // The cursor follows the computer's disc, the one new white disc; it stays put when the computer passes.
    const placed = [...screen.board].findIndex((c, i) => c === 'O' && before[i] === '-');
    if (placed >= 0) cursor = [placed % 8, Math.floor(placed / 8)];
    if (shotsFlag === '--shots' && moves === 10) {
      for (const [width, height] of [[1600, 900], [800, 480]]) {
        await page.setViewport({ width, height });
        await page.screenshot({ path: path.join(shotsDir, `page-${width}x${height}.png`) });
      }
    }
    if (moves > 64) fail('the game does not end');
  }
  if (shotsFlag === '--shots') await page.screenshot({ path: path.join(shotsDir, 'page-result.png') });
  if (problems.length) fail(problems.join('\n'));
  console.log(`whole game of ${moves} moves (${sent.length} keys) equals dfx replay: ${screen.lines[1].slice(9).trim()}`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
