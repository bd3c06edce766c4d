// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The flying creatures: up to seven at once, each flying an arch across the field, animating, and following
// the tongue once caught.

#include <array>
#include <cstdint>
#include <memory>

#include "gfx/Surface.h"

namespace gw::game {

class TGame;

class TEnemy {
 public:
  TEnemy(std::uint8_t kind, TGame& game);

  // Draws into dst unless it is null.
  void DoFrame(gfx::Surface* dst, TGame& game);
  gfx::Rect Bounds() const;
  // Gone past the edge it flies towards.
  bool HasLeftField() const;

  std::uint8_t Kind;
  std::uint8_t Speed = 1;
  std::uint8_t AnimFrame = 0;
  std::uint8_t BaseY = 100;
  std::int16_t X = 0;
  std::int16_t Y = 0;
  bool MovingRight = true;
  bool Caught = false;
  std::uint32_t NowTick = 0;
  std::uint32_t FrameTick = 0;

 private:
  void Draw(gfx::Surface& dst, const TGame& game) const;
};

class TEnemyEngine {
 public:
  static constexpr int kSlotCount = 7;
  static constexpr std::uint32_t kFreezeMs = 8000;

  void DoFrame(gfx::Surface* dst, TGame& game);
  void ReleaseAll();

  bool Moving = false;
  std::array<std::unique_ptr<TEnemy>, kSlotCount> Slots;
  std::uint32_t NowTick = 0;
  std::uint32_t SpawnTick = 0;
};

}  // namespace gw::game
