// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/XmpSongs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gw::platform::sdl {

// One loaded module with its player started, released with it.
struct XmpSongs::Song {
  explicit Song(xmp_context c) : ctx(c) {}
  ~Song() {
    if (started) xmp_end_player(ctx);
    if (loaded) xmp_release_module(ctx);
    xmp_free_context(ctx);
  }
  Song(const Song&) = delete;
  Song& operator=(const Song&) = delete;

  xmp_context ctx;
  bool loaded = false;
  bool started = false;
};

XmpSongs::XmpSongs(SdlMixer&) { Mix_HookMusic(&XmpSongs::Render, this); }

XmpSongs::~XmpSongs() {
  // Once the hook is gone the mixer thread no longer touches the songs.
  Mix_HookMusic(nullptr, nullptr);
}

audio::SongHandle XmpSongs::SongLoadFromFile(const std::string& path) {
  xmp_context ctx = xmp_create_context();
  if (!ctx) return 0;
  auto song = std::make_unique<Song>(ctx);
  // A missing, unreadable or damaged file, or a folder by that name: no song.
  if (xmp_load_module(ctx, path.c_str()) != 0) return 0;
  song->loaded = true;
  if (xmp_start_player(ctx, kMixRate, 0) != 0) return 0;
  song->started = true;
  xmp_set_player(ctx, XMP_PLAYER_VOLUME, kSongVolume);
  const std::lock_guard guard(lock_);
  const audio::SongHandle handle = next_++;
  if (next_ == 0) next_ = 1;
  songs_.emplace(handle, std::move(song));
  return handle;
}

void XmpSongs::SongPlay(audio::SongHandle song) {
  const std::lock_guard guard(lock_);
  if (songs_.count(song) == 0) return;
  if (playing_ != 0 && playing_ != song) FadeOutLocked(*songs_.at(playing_));
  playing_ = song;
}

void XmpSongs::FadeOutLocked(Song& song) {
  constexpr auto width = static_cast<std::size_t>(kMixChannels);
  std::vector<std::int16_t> fade(kSongFadeFrames * width);
  // Exactly what the hook would have played next, so the fade starts where the song stands.
  xmp_play_buffer(song.ctx, fade.data(), static_cast<int>(fade.size() * sizeof(std::int16_t)), 0);
  for (std::size_t frame = 0; frame < kSongFadeFrames; ++frame) {
    const double gain =
        0.5 + 0.5 * std::cos(std::numbers::pi * static_cast<double>(frame) / static_cast<double>(kSongFadeFrames));
    for (std::size_t c = 0; c < width; ++c) {
      std::int16_t& s = fade[frame * width + c];
      s = static_cast<std::int16_t>(std::lround(s * gain));
    }
  }
  // A fade still under way (two switches within a few milliseconds) goes on under the new one.
  for (std::size_t i = fadeAt_; i < fade_.size() && i - fadeAt_ < fade.size(); ++i) {
    fade[i - fadeAt_] = static_cast<std::int16_t>(std::clamp(fade[i - fadeAt_] + fade_[i], -32768, 32767));
  }
  fade_ = std::move(fade);
  fadeAt_ = 0;
}

void XmpSongs::SongFree(audio::SongHandle song) {
  std::unique_ptr<Song> released;
  {
    const std::lock_guard guard(lock_);
    const auto it = songs_.find(song);
    if (it == songs_.end()) return;
    if (playing_ == song) {
      FadeOutLocked(*it->second);
      playing_ = 0;
    }
    released = std::move(it->second);
    songs_.erase(it);
  }
  // The module is released outside the lock, so the mixer thread never waits for it.
}

int XmpSongs::SongGetOrder(audio::SongHandle song) {
  const std::lock_guard guard(lock_);
  const auto it = songs_.find(song);
  if (it == songs_.end()) return 0;
  xmp_frame_info info{};
  xmp_get_frame_info(it->second->ctx, &info);
  return info.pos;
}

audio::SongHandle XmpSongs::Playing() {
  const std::lock_guard guard(lock_);
  return playing_;
}

std::size_t XmpSongs::Loaded() {
  const std::lock_guard guard(lock_);
  return songs_.size();
}

// The mixer's thread: the stream arrives silent and in the mixer's own format (16-bit stereo at kMixRate);
// the effects are added on top afterwards.
void SDLCALL XmpSongs::Render(void* self, Uint8* stream, int bytes) {
  auto& songs = *static_cast<XmpSongs*>(self);
  const std::lock_guard guard(songs.lock_);
  // Looping forever: at the end of its order list the song goes on from its restart position.
  if (songs.playing_ != 0) xmp_play_buffer(songs.songs_.at(songs.playing_)->ctx, stream, bytes, 0);
  auto* out = reinterpret_cast<std::int16_t*>(stream);
  const std::size_t count = static_cast<std::size_t>(bytes) / sizeof(std::int16_t);
  for (std::size_t i = 0; i < count && songs.fadeAt_ < songs.fade_.size(); ++i, ++songs.fadeAt_) {
    out[i] = static_cast<std::int16_t>(std::clamp(out[i] + songs.fade_[songs.fadeAt_], -32768, 32767));
  }
}

}  // namespace gw::platform::sdl
