// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a control needs around it, without a window: pictures of known solid colours, the real game font,
// a sound that records the beeps, a mouse the test moves and a clock it sets.

#include <algorithm>
#include <cstdint>
#include <memory>

#include "gfx/Cp1251.h"
#include "gfx/ImageTables.h"
#include "gfx/Surface.h"
#include "support/Headless.h"
#include "ui/UiContext.h"

namespace gw::test {

// A picture slot's colour: distinct for every slot and unlike any text or frame colour of the controls.
constexpr gfx::Pixel SlotColour(int slot) { return gfx::Rgb(40, static_cast<std::uint8_t>(10 + slot), 200); }

struct UiFixture {
  UiFixture() {
    for (int k = 0; k < gfx::ImageTables::kScreenCount; ++k) {
      // Big enough for every highlight the controls draw; the level bar has its real size.
      const int w = k == 23 ? 572 : 40, h = k == 23 ? 27 : 20;
      images.screen[static_cast<std::size_t>(k)] = std::make_unique<gfx::Surface>(w, h);
      images.screen[static_cast<std::size_t>(k)]->Fill(SlotColour(k));
    }
  }

  ui::UiContext Ui() { return {images, sound, TestFont(), mouse, clock}; }
  int Beeps() const { return sound.Count("effect 0"); }
  void MouseAt(int x, int y) {
    mouse.x = x;
    mouse.y = y;
    mouse.active = true;
  }

  gfx::ImageTables images;
  RecordingSound sound;
  FakeClock clock;
  ui::Mouse mouse;
  gfx::Surface screen{800, 600};
};

inline int CountColour(const gfx::Surface& s, gfx::Pixel colour, const gfx::Rect& area = {0, 0, 800, 600}) {
  int n = 0;
  for (int y = std::max(area.top, 0); y < std::min(area.bottom, s.Height()); ++y) {
    for (int x = std::max(area.left, 0); x < std::min(area.right, s.Width()); ++x) n += s.At(x, y) == colour;
  }
  return n;
}

}  // namespace gw::test
