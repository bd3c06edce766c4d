// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TextBtnCollection.h"

#include <algorithm>

#include "gfx/Draw.h"

namespace gw::ui {

namespace {

// Green reads only on a light ground and yellow only on a dark one, so no single bar serves both: the chosen
// word gets a pale plate of its own on the dark bar.
constexpr gfx::Pixel kPlateFace = gfx::Rgb(255, 248, 226);
constexpr gfx::Pixel kPlateRim = gfx::Rgb(255, 159, 28);
constexpr int kPlateMarginX = 9, kPlateMarginY = 3;

// The area that answers the mouse: the word's ink with the plate's margins around it. The mouse test is
// strict, so the outermost painted pixel needs the edge one further out.
gfx::Rect Covering(const gfx::Rect& area, const gfx::Rect& ink) {
  const gfx::Rect word = ink.Empty() ? area
                                     : gfx::Rect{std::min(area.left, ink.left), std::min(area.top, ink.top),
                                                 std::max(area.right, ink.right), std::max(area.bottom, ink.bottom)};
  return {word.left - kPlateMarginX - 1, word.top - kPlateMarginY - 1, word.right + kPlateMarginX + 1,
          word.bottom + kPlateMarginY + 1};
}

// The plate fills the answer's area inside its edges, so a click anywhere on it answers.
void DrawPlate(const gfx::Rect& area, gfx::Surface& dst) {
  const gfx::Rect plate{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  gfx::FillRoundRect(plate, 8, kPlateRim, dst);
  gfx::FillRoundRect({plate.left + 2, plate.top + 2, plate.right - 2, plate.bottom - 2}, 6, kPlateFace, dst);
}

}  // namespace

void TDDTextBtnCollection::FitToCaptions(gfx::GameFont& font) {
  Rect1 = Covering(Rect1, gfx::ShadowTextInk(font, Text1.x, Text1.y, kFontHeight, kFontWidth, Caption1));
  Rect2 = Covering(Rect2, gfx::ShadowTextInk(font, Text2.x, Text2.y, kFontHeight, kFontWidth, Caption2));
}

void TDDTextBtnCollection::Draw(gfx::Surface& dst, const UiContext& ui) {
  const bool before = Choice;
  // The last recorded mouse position counts whether or not the window is active.
  if (ui.MouseIn(Rect1)) Choice = true;
  if (ui.MouseIn(Rect2)) Choice = false;
  DrawPlate(Choice ? Rect1 : Rect2, dst);
  gfx::DrawShadowText(ui.font, Text1.x, Text1.y, kFontHeight, kFontWidth, Caption1, dst,
                      Choice ? gfx::kGreen : gfx::kYellow);
  gfx::DrawShadowText(ui.font, Text2.x, Text2.y, kFontHeight, kFontWidth, Caption2, dst,
                      Choice ? gfx::kYellow : gfx::kGreen);
  if (Choice != before) ui.Beep();
}

}  // namespace gw::ui
