// SPDX-License-Identifier: GPL-3.0-or-later
// The page around the game: loads it, scales its 800x600 picture to the window with the aspect kept, starts
// its sound on the player's first key, click or touch, and offers full screen.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const status = document.getElementById('status');
  const stage = document.getElementById('stage');
  // The build names each file by its content; the page learns the names from its own script tag.
  const files = JSON.parse(document.currentScript.dataset.files);

  function fit() {
    const box = stage.getBoundingClientRect();
    const scale = Math.min(box.width / 800, box.height / 600);
    canvas.style.width = Math.floor(800 * scale) + 'px';
    canvas.style.height = Math.floor(600 * scale) + 'px';
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  fit();

  // Browsers keep a page silent until the player does something. The sound's context is made then, inside that
  // handler, so that it may start at once; the game opens its sound device on it at its next turn.
  function wakeSound() {
    const sdl = window.Module.SDL2;
    if (!sdl.audioContext) {
      const AudioContextClass = window.AudioContext || window.webkitAudioContext;
      if (AudioContextClass) sdl.audioContext = new AudioContextClass();
    }
    if (sdl.audioContext && sdl.audioContext.state !== 'running') sdl.audioContext.resume();
    window.Module.gwPlayerActed = true;
  }
  for (const type of ['keydown', 'mousedown', 'touchend', 'pointerup']) {
    window.addEventListener(type, wakeSound, {capture: true});
  }

  // A touch screen's keyboard comes up only for a focused text field, and only on the player's own touch: while
  // the game edits a name or a country, a tap on the picture focuses the page's hidden field. What that keyboard
  // types arrives as the field's input (the game saw no key for it) and is handed to the game; the field keeps
  // one space so that an erase on an empty name is seen too.
  const typing = document.getElementById('typing');
  let editing = false;
  const kKeep = ' ';
  function resetTyping() {
    typing.value = kKeep;
    typing.setSelectionRange(1, 1);
  }
  canvas.addEventListener('touchend', function (event) {
    if (!editing) return;
    // No mouse events made up from the tap: their press would give the focus back to the picture, and the
    // keyboard would go again at once.
    event.preventDefault();
    resetTyping();
    typing.focus();
  });
  typing.addEventListener('input', function () {
    const value = typing.value;
    if (value.length < kKeep.length) {
      window.Module.ccall('gw_touch_typed', null, ['string'], ['']);
    } else {
      for (const ch of value.slice(kKeep.length)) window.Module.ccall('gw_touch_typed', null, ['string'], [ch]);
    }
    resetTyping();
  });

  // Full screen is the page's (the Fullscreen API, asked while the player's key or click is being handled, as
  // browsers require): the button, or Alt+Enter, which the game's own switch would only ask later, too late.
  function toggleFullscreen() {
    const page = document.documentElement;
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function () {});
    } else {
      const request = page.requestFullscreen || page.webkitRequestFullscreen;
      if (request) request.call(page).catch(function () {});
    }
    canvas.focus();
  }
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
  window.addEventListener('keydown', function (event) {
    if (!event.altKey || event.key !== 'Enter') return;
    event.preventDefault();
    event.stopImmediatePropagation();
    if (!event.repeat) toggleFullscreen();
  }, {capture: true});

  let failure = null;
  function fail(text) {
    failure = text;
    status.textContent = text;
  }

  window.Module = {
    canvas: canvas,
    SDL2: {},
    locateFile: function (name) { return files[name] || name; },
    // The game's own lines (a missing sound device, a refused save) are notices, not failures.
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    // The loader clears its status once the game has started: a failure stays.
    setStatus: function (text) { status.textContent = failure || (text ? 'Загрузка…' : ''); },
    monitorRunDependencies: function () {},
    gwFrames: 0,
    gwFramesDrawn: function (count) {
      if (window.Module.gwFrames === 0) performance.mark('gw-first-frame');
      window.Module.gwFrames += count;
    },
    gwEditingText: function (on) {
      editing = on;
      if (!on && document.activeElement === typing) {
        typing.blur();
        canvas.focus();
      }
    },
    gwFailed: function (message) { fail('Игра не может запуститься: ' + message); },
    // A recorded game shown to its end (or to Escape): how it ended, for whoever reads the console.
    gwWatched: function (score, level, frames) {
      console.log('Grom Wumbler: the recorded game ended at ' + score + ' points on level ' + level + ' after ' +
                  frames + ' frames');
    },
    gwCannotWatch: function () { fail('Эту запись игры нельзя показать.'); },
    onRuntimeInitialized: function () {
      status.textContent = failure || '';
      canvas.focus();
    },
  };
  window.addEventListener('error', function (event) { fail('Игра не может запуститься: ' + event.message); });

  const game = document.createElement('script');
  game.src = files['gromwumbler.js'];
  document.body.appendChild(game);
})();
