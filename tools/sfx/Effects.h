// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seven built-in effects: their bank properties and the synthesis that makes their samples.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace gw::sfx {

struct Effect {
  std::string_view name;
  int maxPlayingCount;  // 0: no limit
  std::uint32_t sampleRate;
  std::vector<std::uint8_t> samples;  // 8-bit unsigned mono PCM, exactly the bank's length
};

// In bank order: Beep, Level, Die, Ham1, Ham2, Big, Small.
std::vector<Effect> SynthesiseBank();

}  // namespace gw::sfx
