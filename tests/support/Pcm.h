// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Measures of recorded 16-bit sound, shared by the tests that listen to the mix.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace gw::test {

// The largest sample magnitude.
inline int Peak(const std::vector<std::int16_t>& pcm) {
  int peak = 0;
  for (const std::int16_t s : pcm) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

}  // namespace gw::test
