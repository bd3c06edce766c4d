// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level clock: a bar that is full at the start of a level and shrinks from the right.

#include <cstdint>

#include "gfx/ImageTables.h"

namespace gw::ui {

class TDDProgress {
 public:
  static constexpr int kLeft = 111, kTop = 30, kFullWidth = 572, kHeight = 27;
  static constexpr int kBarImage = 23;

  explicit TDDProgress(std::uint16_t max) : Max(max) {}
  // Draws the bar for the ratio before this frame's step, advancing Position when the field is moving.
  void Draw(gfx::Surface& dst, const gfx::ImageTables& images, bool moving);
  // The step alone, for a frame that is played but not drawn.
  void Advance(bool moving) {
    if (moving) ++Position;
  }

  std::uint16_t Max;
  std::uint16_t Position = 0;
};

}  // namespace gw::ui
