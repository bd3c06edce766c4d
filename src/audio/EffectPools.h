// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The built-in effects as the game plays them: each effect keeps a pool of playing copies, oldest first, that
// grows to the largest overlap seen and is never shrunk; an effect with a playing limit cuts its oldest copy.

#include <span>
#include <vector>

#include "audio/EffectData.h"
#include "audio/Mixer.h"

namespace gw::audio {

class EffectPools {
 public:
  // maxPlayingCount per effect in bank order (0: no limit).
  EffectPools(EffectVoices& voices, std::span<const int> maxPlayingCounts);

  void PlayEffect(int index);
  // Full or silent for every later start; copies already sounding keep the volume they started with.
  void SetVolume(int volume) { Volume = volume; }

  // The voices of an effect's pool, oldest first.
  const std::vector<int>& Pool(int index) const { return effects_.at(static_cast<std::size_t>(index)).pool; }
  int Volume = kFullVolume;

 private:
  struct Effect {
    int maxPlayingCount = 0;
    std::vector<int> pool;
  };
  EffectVoices& voices_;
  std::vector<Effect> effects_;
};

// The playing limits of the built-in bank.
std::vector<int> MaxPlayingCounts(std::span<const EffectImage> bank);

}  // namespace gw::audio
