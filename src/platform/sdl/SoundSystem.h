// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's sound on this machine: the mixer, the songs and the game's rules over them; or, without a sound
// device, a silent game that runs exactly as with one.

#include <memory>

#include "audio/MixerSound.h"
#include "audio/Sound.h"
#include "platform/sdl/QuietAlsa.h"
#include "platform/sdl/SdlMixer.h"
#include "platform/sdl/XmpSongs.h"

namespace gw::platform::sdl {

class SoundSystem {
 public:
  // Never throws: a machine without sound gets one line on stderr and a silent game.
  SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  audio::Sound& Sound() { return game_ ? static_cast<audio::Sound&>(*game_) : silent_; }
  bool HasDevice() const { return game_ != nullptr; }

 private:
  // Declared in the order they are made, so they go in reverse: the rules free the song, then the player
  // unhooks, then the device closes; ALSA may speak again once the device is closed.
  QuietAlsa quietAlsa_;
  std::unique_ptr<SdlMixer> mixer_;
  std::unique_ptr<XmpSongs> songs_;
  std::unique_ptr<audio::MixerSound> game_;
  audio::SilentSound silent_;
};

}  // namespace gw::platform::sdl
