// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The module player: XM songs rendered by libxmp straight into the mixer's output through its music hook.
// One song sounds at a time; a song that is played keeps looping until it is freed.

#include <xmp.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "audio/Mixer.h"
#include "platform/sdl/SdlMixer.h"

namespace gw::platform::sdl {

// libxmp's share of full scale for the songs (its default is 100): they sit under the effects.
inline constexpr int kSongVolume = 50;

class XmpSongs final : public audio::ModulePlayer {
 public:
  // Needs the mixer open; hooks the songs into its output.
  explicit XmpSongs(SdlMixer& mixer);
  ~XmpSongs() override;
  XmpSongs(const XmpSongs&) = delete;
  XmpSongs& operator=(const XmpSongs&) = delete;

  audio::SongHandle SongLoadFromFile(const std::string& path) override;
  void SongPlay(audio::SongHandle song) override;
  void SongFree(audio::SongHandle song) override;
  int SongGetOrder(audio::SongHandle song) override;

  // The song the hook renders, 0 for none.
  audio::SongHandle Playing();
  std::size_t Loaded();

 private:
  struct Song;
  static void SDLCALL Render(void* self, Uint8* stream, int bytes);

  // The mixer renders on its own thread: every use of the songs is under this lock.
  std::mutex lock_;
  std::map<audio::SongHandle, std::unique_ptr<Song>> songs_;
  audio::SongHandle playing_ = 0;
  audio::SongHandle next_ = 1;
};

}  // namespace gw::platform::sdl
