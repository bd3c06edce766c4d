// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/SdlMixer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace gw::platform::sdl {

int MixerVolume(int volume) {
  if (volume <= audio::kSilentVolume) return 0;
  const double gain = kEffectGain * std::pow(10.0, std::min(volume, 0) / 2000.0);
  return static_cast<int>(std::lround(gain * MIX_MAX_VOLUME));
}

SdlMixer::Device::Device() {
  // The exact format, whatever the device wants: SDL converts, and the song renderer can count on it.
  if (Mix_OpenAudioDevice(kMixRate, AUDIO_S16SYS, kMixChannels, kMixBufferFrames, nullptr, 0) != 0) {
    throw SdlError("cannot open the sound device");
  }
}

SdlMixer::Device::~Device() { Mix_CloseAudio(); }

SdlMixer::SdlMixer(std::span<const audio::EffectImage> bank) {
  Mix_AllocateChannels(0);
  for (const audio::EffectImage& effect : bank) {
    SDL_RWops* rw = SDL_RWFromConstMem(effect.wave.data(), static_cast<int>(effect.wave.size()));
    chunks_.push_back(Checked(ChunkPtr(Mix_LoadWAV_RW(rw, 1)), "cannot load a built-in sound effect"));
  }
  // Runs on the whole mix, after the song and every channel are in it.
  if (Mix_RegisterEffect(MIX_CHANNEL_POST, &SdlMixer::Finish, nullptr, this) == 0) {
    throw SdlError("cannot add the output stage to the mixer");
  }
  SDL_AddEventWatch(&SdlMixer::WatchEvents, this);
}

SdlMixer::~SdlMixer() {
  SDL_DelEventWatch(&SdlMixer::WatchEvents, this);
  Mix_UnregisterEffect(MIX_CHANNEL_POST, &SdlMixer::Finish);
  Mix_HaltChannel(-1);
  chunks_.clear();
  Mix_MasterVolume(MIX_MAX_VOLUME);
}

int SdlMixer::AddVoice() {
  if (Mix_AllocateChannels(voices_ + 1) != voices_ + 1) return -1;
  return voices_++;
}

bool SdlMixer::IsPlaying(int voice) { return Mix_Playing(voice) != 0; }

void SdlMixer::Start(int voice, int effect, int volume) {
  if (effect < 0 || static_cast<std::size_t>(effect) >= chunks_.size()) return;
  Mix_HaltChannel(voice);
  Mix_Volume(voice, MixerVolume(volume));
  Mix_PlayChannel(voice, chunks_[static_cast<std::size_t>(effect)].get(), 0);
}

// The mixer's thread, in the device's format (16-bit, kMixChannels).
void SDLCALL SdlMixer::Finish(int, void* stream, int bytes, void* self) {
  static_cast<SdlMixer*>(self)->output_.Process(
      std::span(static_cast<std::int16_t*>(stream), static_cast<std::size_t>(bytes) / sizeof(std::int16_t)),
      kMixChannels);
}

// Effects sound only while the game's window has the focus, as sounds of a window should; the song goes on.
// Called on the thread that queued the event.
int SDLCALL SdlMixer::WatchEvents(void* self, SDL_Event* event) {
  auto& mixer = *static_cast<SdlMixer*>(self);
  if (event->type == SDL_WINDOWEVENT) {
    if (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) Mix_MasterVolume(MIX_MAX_VOLUME);
    if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST) Mix_MasterVolume(0);
  } else if (event->type == SDL_AUDIODEVICEREMOVED && event->adevice.iscapture == 0) {
    if (!mixer.deviceLost_.exchange(true)) {
      std::fprintf(stderr, "Grom Wumbler: the sound device is gone; the game goes on in silence\n");
    }
  }
  return 1;
}

}  // namespace gw::platform::sdl
