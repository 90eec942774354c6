// The page offline: every file of one build in one cache named after that build, so a
// page is always answered from a single build, never a mix of an old .js and a new .wasm.
// The build writes the cache's name and the file list into the copy it serves.
const CACHE = 'discoflipparex-@DFX_WEB_CACHE_ID@';
const FILES = '@DFX_WEB_FILES@'.split(' ');

self.addEventListener('install', (event) => {
  // Straight from the network: a stale HTTP cache must not leak old files into a new cache.
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' }))))
    // The page registers the worker only once it has every file, so the next load is
    // the first one this build answers.
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith('discoflipparex-') && name !== CACHE)
    .map((name) => caches.delete(name)))));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  // Only this build's cache answers; anything it lacks goes to the network.
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(request, { ignoreSearch: true }))
    .then((hit) => hit || fetch(request)));
});
