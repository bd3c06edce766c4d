// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Music.h"

#include <string>

namespace gw::audio {

void Music::PlaySong(std::string_view name) {
  if (SongHandle_ != 0) player_.SongFree(SongHandle_);
  SongHandle_ = player_.SongLoadFromFile("sound/" + std::string(name));
  if (SongHandle_ != 0) player_.SongPlay(SongHandle_);
}

void Music::StopSong() {
  if (SongHandle_ != 0) player_.SongFree(SongHandle_);
  SongHandle_ = 0;
}

}  // namespace gw::audio
