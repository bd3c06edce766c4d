// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A one-line text field: letter keys become capital Cyrillic letters by their place on a Russian keyboard,
// "~" deletes the last letter, and a caret blinks while the field is in typing mode.

#include <cstdint>
#include <string>

#include "gfx/Surface.h"
#include "ui/UiContext.h"

namespace gw::ui {

class TDDEdit {
 public:
  static constexpr char kDeleteCode = '~';
  static constexpr int kMaxChars = 10;
  static constexpr int kFontHeight = 32, kFontWidth = 20, kFontWeight = 700;

  // The Windows-1251 capital letter on the Russian layout's key for Latin letter A..Z; 0 for other keys.
  static char Translate(char latinLetter);

  void AddKey(char key, const UiContext& ui);
  void Draw(gfx::Surface& dst, const UiContext& ui);

  bool Selected = false;
  bool Editing = false;
  std::string Text;  // Windows-1251
  std::uint8_t CharCount = 0;
  gfx::Rect Bounds{};
  std::uint32_t BlinkTick = 0;
  bool CaretOn = false;
};

}  // namespace gw::ui
