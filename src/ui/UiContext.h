// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the on-surface controls need from the rest of the program: the pictures they draw, the font,
// the "Beep", the last mouse position and the tick for the caret.

#include <cstdint>

#include "audio/Sound.h"
#include "gfx/Font.h"
#include "gfx/ImageTables.h"
#include "platform/Clock.h"

namespace gw::ui {

struct Mouse {
  std::int32_t x = 0;
  std::int32_t y = 0;
  // Set by mouse movement and activation, cleared by deactivation: hover selection works only while set.
  bool active = false;
};

struct UiContext {
  const gfx::ImageTables& images;
  audio::Sound& sound;
  gfx::GameFont& font;
  const Mouse& mouse;
  platform::Clock& clock;

  void Beep() const { sound.PlayEffect(audio::kBeep); }
  bool MouseIn(const gfx::Rect& r) const;
};

}  // namespace gw::ui
