// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A one-line text field: keys become capital Cyrillic letters by their place on a Russian keyboard,
// "~" deletes the last letter, and a caret blinks while the field is in typing mode.

#include <cstdint>
#include <string>
#include <string_view>

#include "gfx/Draw.h"
#include "gfx/Surface.h"
#include "ui/UiContext.h"

namespace gw::ui {

class TDDEdit {
 public:
  static constexpr char kDeleteCode = '~';
  static constexpr int kMaxChars = 10;
  static constexpr int kFontHeight = 32, kFontWidth = 20, kFontWeight = 700;

  // The Windows-1251 capital letter on the Russian layout's key for Latin letter A..Z or for one of the keys
  // ; [ ] ' , . ` (as they are on a US keyboard); 0 for other keys.
  static char Translate(char key);
  // The capital letter (Windows-1251) when a keyboard layout typed one Russian letter, in either case; else 0.
  static char TypedLetter(std::string_view utf8);

  // A key as Translate takes it, or kDeleteCode.
  void AddKey(char key, const UiContext& ui);
  // A capital Russian letter (Windows-1251) that the keyboard layout typed; anything else is ignored.
  void AddLetter(char letter, const UiContext& ui);
  void Draw(gfx::Surface& dst, const UiContext& ui);

  // A letter chosen with a controller, as arcade machines do it: shown at the caret, marked apart from the
  // letters already taken, until it is taken or dropped.
  // Turns it one place up (+1) or down (-1) the alphabet; the first turn shows А going up, Я going down.
  void TurnLetter(int step, const UiContext& ui);
  // Takes it into the text when it fits; the next letter starts afresh.
  void TakeLetter(const UiContext& ui);
  // The alphabet place of the letter being chosen, -1 while none is.
  int Choosing() const { return choosing_; }
  void DropLetter() { choosing_ = -1; }

  bool Selected = false;
  bool Editing = false;
  std::string Text;  // Windows-1251
  std::uint8_t CharCount = 0;
  gfx::Rect Bounds{};
  gfx::Pixel TextColour = gfx::kGreen;  // the game's green reads on a light field
  std::uint32_t BlinkTick = 0;
  bool CaretOn = false;

 private:
  int choosing_ = -1;
  // Appends letter when the field has room for it, measured as the text followed by measuredAs; returns whether
  // it did.
  bool Append(char letter, char measuredAs, const UiContext& ui);
  // The letter being chosen after the text textWidth wide; returns the width of both.
  int DrawChoosing(gfx::Surface& dst, int textWidth, const UiContext& ui);
};

}  // namespace gw::ui
