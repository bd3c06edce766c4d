// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The aim's geometry: points along the aim and the rounding the game's positions use, all in exact integer
// arithmetic so that play is the same on every platform.

#include <cstdint>

#include "game/PlayMath.h"

namespace gw::game {

struct Offset {
  std::int32_t x;
  std::int32_t y;
};

// The aim's cosine and sine; the swing's angles come from a table, other angles are computed.
struct AimDirection {
  Extended cosine;
  Extended sine;

  static AimDirection Of(float angle);
};

// The aim direction scaled by r: (nearest(cos(-a) r), nearest(sin(-a) r)); rows grow downwards, so a positive
// angle points up.
inline Offset AlongAim(const AimDirection& d, std::int32_t r) {
  const auto n = static_cast<std::uint64_t>(r < 0 ? -static_cast<std::int64_t>(r) : r);
  const Extended c = r < 0 ? Negated(d.cosine) : d.cosine;
  const Extended s = r < 0 ? d.sine : Negated(d.sine);
  return {static_cast<std::int32_t>(RoundedProduct(c, n)), static_cast<std::int32_t>(RoundedProduct(s, n))};
}

// An arch's row offset for a column offset from the field's middle: nearest(d * d * 0.0007).
inline std::int32_t ArchDrop(std::int32_t fromMiddle) {
  const auto d = static_cast<std::int64_t>(fromMiddle);
  return static_cast<std::int32_t>(RoundedProduct(kArchFactor, static_cast<std::uint64_t>(d * d)));
}

}  // namespace gw::game
