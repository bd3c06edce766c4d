// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TextBtnCollection.h"

#include "gfx/Draw.h"

namespace gw::ui {

void TDDTextBtnCollection::Draw(gfx::Surface& dst, const UiContext& ui) {
  const bool before = Choice;
  // The last recorded mouse position counts whether or not the window is active.
  if (ui.MouseIn(Rect1)) Choice = true;
  if (ui.MouseIn(Rect2)) Choice = false;
  gfx::DrawShadowText(ui.font, Rect1.left, Rect1.top, kFontHeight, kFontWidth, Caption1, dst,
                      Choice ? gfx::kGreen : gfx::kYellow);
  gfx::DrawShadowText(ui.font, Rect2.left, Rect2.top, kFontHeight, kFontWidth, Caption2, dst,
                      Choice ? gfx::kYellow : gfx::kGreen);
  if (Choice != before) ui.Beep();
}

}  // namespace gw::ui
