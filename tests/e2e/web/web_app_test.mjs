// The page as an app in headless Chromium: installable; its service worker answers the
// next load, offline too; after a rebuild a load runs one build's files, never a mix; axe
// finds no WCAG 2.1 A/AA violation on a game under way. (The screen-reader text is checked
// against the canvas through whole games in web_game_test.mjs.)
// Usage: node web_app_test.mjs WEB_DIR CHROMIUM CMAKE  (run from the source folder)
import { createHash } from 'node:crypto';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { launchChromium, servePage, settled } from '../../../tools/web/page.mjs';

const [webDir, chromium, cmake] = process.argv.slice(2);
const fail = (message) => { throw new Error(message); };
if (!fs.existsSync(path.join(webDir, 'sw.js'))) fail(`no page in ${webDir}: run make web first`);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'dfx-webapp-'));
const hash = (bytes) => createHash('sha256').update(bytes).digest('hex');

// Two builds: A as built, B the same with a changed .js and .wasm (a custom section) and
// the worker written again by the build's own step, as a rebuild after any change does.
const builds = { A: path.join(work, 'A'), B: path.join(work, 'B') };
for (const dir of Object.values(builds)) fs.cpSync(webDir, dir, { recursive: true });
fs.appendFileSync(path.join(builds.B, 'discoflipparex.js'), '\n// rebuilt\n');
const section = Buffer.from([0, 8, 7, ...Buffer.from('rebuilt')]);
fs.appendFileSync(path.join(builds.B, 'discoflipparex.wasm'), section);
execFileSync(cmake, [`-DDIR=${builds.B}`, '-DVERSION=test', '-DTEMPLATE=src/host/web/sw.js', '-P',
  'cmake/web_app.cmake']);
const cacheOf = (dir) => /const CACHE = '([^']+)'/.exec(fs.readFileSync(path.join(dir, 'sw.js'), 'utf8'))[1];
const gameFiles = ['discoflipparex.js', 'discoflipparex.wasm'];
const buildOf = Object.fromEntries(Object.entries(builds).flatMap(([name, dir]) =>
  gameFiles.map((file) => [hash(fs.readFileSync(path.join(dir, file))), name])));

const server = await servePage(builds.A);
const url = server.url;
const browser = await launchChromium(chromium);
const problems = [];
try {
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
  if (problems.length) fail(problems.join('\n'));
  console.log('axe: no violations');
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
