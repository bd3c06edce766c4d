// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Geometry.h"

#include <algorithm>
#include <bit>

#include "game/AimTable.h"

namespace gw::game {

AimDirection AimDirection::Of(float angle) {
  const auto bits = std::bit_cast<std::uint32_t>(angle);
  const auto* entry = std::lower_bound(kAimTable.begin(), kAimTable.end(), bits,
                                       [](const AimEntry& e, std::uint32_t b) { return e.angleBits < b; });
  if (entry != kAimTable.end() && entry->angleBits == bits) return {entry->cosine, entry->sine};
  return {Cosine(angle), Sine(angle)};
}

}  // namespace gw::game
