// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Progress.h"

#include <cmath>

#include "gfx/Draw.h"

namespace gw::ui {

void TDDProgress::Draw(gfx::Surface& dst, const gfx::ImageTables& images, bool moving) {
  // A level never has zero length; treat it as a finished one rather than dividing by zero.
  const double ratio = Max == 0 ? 1.0 : static_cast<double>(Position) / Max;
  Advance(moving);
  const int width = kFullWidth - static_cast<int>(std::nearbyint(ratio * kFullWidth));
  if (const gfx::Surface* bar = images.Screen(kBarImage)) {
    const gfx::Rect to{kLeft, kTop, kLeft + width, kTop + kHeight};
    const gfx::Rect from{0, 0, width, kHeight};
    dst.Blt(&to, *bar, &from, gfx::kBltWait);
  }
  gfx::DrawRoundFrame(kLeft, kTop, kFullWidth + 2, kHeight + 2, gfx::kFrameGreen, dst);
}

}  // namespace gw::ui
