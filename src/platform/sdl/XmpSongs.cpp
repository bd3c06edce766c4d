// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/XmpSongs.h"

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
  if (songs_.count(song) != 0) playing_ = song;
}

void XmpSongs::SongFree(audio::SongHandle song) {
  std::unique_ptr<Song> released;
  {
    const std::lock_guard guard(lock_);
    const auto it = songs_.find(song);
    if (it == songs_.end()) return;
    released = std::move(it->second);
    songs_.erase(it);
    if (playing_ == song) playing_ = 0;
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
  if (songs.playing_ == 0) return;
  // Looping forever: at the end of its order list the song goes on from its restart position.
  xmp_play_buffer(songs.songs_.at(songs.playing_)->ctx, stream, bytes, 0);
}

}  // namespace gw::platform::sdl
