// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one song that sounds: loading a song always frees the one before, so a song asked for again restarts.

#include <string_view>

#include "audio/Mixer.h"

namespace gw::audio {

class Music {
 public:
  explicit Music(ModulePlayer& player) : player_(player) {}
  ~Music() { StopSong(); }
  Music(const Music&) = delete;
  Music& operator=(const Music&) = delete;

  // Frees any song, then loads "sound/<name>" and plays it; a song that cannot be loaded stays silent.
  void PlaySong(std::string_view name);
  void StopSong();

  SongHandle Song() const { return SongHandle_; }

 private:
  ModulePlayer& player_;
  SongHandle SongHandle_ = 0;
};

}  // namespace gw::audio
