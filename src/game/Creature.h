// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Grom: the lower body that shows whether the level's target is reached, the upper body with the mouth and
// the tongue, and the eyes whose angle is the aim.

#include <cstdint>

#include "gfx/Surface.h"

namespace gw::game {

class TGame;

class TGromDown {
 public:
  void Draw(gfx::Surface& dst, const TGame& game) const;

  bool Big = false;
};

class TGromEye {
 public:
  // Added in extended precision before the angle is stored back as a float.
  static constexpr long double kStep = 0.05L;
  static constexpr std::uint8_t kPupil = 2, kAltPupil = 16;

  void DoFrame(gfx::Surface& dst, TGame& game);

  float Angle = 0;
  bool Rising = false;
  bool Held = false;
  std::uint8_t Sprite = kPupil;
};

class TGromUp {
 public:
  static constexpr int kStep = 15;
  static constexpr int kLongest = 380;
  static constexpr int kStunBlinks = 20;

  void DoFrame(gfx::Surface& dst, TGame& game);

  std::int16_t TongueLength = 0;
  bool TongueOut = false;
  bool Extending = false;
  std::uint8_t Toggle = 1;
  bool Hurt = false;
  std::uint8_t HurtBlinks = 0;
  std::uint32_t NowTick = 0;
  std::uint32_t ToggleTick = 0;

 private:
  void DrawTongue(gfx::Surface& dst, TGame& game);
};

}  // namespace gw::game
