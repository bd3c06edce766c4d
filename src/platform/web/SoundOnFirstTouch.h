// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A page's sound starts with the player's first key, click or touch: browsers keep a page silent until then, and
// opening the sound device takes the browser a good part of a second, which the first picture need not wait for.
// Until then the game's calls are noted, not played: the song that should be playing and the effects switch
// carry over to the device once it opens; effects from before it are lost, as they would be unheard anyway.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "audio/Sound.h"
#include "platform/sdl/SoundSystem.h"

namespace gw::platform::web {

class SoundOnFirstTouch final : public audio::Sound {
 public:
  // Called once per turn of the page's loop: opens the device once the page says the player has acted.
  void AfterTurn();

  void PlayEffect(int index) override { Now().PlayEffect(index); }
  void SetEffectsOn(bool on) override;
  void PlaySong(std::string_view name) override;
  void StopSong() override;
  void PollSong() override { Now().PollSong(); }

 private:
  audio::Sound& Now() { return system_ ? system_->Sound() : silent_; }

  std::unique_ptr<sdl::SoundSystem> system_;
  audio::SilentSound silent_;
  bool effectsOn_ = true;
  std::optional<std::string> song_;
};

}  // namespace gw::platform::web
