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
