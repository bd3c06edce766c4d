// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/SoundSystem.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace gw::platform::sdl {

SoundSystem::SoundSystem() {
  try {
    const SdlSubsystems audio(SDL_INIT_AUDIO);
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && std::strcmp(driver, "dummy") == 0) {
      // The dummy driver is a device that plays into nothing: say so, and open no mixer at all.
      std::fprintf(stderr, "Grom Wumbler: no sound device (the dummy audio driver); playing in silence\n");
      return;
    }
    mixer_ = std::make_unique<SdlMixer>(audio::BuiltInEffects());
    songs_ = std::make_unique<XmpSongs>(*mixer_);
    game_ = std::make_unique<audio::MixerSound>(*mixer_, *songs_);
  } catch (const std::exception& e) {
    game_.reset();
    songs_.reset();
    mixer_.reset();
    std::fprintf(stderr, "Grom Wumbler: no sound (%s); playing in silence\n", e.what());
  }
}

}  // namespace gw::platform::sdl
