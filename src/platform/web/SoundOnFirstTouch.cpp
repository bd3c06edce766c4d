// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/web/SoundOnFirstTouch.h"

#include <emscripten.h>

namespace gw::platform::web {

namespace {

// Set by the page (page.js) in the handler of the player's first key, click or touch, where it also makes the
// sound's context that SDL then takes.
EM_JS(int, gw_player_acted, (), { return Module.gwPlayerActed ? 1 : 0; });

}  // namespace

void SoundOnFirstTouch::AfterTurn() {
  if (system_ || !gw_player_acted()) return;
  system_ = std::make_unique<sdl::SoundSystem>();
  Now().SetEffectsOn(effectsOn_);
  if (song_) Now().PlaySong(*song_);
}

void SoundOnFirstTouch::SetEffectsOn(bool on) {
  effectsOn_ = on;
  Now().SetEffectsOn(on);
}

void SoundOnFirstTouch::PlaySong(std::string_view name) {
  song_ = std::string(name);
  Now().PlaySong(name);
}

void SoundOnFirstTouch::StopSong() {
  song_.reset();
  Now().StopSong();
}

}  // namespace gw::platform::web
