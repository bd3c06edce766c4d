// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options screen: three two-choice rows (display mode, music, sound), the country field and a back
// button, items 0..7 (2r and 2r + 1 are the left and right choices of row r, 6 the field, 7 back).

#include <array>
#include <cstdint>
#include <span>

#include "ui/Button.h"
#include "ui/Edit.h"

namespace gw::ui {

class TDDOptBtnCollection {
 public:
  static constexpr int kFieldItem = 6, kBackItem = 7;

  // rects: left and right choice of each row, then the back button; images likewise.
  TDDOptBtnCollection(std::span<const gfx::Rect, 7> rects, std::span<const std::uint8_t, 7> images);

  void Draw(gfx::Surface& dst, const UiContext& ui);
  void HitTest(const UiContext& ui);
  // Moves to the other choice of the current row (items 6 and 7 stay) and confirms; the caller then acts.
  void ToggleCurrent();
  void NextRow(const UiContext& ui);
  void PrevRow(const UiContext& ui);

  std::array<TDDToggleButton, 3> Rows;
  TDDButton BackButton;
  TDDEdit Edit;
  std::int8_t OldIndex = 0;
  std::int8_t ItemIndex = kBackItem;
  bool Clicked = false;
  bool FollowMouse = false;

 private:
  // The choice of row r that shows its value.
  std::int8_t ValueItem(int row) const { return static_cast<std::int8_t>(2 * row + (Rows[static_cast<std::size_t>(row)].IsOn ? 0 : 1)); }
};

}  // namespace gw::ui
