// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's sound over a real mixer: the effect bank with its pools, and the one song.

#include "audio/EffectPools.h"
#include "audio/Music.h"
#include "audio/Sound.h"

namespace gw::audio {

class MixerSound final : public Sound {
 public:
  MixerSound(EffectVoices& voices, ModulePlayer& player);

  void PlayEffect(int index) override { effects_.PlayEffect(index); }
  void SetEffectsOn(bool on) override { effects_.SetVolume(on ? kFullVolume : kSilentVolume); }
  void PlaySong(std::string_view name) override { music_.PlaySong(name); }
  void StopSong() override { music_.StopSong(); }
  // The game plays only its two songs, chosen by the screens; there is no folder of extra songs to rotate
  // through, so the poll has nothing to do.
  void PollSong() override {}

  const EffectPools& Effects() const { return effects_; }
  const Music& Songs() const { return music_; }

 private:
  EffectPools effects_;
  Music music_;
};

}  // namespace gw::audio
