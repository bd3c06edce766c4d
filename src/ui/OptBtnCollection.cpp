// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/OptBtnCollection.h"

namespace gw::ui {

TDDOptBtnCollection::TDDOptBtnCollection(std::span<const gfx::Rect, 7> rects, std::span<const std::uint8_t, 7> images)
    : Rows{TDDToggleButton(rects[0], rects[1], images[0], images[1]),
           TDDToggleButton(rects[2], rects[3], images[2], images[3]),
           TDDToggleButton(rects[4], rects[5], images[4], images[5])},
      BackButton(rects[6], images[6]) {
  Edit.Bounds = {190, 407, 445, 443};
}

void TDDOptBtnCollection::Draw(gfx::Surface& dst, const UiContext& ui) {
  if (ItemIndex > kBackItem) ItemIndex = 0;
  if (ItemIndex < 0) ItemIndex = kBackItem;
  OldIndex = ItemIndex;
  if (FollowMouse) {
    for (int r = 0; r < 3; ++r) {
      if (ui.MouseIn(Rows[static_cast<std::size_t>(r)].OnBounds)) ItemIndex = static_cast<std::int8_t>(2 * r);
      if (ui.MouseIn(Rows[static_cast<std::size_t>(r)].OffBounds)) ItemIndex = static_cast<std::int8_t>(2 * r + 1);
    }
    if (ui.MouseIn(Edit.Bounds)) ItemIndex = kFieldItem;
    if (ui.MouseIn(BackButton.Bounds)) ItemIndex = kBackItem;
  }
  for (auto& row : Rows) row.Selected = false;
  BackButton.Selected = false;
  Edit.Selected = false;
  if (ItemIndex == kFieldItem) {
    Edit.Selected = true;
  } else {
    // Leaving the field ends typing mode.
    Edit.Editing = false;
    if (ItemIndex == kBackItem) {
      BackButton.Selected = true;
    } else {
      Rows[static_cast<std::size_t>(ItemIndex / 2)].Selected = true;
    }
  }
  for (auto& row : Rows) row.Draw(dst, ui);
  BackButton.Draw(dst, ui);
  Edit.Draw(dst, ui);
  if (ItemIndex != OldIndex) ui.Beep();
}

void TDDOptBtnCollection::HitTest(const UiContext& ui) {
  Clicked = ui.MouseIn(Edit.Bounds) || ui.MouseIn(BackButton.Bounds);
  for (const auto& row : Rows) Clicked = Clicked || ui.MouseIn(row.OnBounds) || ui.MouseIn(row.OffBounds);
}

void TDDOptBtnCollection::ToggleCurrent() {
  if (ItemIndex >= 0 && ItemIndex <= 5) ItemIndex = static_cast<std::int8_t>(ItemIndex ^ 1);
  Clicked = true;
}

void TDDOptBtnCollection::NextRow(const UiContext& ui) {
  FollowMouse = false;
  switch (ItemIndex) {
    case 0: case 1: ItemIndex = ValueItem(1); break;
    case 2: case 3: ItemIndex = ValueItem(2); break;
    case 4: case 5: ItemIndex = kFieldItem; break;
    case kFieldItem: ItemIndex = kBackItem; break;
    default: ItemIndex = ValueItem(0); break;
  }
  ui.Beep();
}

void TDDOptBtnCollection::PrevRow(const UiContext& ui) {
  FollowMouse = false;
  switch (ItemIndex) {
    case 0: case 1: ItemIndex = kBackItem; break;
    case 2: case 3: ItemIndex = ValueItem(0); break;
    case 4: case 5: ItemIndex = ValueItem(1); break;
    case kFieldItem: ItemIndex = ValueItem(2); break;
    default: ItemIndex = kFieldItem; break;
  }
  ui.Beep();
}

}  // namespace gw::ui
