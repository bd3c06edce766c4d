// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound device through SDL2_mixer: opened once, the built-in effects loaded once as chunks, and voices
// (mixer channels) added on demand that play those chunks without copying their samples.

#include <SDL_mixer.h>

#include <atomic>
#include <memory>
#include <span>
#include <vector>

#include "audio/EffectData.h"
#include "audio/Mixer.h"
#include "audio/OutputStage.h"
#include "platform/sdl/SdlHandles.h"

namespace gw::platform::sdl {

using ChunkPtr = std::unique_ptr<Mix_Chunk, Deleter<Mix_FreeChunk>>;

// The output format. 1024 frames at 44.1 kHz is a 23 ms buffer: an effect started by the game is in the next
// buffer the device takes.
inline constexpr int kMixRate = 44100;
inline constexpr int kMixChannels = 2;
inline constexpr int kMixBufferFrames = 1024;

// The song and the effects are summed at this share of their real level, so that many loud sounds at once do not
// saturate in the sum; the output stage brings the sum back up and holds its peaks at -1 dBFS.
inline constexpr double kMixHeadroom = 0.5;
inline constexpr double kOutputCeiling = 29204.0;      // -1 dBFS
inline constexpr double kOutputReleaseFrames = 2646.0;  // 60 ms

// Effects at full volume sound at their own level: the bank is balanced against the songs where it is made.
inline constexpr double kEffectGain = kMixHeadroom;

// The mixer's channel volume (0..128) for an effect volume in hundredths of a decibel.
int MixerVolume(int volume);

class SdlMixer final : public audio::EffectVoices {
 public:
  // Opens the default sound device and loads the bank; throws SdlError when either fails.
  explicit SdlMixer(std::span<const audio::EffectImage> bank);
  ~SdlMixer() override;
  SdlMixer(const SdlMixer&) = delete;
  SdlMixer& operator=(const SdlMixer&) = delete;

  int AddVoice() override;
  bool IsPlaying(int voice) override;
  void Start(int voice, int effect, int volume) override;

  int Voices() const { return voices_; }
  const Mix_Chunk* Chunk(int effect) const { return chunks_.at(static_cast<std::size_t>(effect)).get(); }

 private:
  // The mixer open on the device, closed when the owner goes.
  struct Device {
    Device();
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
  };
  static int SDLCALL WatchEvents(void* self, SDL_Event* event);
  static void SDLCALL Finish(int channel, void* stream, int bytes, void* self);

  SdlSubsystems audio_{SDL_INIT_AUDIO | SDL_INIT_EVENTS};
  Device device_;
  std::vector<ChunkPtr> chunks_;
  audio::OutputStage output_{1.0 / kMixHeadroom, kOutputCeiling, kOutputReleaseFrames};  // the mixer's thread only
  int voices_ = 0;
  std::atomic<bool> deviceLost_{false};
};

}  // namespace gw::platform::sdl
