// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Grom: the lower body that shows whether the level's target is reached, the upper body with the mouth and
// the tongue, and the eyes whose angle is the aim.

#include <cstdint>

#include "game/Geometry.h"
#include "gfx/Surface.h"

namespace gw::game {

class TGame;

class TGromDown {
 public:
  void Draw(gfx::Surface& dst, const TGame& game) const;

  bool Big = false;
};

// The parts' frames draw into dst, or play without drawing when it is null (verifying a recorded game).
class TGromEye {
 public:
  static constexpr std::uint8_t kPupil = 2, kAltPupil = 16;

  void DoFrame(gfx::Surface* dst, TGame& game);
  // The direction of Angle, computed again only when the angle has changed.
  const AimDirection& Direction() const;

  float Angle = 0;
  bool Rising = false;
  bool Held = false;
  std::uint8_t Sprite = kPupil;

 private:
  mutable AimDirection direction_ = AimDirection::Of(0.0f);
  mutable float directionFor_ = 0.0f;
};

class TGromUp {
 public:
  static constexpr int kStep = 15;
  static constexpr int kLongest = 380;
  static constexpr int kStunBlinks = 20;

  void DoFrame(gfx::Surface* dst, TGame& game);

  std::int16_t TongueLength = 0;
  bool TongueOut = false;
  bool Extending = false;
  std::uint8_t Toggle = 1;
  bool Hurt = false;
  std::uint8_t HurtBlinks = 0;
  std::uint32_t NowTick = 0;
  std::uint32_t ToggleTick = 0;

 private:
  // The tongue turns back before its tip would leave the field.
  void TurnAtEdge(const TGame& game);
  void DrawTongue(gfx::Surface& dst, const TGame& game) const;
};

}  // namespace gw::game
