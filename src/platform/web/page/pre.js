// SPDX-License-Identifier: GPL-3.0-or-later
// Runs inside the game's module before it starts: Config.cfg's folder in the browser's storage.

Module.preRun = (Module.preRun || []).concat(function () {
  // /save is filled from IndexedDB before main runs. A browser that refuses storage (some private modes) gets
  // no /save at all, so every save fails and the game tells the player the table is not kept.
  FS.mkdir('/save');
  let mounted = false;
  try {
    FS.mount(IDBFS, {}, '/save');
    mounted = true;
  } catch (e) {
    console.warn('Grom Wumbler: no storage for the high scores:', e);
  }
  if (!mounted) {
    FS.rmdir('/save');
    return;
  }
  addRunDependency('gw-saves');
  FS.syncfs(true, function (error) {
    if (error) {
      console.warn('Grom Wumbler: the browser keeps no storage for this page; the high scores are not kept.');
      FS.unmount('/save');
      FS.rmdir('/save');
      Module.gwStorageRefused = true;
    }
    removeRunDependency('gw-saves');
  });
});

// Opened as /play/?watch=ID, the page shows the verified game ID from the server's records instead of a game to
// play: its recording is fetched into /watch before the game starts. The folder is made whatever comes of the
// download, so the game knows it was asked to show one, and says so when it cannot.
Module.preRun = Module.preRun.concat(function () {
  const id = new URLSearchParams(location.search).get('watch');
  if (id === null) return;
  FS.mkdir('/watch');
  if (!/^[1-9][0-9]{0,17}$/.test(id)) return;
  addRunDependency('gw-watch');
  fetch('/api/recording?id=' + id)
    .then(function (reply) {
      if (!reply.ok) throw new Error('the server has no recording ' + id + ' (' + reply.status + ')');
      return reply.arrayBuffer();
    })
    .then(function (bytes) { FS.writeFile('/watch/game.gwr', new Uint8Array(bytes)); })
    .catch(function (error) { console.warn('Grom Wumbler: cannot fetch the recorded game:', error.message); })
    .finally(function () { removeRunDependency('gw-watch'); });
});

// Writes /save back to IndexedDB after a save; one write at a time, and a save made meanwhile is written after.
let storing = false;
let storeAgain = false;
Module.gwStoreSaves = function () {
  if (storing) {
    storeAgain = true;
    return;
  }
  storing = true;
  FS.syncfs(false, function (error) {
    storing = false;
    if (error) console.warn('Grom Wumbler: the high scores could not be stored:', error);
    if (Module.gwSaved) Module.gwSaved(!error);
    if (storeAgain) {
      storeAgain = false;
      Module.gwStoreSaves();
    }
  });
};

// SDL's sound calls this for its audio context; this emscripten has no such helper. Browsers keep the context
// suspended until the player acts: it resumes on the first key, click or touch.
function autoResumeAudioContext(context) {
  const resume = function () {
    if (context.state !== 'running') context.resume();
  };
  for (const type of ['keydown', 'mousedown', 'touchend']) window.addEventListener(type, resume, {capture: true});
}
