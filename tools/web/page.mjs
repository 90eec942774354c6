// The page as its tests and its bench see it: a plain static server on 127.0.0.1 (no
// cross-origin isolation headers, as a person's server would have none) and Debian's
// headless Chromium driven by puppeteer-core from tests/e2e/web.
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import path from 'node:path';

const require = createRequire(new URL('../../tests/e2e/web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

// Serves webDir; resolves to the server, whose url is the page's address. Setting its root
// serves another folder from then on, as a host does after a new build is copied there.
export async function servePage(webDir) {
  if (!fs.existsSync(path.join(webDir, 'discoflipparex.wasm'))) {
    throw new Error(`no page in ${webDir}: run make web`);
  }
  const server = http.createServer((req, res) => {
    const root = path.resolve(server.root);
    const file = path.join(root, path.normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname)));
    if (!file.startsWith(root) || !fs.existsSync(file)) return res.writeHead(404).end();
    const name = fs.statSync(file).isDirectory() ? path.join(file, 'index.html') : file;
    res.writeHead(200, { 'Content-Type': types[path.extname(name)] || 'application/octet-stream' });
    fs.createReadStream(name).pipe(res);
  });
  server.root = webDir;
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  server.url = `http://127.0.0.1:${server.address().port}/`;
  return server;
}

export function launchChromium(executablePath) {
  const args = ['--no-sandbox', '--no-first-run', '--disable-gpu'];
  return puppeteer.launch({ executablePath, headless: true, args });
}

// Resolves once the game waits for input and has taken `taken` inputs in all.
export function settled(page, taken, timeout = 30000) {
  return page.waitForFunction((n) => window.Module && Module.waitingForKey && Module.keysTaken === n,
    { polling: 5, timeout }, taken);
}
