// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The aim's geometry: points along the aim and the rounding the game's positions use.

#include <cmath>
#include <cstdint>

namespace gw::game {

// Rounds to the nearest integer, halves to even (the default floating-point rounding).
inline std::int32_t Nearest(long double x) { return static_cast<std::int32_t>(std::llrint(x)); }

struct Offset {
  std::int32_t x;
  std::int32_t y;
};

// The aim direction scaled by r: (nearest(cos(-a) r), nearest(sin(-a) r)); rows grow downwards, so a positive
// angle points up.
inline Offset AlongAim(float angle, long double r) {
  const long double a = angle;
  return {Nearest(std::cos(-a) * r), Nearest(std::sin(-a) * r)};
}

}  // namespace gw::game
