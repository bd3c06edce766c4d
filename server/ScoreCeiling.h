// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The highest score a game could ever reach, from the game's own rules: the best creature eaten on every
// counted frame of every level that the game's one byte of level number can reach. A real catch takes the
// tongue several frames, so no game comes near it; anything above it did not come from the game.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "game/EnemyKinds.h"
#include "game/Game.h"

namespace gw::scores {

constexpr std::int64_t BestCreaturePoints() {
  std::int64_t best = 0;
  for (const game::EnemyKind& kind : game::kEnemyKinds) best = std::max<std::int64_t>(best, kind.points);
  return best;
}

constexpr std::int64_t CountedFrames() {
  std::int64_t frames = 0;
  for (std::int64_t level = 1; level <= game::TGame::kLastLevel; ++level) {
    frames += std::min<std::int64_t>(level * game::TGame::kFramesPerLevel, game::TGame::kClockTop);
  }
  return frames;
}

inline constexpr std::int64_t kHighestScore = BestCreaturePoints() * CountedFrames();
static_assert(kHighestScore == 739'593'000, "the documented ceiling follows the game's rules");
static_assert(kHighestScore <= std::numeric_limits<std::int32_t>::max());

}  // namespace gw::scores
