// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A list of picture buttons: one is current, the mouse hovering over a button makes it current, the arrow
// keys move through the list with wrap-around, and every change of the current button beeps.

#include <cstdint>
#include <span>
#include <vector>

#include "ui/Button.h"

namespace gw::ui {

struct ButtonSpec {
  gfx::Rect bounds;
  std::uint8_t image;
};

class TDDBtnCollection {
 public:
  TDDBtnCollection(std::span<const ButtonSpec> buttons, const UiContext& ui);

  void SetIndex(int value, const UiContext& ui);
  void Next(const UiContext& ui) { SetIndex(ItemIndex + 1, ui); }
  void Prev(const UiContext& ui) { SetIndex(ItemIndex - 1, ui); }
  void Draw(gfx::Surface& dst, const UiContext& ui);
  void HitTest(const UiContext& ui);

  const std::vector<TDDButton>& Buttons() const { return buttons_; }

  std::int8_t ItemIndex = 0;
  std::int8_t OldIndex = 0;
  std::int8_t Count;
  bool Clicked = false;

 private:
  int Wrapped(int value) const;

  std::vector<TDDButton> buttons_;
};

}  // namespace gw::ui
