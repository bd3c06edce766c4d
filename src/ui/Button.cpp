// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Button.h"

#include "gfx/Draw.h"

namespace gw::ui {

bool UiContext::MouseIn(const gfx::Rect& r) const { return gfx::PointInRect(r, mouse.x, mouse.y); }

void TDDButton::Draw(gfx::Surface& dst, const UiContext& ui) const {
  if (Selected) gfx::DrawPicture(dst, Bounds.left, Bounds.top, ui.images.Screen(ImageIndex));
}

gfx::HResult TDDToggleButton::Draw(gfx::Surface& dst, const UiContext& ui) const {
  if (Selected) {
    gfx::DrawFrameRect({OnBounds.left - 2, OnBounds.top - 2, OffBounds.right + 5, OffBounds.bottom + 4}, 3,
                       gfx::kFocusGreen, dst);
  }
  return IsOn ? gfx::DrawPicture(dst, OnBounds.left, OnBounds.top, ui.images.Screen(OnImage))
              : gfx::DrawPicture(dst, OffBounds.left, OffBounds.top, ui.images.Screen(OffImage));
}

}  // namespace gw::ui
