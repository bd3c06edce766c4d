// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/EffectPools.h"

#include <algorithm>

namespace gw::audio {

EffectPools::EffectPools(EffectVoices& voices, std::span<const int> maxPlayingCounts) : voices_(voices) {
  for (const int limit : maxPlayingCounts) effects_.push_back({limit, {}});
}

void EffectPools::PlayEffect(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= effects_.size()) return;
  Effect& effect = effects_[static_cast<std::size_t>(index)];
  auto& pool = effect.pool;
  int voice = -1;
  const auto silent = std::find_if(pool.begin(), pool.end(), [this](int v) { return !voices_.IsPlaying(v); });
  if (silent != pool.end()) {
    voice = *silent;
  } else if (effect.maxPlayingCount == 0 || static_cast<int>(pool.size()) < effect.maxPlayingCount) {
    voice = voices_.AddVoice();
    // A mixer that refuses another voice leaves this playing silent; the game goes on.
    if (voice < 0) return;
    pool.push_back(voice);
  } else {
    voice = pool.front();
    std::rotate(pool.begin(), pool.begin() + 1, pool.end());
  }
  voices_.Start(voice, index, Volume);
}

std::vector<int> MaxPlayingCounts(std::span<const EffectImage> bank) {
  std::vector<int> limits;
  for (const EffectImage& effect : bank) limits.push_back(effect.maxPlayingCount);
  return limits;
}

}  // namespace gw::audio
