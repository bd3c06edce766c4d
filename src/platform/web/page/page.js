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

  // Browsers keep a page silent until the player does something; the game's sound starts then.
  function wakeSound() {
    const sdl = window.Module.SDL2;
    if (sdl && sdl.audioContext && sdl.audioContext.state !== 'running') sdl.audioContext.resume();
  }
  for (const type of ['keydown', 'mousedown', 'touchend', 'pointerup']) {
    window.addEventListener(type, wakeSound, {capture: true});
  }

  document.getElementById('fullscreen').addEventListener('click', function () {
    const page = document.documentElement;
    const request = page.requestFullscreen || page.webkitRequestFullscreen;
    if (request) request.call(page).catch(function () {});
    canvas.focus();
  });

  window.Module = {
    canvas: canvas,
    locateFile: function (name) { return files[name] || name; },
    // The game's own lines (a missing sound device, a refused save) are notices, not failures.
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    setStatus: function (text) { status.textContent = text ? 'Загрузка…' : ''; },
    monitorRunDependencies: function () {},
    gwFrames: 0,
    gwFramesDrawn: function (count) {
      if (window.Module.gwFrames === 0) performance.mark('gw-first-frame');
      window.Module.gwFrames += count;
    },
    gwFailed: function (message) { status.textContent = 'Игра не может запуститься: ' + message; },
    onRuntimeInitialized: function () {
      status.textContent = '';
      canvas.focus();
    },
  };
  window.addEventListener('error', function (event) {
    status.textContent = 'Игра не может запуститься: ' + event.message;
  });

  const game = document.createElement('script');
  game.src = files['gromwumbler.js'];
  document.body.appendChild(game);
})();
