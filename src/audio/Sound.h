// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's sound as the rest of the program calls it: effects by index and the two songs.

#include <string_view>

namespace gw::audio {

// Effects of the built-in bank, by index.
enum Effect : int { kBeep = 0, kLevel = 1, kDie = 2, kHam1 = 3, kHam2 = 4, kBig = 5, kSmall = 6 };

class Sound {
 public:
  virtual ~Sound() = default;
  // Starts one playing of the effect and returns at once.
  virtual void PlayEffect(int index) = 0;
  // Full volume for every effect when on, silence when off; sounding effects play out.
  virtual void SetEffectsOn(bool on) = 0;
  // Loads "sound/<name>" and plays it from its start, replacing any song; a missing file stays silent.
  virtual void PlaySong(std::string_view name) = 0;
  virtual void StopSong() = 0;
  // Called on every idle pass of the frame loop.
  virtual void PollSong() = 0;
};

// For a machine without a sound device: every call returns at once.
class SilentSound final : public Sound {
 public:
  void PlayEffect(int) override {}
  void SetEffectsOn(bool) override {}
  void PlaySong(std::string_view) override {}
  void StopSong() override {}
  void PollSong() override {}
};

}  // namespace gw::audio
