// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Two text buttons of a question ("ДА"/"НЕТ", "OK"/"ОТМЕНА"): the chosen one is green on a pale plate, the
// other yellow on the dark answer bar of the question box.

#include <string>

#include "gfx/Surface.h"
#include "ui/UiContext.h"

namespace gw::ui {

class TDDTextBtnCollection {
 public:
  static constexpr int kFontHeight = 32, kFontWidth = 20;

  // Captions are Windows-1251.
  TDDTextBtnCollection(const gfx::Rect& rect1, const gfx::Rect& rect2, std::string caption1, std::string caption2)
      : Caption1(std::move(caption1)), Caption2(std::move(caption2)), Rect1(rect1), Rect2(rect2),
        Text1{rect1.left, rect1.top}, Text2{rect2.left, rect2.top} {}

  // Grows each click area to cover every pixel its caption paints and the plate around it, so a click anywhere
  // on a word or its plate answers; the words stay where they start.
  void FitToCaptions(gfx::GameFont& font);
  void Draw(gfx::Surface& dst, const UiContext& ui);
  void HitTest(const UiContext& ui) { Clicked = ui.MouseIn(Rect1) || ui.MouseIn(Rect2); }
  // Beeps even when the choice stays the same.
  void SetChoice(bool value, const UiContext& ui) {
    ui.Beep();
    Choice = value;
  }

  bool Choice = true;
  std::string Caption1, Caption2;
  gfx::Rect Rect1, Rect2;  // where each answers the mouse
  struct At {
    int x, y;
  };
  At Text1, Text2;  // where each caption's cell starts: the click areas' top-left as first given
  bool Clicked = false;
};

}  // namespace gw::ui
