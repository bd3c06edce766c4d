// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Edit.h"

#include <array>
#include <string_view>

#include "gfx/Cp1251.h"
#include "gfx/Draw.h"

namespace gw::ui {

namespace {

// ЙЦУКЕН: the letter each Latin key carries, A..Z, as Windows-1251 bytes.
constexpr std::array<unsigned char, 26> kRussianLayout = {
    0xD4, 0xC8, 0xD1, 0xC2, 0xD3, 0xC0, 0xCF, 0xD0, 0xD8, 0xCE, 0xCB, 0xC4, 0xDC,  // A..M
    0xD2, 0xD9, 0xC7, 0xC9, 0xCA, 0xDB, 0xC5, 0xC3, 0xCC, 0xD6, 0xD7, 0xCD, 0xDF,  // N..Z
};
// The keys beside the letters that carry the other seven letters, and those letters.
constexpr std::string_view kPunctuationKeys = ";[]',.`";
constexpr std::string_view kPunctuationLetters = "\xC6\xD5\xDA\xDD\xC1\xDE\xA8";  // Ж Х Ъ Э Б Ю Ё
// The alphabet in its order, Ё after Е.
constexpr std::string_view kAlphabet =
    "\xC0\xC1\xC2\xC3\xC4\xC5\xA8\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
    "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF";
constexpr int kAlphabetSize = static_cast<int>(kAlphabet.size());
constexpr unsigned char kCapitalYo = 0xA8, kSmallYo = 0xB8;
constexpr unsigned char kCapitalA = 0xC0, kSmallA = 0xE0;

bool IsLatinLetter(char key) { return key >= 'A' && key <= 'Z'; }

bool IsCapitalLetter(char letter) {
  const auto b = static_cast<unsigned char>(letter);
  return b == kCapitalYo || (b >= kCapitalA && b < kSmallA);
}

constexpr gfx::Pixel kCaretColour = gfx::Rgb(227, 227, 0);
// The pale caret gets a dark rim so it shows on the country box's white face as well as on the dark question box.
constexpr gfx::Pixel kCaretRim = gfx::kBlack;
// The focus frame stands this far out beside the field, clear of the first letter (which starts at the left edge)
// and of the caret; the options panel paints the country box's border along the same line.
constexpr int kFrameGapX = 6;
constexpr std::uint32_t kBlinkMs = 300;

}  // namespace

char TDDEdit::Translate(char key) {
  if (IsLatinLetter(key)) return static_cast<char>(kRussianLayout[static_cast<std::size_t>(key - 'A')]);
  const std::size_t at = kPunctuationKeys.find(key);
  return at == std::string_view::npos ? 0 : kPunctuationLetters[at];
}

char TDDEdit::TypedLetter(std::string_view utf8) {
  const std::string bytes = gfx::ToCp1251(utf8);
  if (bytes.size() != 1) return 0;
  const auto b = static_cast<unsigned char>(bytes[0]);
  // The names are capitals, whatever Shift or Caps Lock say.
  if (b == kSmallYo) return static_cast<char>(kCapitalYo);
  if (b >= kSmallA) return static_cast<char>(b - (kSmallA - kCapitalA));
  return IsCapitalLetter(bytes[0]) ? bytes[0] : 0;
}

void TDDEdit::AddKey(char key, const UiContext& ui) {
  // A key typed over a letter being chosen with a controller takes its place; Backspace drops it.
  const bool choosing = choosing_ >= 0;
  choosing_ = -1;
  if (key == kDeleteCode && choosing) return;
  if (key == kDeleteCode) {
    if (CharCount > 0) {
      if (!Text.empty()) Text.pop_back();
      --CharCount;
    }
    return;
  }
  const char letter = Translate(key);
  if (letter == 0) return;
  // A letter key's room is measured with the Latin letter itself, not its translation; the punctuation keys are
  // far narrower than their letters, so theirs is measured with the letter.
  Append(letter, IsLatinLetter(key) ? key : letter, ui);
}

void TDDEdit::AddLetter(char letter, const UiContext& ui) {
  choosing_ = -1;
  if (IsCapitalLetter(letter)) Append(letter, letter, ui);
}

bool TDDEdit::Append(char letter, char measuredAs, const UiContext& ui) {
  const int width = ui.font.TextWidth(kFontHeight, kFontWidth, kFontWeight, Text + measuredAs);
  if (CharCount >= kMaxChars || Bounds.left + width + 5 >= Bounds.right) return false;
  Text += letter;
  ++CharCount;
  return true;
}

void TDDEdit::TurnLetter(int step, const UiContext& ui) {
  if (choosing_ < 0) {
    choosing_ = step > 0 ? 0 : kAlphabetSize - 1;
  } else {
    choosing_ = ((choosing_ + step) % kAlphabetSize + kAlphabetSize) % kAlphabetSize;
  }
  ui.Beep();
}

void TDDEdit::TakeLetter(const UiContext& ui) {
  if (choosing_ < 0) return;
  const char letter = kAlphabet[static_cast<std::size_t>(choosing_)];
  // A letter that does not fit stays shown, not taken.
  if (Append(letter, letter, ui)) choosing_ = -1;
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
  // A letter being chosen lives only while the field is typed into.
  if (!Selected || !Editing) choosing_ = -1;
  int caretAfter = width;
  if (choosing_ >= 0) caretAfter = DrawChoosing(dst, width, ui);
  if (CaretOn && Selected && Editing) {
    const int x = Bounds.left + caretAfter + 5;
    gfx::DrawThickLine(x, Bounds.top + 5, x, Bounds.bottom - 6, 5, kCaretRim, dst);
    gfx::DrawThickLine(x, Bounds.top + 5, x, Bounds.bottom - 6, 3, kCaretColour, dst);
  }
  if (shown.empty()) return;
  ui.font.Draw(dst, Bounds.left + 2, Bounds.top + 1, kFontHeight, kFontWidth, kFontWeight, shown, gfx::kBlack);
  ui.font.Draw(dst, Bounds.left, Bounds.top, kFontHeight, kFontWidth, kFontWeight, shown, TextColour);
}

int TDDEdit::DrawChoosing(gfx::Surface& dst, int textWidth, const UiContext& ui) {
  const std::string letter(1, kAlphabet[static_cast<std::size_t>(choosing_)]);
  const int after = ui.font.TextWidth(kFontHeight, kFontWidth, kFontWeight, Text + letter);
  // Yellow on a dark cell, where the taken letters are green on the field.
  dst.FillRect({Bounds.left + textWidth, Bounds.top + 3, Bounds.left + after + 3, Bounds.bottom - 3}, gfx::kFocusGreen);
  ui.font.Draw(dst, Bounds.left + textWidth + 1, Bounds.top, kFontHeight, kFontWidth, kFontWeight, letter,
               gfx::kYellow);
  return after;
}

}  // namespace gw::ui
