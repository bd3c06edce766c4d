// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The nine kinds of flying creature: frame size, animation, points, and what eating one does besides.

#include <array>
#include <cstdint>

namespace gw::game {

struct EnemyKind {
  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t frames;
  std::uint16_t frameMs;
  std::int8_t points;
};

inline constexpr int kKindCount = 9;
inline constexpr int kFreezingKind = 2;
inline constexpr int kStunningKind = 3;
// Kinds below this look the same both ways; the others have mirrored pictures for flying left.
inline constexpr int kFirstMirroredKind = 3;

inline constexpr std::array<EnemyKind, kKindCount> kEnemyKinds = {{
    {46, 70, 4, 100, -40},
    {41, 71, 4, 50, 50},
    {37, 63, 4, 100, 0},
    {35, 55, 2, 100, -30},
    {64, 74, 2, 100, 10},
    {40, 40, 2, 100, 50},
    {30, 45, 2, 100, 30},
    {62, 79, 2, 100, 20},
    {73, 92, 2, 100, 50},
}};

inline const EnemyKind& KindOf(int kind) { return kEnemyKinds[static_cast<std::size_t>(kind)]; }

}  // namespace gw::game
