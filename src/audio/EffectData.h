// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seven sound effects that travel inside the program. Each is a complete RIFF WAVE image (8-bit unsigned mono
// PCM), synthesised at build time by tools/sfx, so the mixer can load it straight from memory.

#include <cstdint>
#include <span>
#include <string_view>

namespace gw::audio {

struct EffectImage {
  std::string_view name;
  int maxPlayingCount;  // 0: no limit on overlapping playings
  std::span<const std::uint8_t> wave;
};

// The bank in index order: 0 Beep, 1 Level, 2 Die, 3 Ham1, 4 Ham2, 5 Big, 6 Small.
std::span<const EffectImage> BuiltInEffects();

}  // namespace gw::audio
