// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture button (its highlight drawn while selected) and a two-choice option row.

#include <cstdint>

#include "gfx/Surface.h"
#include "ui/UiContext.h"

namespace gw::ui {

class TDDButton {
 public:
  TDDButton(const gfx::Rect& bounds, std::uint8_t imageIndex) : Bounds(bounds), ImageIndex(imageIndex) {}
  // At rest a button draws nothing: the background shows its label.
  void Draw(gfx::Surface& dst, const UiContext& ui) const;

  gfx::Rect Bounds;
  bool Selected = false;
  std::uint8_t ImageIndex;
};

class TDDToggleButton {
 public:
  TDDToggleButton(const gfx::Rect& onBounds, const gfx::Rect& offBounds, std::uint8_t onImage, std::uint8_t offImage)
      : OnBounds(onBounds), OffBounds(offBounds), OnImage(onImage), OffImage(offImage) {}
  // The focus frame around both choices when selected, then the picture of the choice that is the value.
  gfx::HResult Draw(gfx::Surface& dst, const UiContext& ui) const;

  gfx::Rect OnBounds;
  gfx::Rect OffBounds;
  bool Selected = false;
  bool IsOn = false;
  std::uint8_t OnImage;
  std::uint8_t OffImage;
};

}  // namespace gw::ui
