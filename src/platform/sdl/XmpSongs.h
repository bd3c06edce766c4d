// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The module player: XM songs rendered by libxmp straight into the mixer's output through its music hook.
// One song sounds at a time; a song that is played keeps looping until it is freed. A song that stops sounding,
// freed or replaced, fades out over a few milliseconds rather than being cut off mid-wave.

#include <xmp.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/Mixer.h"
#include "platform/sdl/SdlMixer.h"

namespace gw::platform::sdl {

// libxmp's master volume for the songs (its default is 100): 1.6 times its default level brings the songs to about
// -20 dBFS RMS in the output, under the effects; taken down by the mix's headroom.
inline constexpr int kSongVolume = static_cast<int>(160 * kMixHeadroom);
// How long a stopped song takes to fade out: 6 ms.
inline constexpr std::size_t kSongFadeFrames = 265;

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
  // The next moments of the sounding song, faded to silence, to be mixed into the output from where it stops.
  void FadeOutLocked(Song& song);

  // The mixer renders on its own thread: every use of the songs is under this lock.
  std::mutex lock_;
  std::map<audio::SongHandle, std::unique_ptr<Song>> songs_;
  audio::SongHandle playing_ = 0;
  std::vector<std::int16_t> fade_;  // interleaved like the output; what is left of it still to be mixed
  std::size_t fadeAt_ = 0;
  audio::SongHandle next_ = 1;
};

}  // namespace gw::platform::sdl
