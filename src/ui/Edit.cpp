// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Edit.h"

#include <array>
#include <string_view>

#include "gfx/Draw.h"

namespace gw::ui {

namespace {

// ЙЦУКЕН: the letter each Latin key carries, A..Z, as Windows-1251 bytes.
constexpr std::array<unsigned char, 26> kRussianLayout = {
    0xD4, 0xC8, 0xD1, 0xC2, 0xD3, 0xC0, 0xCF, 0xD0, 0xD8, 0xCE, 0xCB, 0xC4, 0xDC,  // A..M
    0xD2, 0xD9, 0xC7, 0xC9, 0xCA, 0xDB, 0xC5, 0xC3, 0xCC, 0xD6, 0xD7, 0xCD, 0xDF,  // N..Z
};
constexpr gfx::Pixel kCaretColour = gfx::Rgb(227, 227, 0);
// The pale caret gets a dark rim so it shows on the country box's white face as well as on the dark question box.
constexpr gfx::Pixel kCaretRim = gfx::kBlack;
// The focus frame stands this far out beside the field, clear of the first letter (which starts at the left edge)
// and of the caret; the options panel paints the country box's border along the same line.
constexpr int kFrameGapX = 6;
constexpr std::uint32_t kBlinkMs = 300;

}  // namespace

char TDDEdit::Translate(char latinLetter) {
  if (latinLetter < 'A' || latinLetter > 'Z') return 0;
  return static_cast<char>(kRussianLayout[static_cast<std::size_t>(latinLetter - 'A')]);
}

void TDDEdit::AddKey(char key, const UiContext& ui) {
  if (key == kDeleteCode) {
    if (CharCount > 0) {
      if (!Text.empty()) Text.pop_back();
      --CharCount;
    }
    return;
  }
  const char letter = Translate(key);
  if (letter == 0) return;
  // The room check measures the Latin key itself, not its translation.
  const int width = ui.font.TextWidth(kFontHeight, kFontWidth, kFontWeight, Text + key);
  if (CharCount < kMaxChars && Bounds.left + width + 5 < Bounds.right) {
    Text += letter;
    ++CharCount;
  }
}

void TDDEdit::Draw(gfx::Surface& dst, const UiContext& ui) {
  if (Selected) {
    const gfx::Rect frame{Bounds.left - kFrameGapX, Bounds.top, Bounds.right + kFrameGapX, Bounds.bottom};
    gfx::DrawFrameRect(frame, 3, gfx::kFocusGreen, dst);
  }
  const std::uint32_t now = ui.clock.TickCount();
  if (now - BlinkTick > kBlinkMs) {
    CaretOn = !CaretOn;
    BlinkTick = now;
  }
  const std::string_view shown = std::string_view(Text).substr(0, CharCount);
  const int width = ui.font.TextWidth(kFontHeight, kFontWidth, kFontWeight, Text);
  if (CaretOn && Selected && Editing) {
    const int x = Bounds.left + width + 5;
    gfx::DrawThickLine(x, Bounds.top + 5, x, Bounds.bottom - 6, 5, kCaretRim, dst);
    gfx::DrawThickLine(x, Bounds.top + 5, x, Bounds.bottom - 6, 3, kCaretColour, dst);
  }
  if (shown.empty()) return;
  ui.font.Draw(dst, Bounds.left + 2, Bounds.top + 1, kFontHeight, kFontWidth, kFontWeight, shown, gfx::kBlack);
  ui.font.Draw(dst, Bounds.left, Bounds.top, kFontHeight, kFontWidth, kFontWeight, shown, gfx::kGreen);
}

}  // namespace gw::ui
