// The offline copy: sw.js caches this build's files. It is registered only once the page
// has fetched all of them, so a newer worker never answers part of this page's load.
(function () {
  if (!('serviceWorker' in navigator) || !window.Module) return;
  var previous = Module.onRuntimeInitialized;
  Module.onRuntimeInitialized = function () {
    if (previous) previous();
    navigator.serviceWorker.register('sw.js').catch(function (error) {
      console.warn('No offline copy: ' + error);
    });
  };
})();
