// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BtnCollection.h"

namespace gw::ui {

TDDBtnCollection::TDDBtnCollection(std::span<const ButtonSpec> buttons, const UiContext& ui)
    : Count(static_cast<std::int8_t>(buttons.size())) {
  buttons_.reserve(buttons.size());
  for (const ButtonSpec& b : buttons) buttons_.emplace_back(b.bounds, b.image);
  SetIndex(0, ui);
}

int TDDBtnCollection::Wrapped(int value) const {
  if (value > Count - 1) return 0;
  if (value < 0) return Count - 1;
  return value;
}

void TDDBtnCollection::SetIndex(int value, const UiContext& ui) {
  value = Wrapped(value);
  buttons_[static_cast<std::size_t>(ItemIndex)].Selected = false;
  buttons_[static_cast<std::size_t>(value)].Selected = true;
  ItemIndex = static_cast<std::int8_t>(value);
  ui.Beep();
}

void TDDBtnCollection::Draw(gfx::Surface& dst, const UiContext& ui) {
  OldIndex = ItemIndex;
  if (ui.mouse.active) {
    for (int i = 0; i < Count; ++i) {
      if (ui.MouseIn(buttons_[static_cast<std::size_t>(i)].Bounds)) ItemIndex = static_cast<std::int8_t>(i);
    }
  }
  ItemIndex = static_cast<std::int8_t>(Wrapped(ItemIndex));
  buttons_[static_cast<std::size_t>(ItemIndex)].Draw(dst, ui);
  if (ItemIndex != OldIndex) {
    // The newly hovered button shows from the next frame on.
    ui.Beep();
    buttons_[static_cast<std::size_t>(OldIndex)].Selected = false;
    buttons_[static_cast<std::size_t>(ItemIndex)].Selected = true;
  }
}

void TDDBtnCollection::HitTest(const UiContext& ui) {
  Clicked = false;
  for (const TDDButton& b : buttons_) Clicked = Clicked || ui.MouseIn(b.Bounds);
}

}  // namespace gw::ui
