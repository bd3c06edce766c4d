// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the game's sound needs of the machine's mixer and module player, so that the rules of which copy of an
// effect plays and which song sounds can be driven without a sound device.

#include <cstdint>
#include <string>

namespace gw::audio {

// Volumes in hundredths of a decibel: 0 is full, kSilentVolume is silence.
inline constexpr int kFullVolume = 0;
inline constexpr int kSilentVolume = -10000;

// Voices that each play one effect of the built-in bank from its start; the samples are loaded once and every
// voice playing an effect shares them.
class EffectVoices {
 public:
  virtual ~EffectVoices() = default;
  // A new voice, or -1 when the mixer will not make one.
  virtual int AddVoice() = 0;
  virtual bool IsPlaying(int voice) = 0;
  // Stops the voice, rewinds it and plays the effect once at the volume.
  virtual void Start(int voice, int effect, int volume) = 0;
};

// The module player: songs by handle, 0 being no song.
using SongHandle = std::uint32_t;

class ModulePlayer {
 public:
  virtual ~ModulePlayer() = default;
  // A loaded song, not yet playing; 0 when the file cannot be loaded.
  virtual SongHandle SongLoadFromFile(const std::string& path) = 0;
  // Starts the song; it keeps sounding, from its loop, until it is freed.
  virtual void SongPlay(SongHandle song) = 0;
  // Stops the song and releases it.
  virtual void SongFree(SongHandle song) = 0;
  // The song's position in its order list.
  virtual int SongGetOrder(SongHandle song) = 0;
};

}  // namespace gw::audio
