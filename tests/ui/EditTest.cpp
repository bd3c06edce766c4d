// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gfx/Draw.h"
#include "ui/Edit.h"
#include "ui/UiFixture.h"

namespace gw::ui {
namespace {

using test::CountColour;
using test::UiFixture;

constexpr gfx::Pixel kCaret = gfx::Rgb(227, 227, 0);

// A field wide enough that only the letter limit can refuse a key.
TDDEdit WideField() {
  TDDEdit e;
  e.Bounds = {0, 0, 5000, 40};
  return e;
}

int Width(const std::string& text) {
  return test::TestFont().TextWidth(TDDEdit::kFontHeight, TDDEdit::kFontWidth, TDDEdit::kFontWeight, text);
}

struct KeyCase {
  char key;
  unsigned char letter;
};

// Each Latin key and the letter it carries on a Russian keyboard.
constexpr KeyCase kLayout[] = {
    {'A', 0xD4}, {'B', 0xC8}, {'C', 0xD1}, {'D', 0xC2}, {'E', 0xD3}, {'F', 0xC0}, {'G', 0xCF},
    {'H', 0xD0}, {'I', 0xD8}, {'J', 0xCE}, {'K', 0xCB}, {'L', 0xC4}, {'M', 0xDC}, {'N', 0xD2},
    {'O', 0xD9}, {'P', 0xC7}, {'Q', 0xC9}, {'R', 0xCA}, {'S', 0xDB}, {'T', 0xC5}, {'U', 0xC3},
    {'V', 0xCC}, {'W', 0xD6}, {'X', 0xD7}, {'Y', 0xCD}, {'Z', 0xDF},
};

TEST(EditKeys, EveryLetterKeyTypesItsRussianLetter) {
  UiFixture f;
  for (const KeyCase& c : kLayout) {
    TDDEdit e = WideField();
    e.AddKey(c.key, f.Ui());
    EXPECT_EQ(e.Text, std::string(1, static_cast<char>(c.letter))) << c.key;
    EXPECT_EQ(e.CharCount, 1) << c.key;
  }
}

TEST(EditKeys, QweTypesThreeLettersAndOtherCharactersAreIgnored) {
  UiFixture f;
  TDDEdit e = WideField();
  for (char k : {'Q', 'W', 'E'}) e.AddKey(k, f.Ui());
  EXPECT_EQ(e.Text, "\xC9\xD6\xD3");
  EXPECT_EQ(e.CharCount, 3);
  for (char k : {'q', '1', ' ', '\x7F', '\0'}) e.AddKey(k, f.Ui());
  EXPECT_EQ(e.Text, "\xC9\xD6\xD3");
  EXPECT_EQ(e.CharCount, 3);
}

TEST(EditKeys, TenLettersAtMost) {
  UiFixture f;
  TDDEdit e = WideField();
  for (int i = 0; i < 11; ++i) e.AddKey('I', f.Ui());
  EXPECT_EQ(e.Text, std::string(10, '\xD8'));
  EXPECT_EQ(e.CharCount, 10);
}

TEST(EditKeys, TildeDeletesTheLastLetterAndDoesNothingOnAnEmptyField) {
  UiFixture f;
  TDDEdit e = WideField();
  e.AddKey(TDDEdit::kDeleteCode, f.Ui());
  EXPECT_EQ(e.Text, "");
  EXPECT_EQ(e.CharCount, 0);
  e.AddKey('A', f.Ui());
  e.AddKey('B', f.Ui());
  e.AddKey(TDDEdit::kDeleteCode, f.Ui());
  EXPECT_EQ(e.Text, "\xD4");
  EXPECT_EQ(e.CharCount, 1);
}

// The room check measures the text followed by the Latin key as pressed, not by the letter it becomes.
TEST(EditKeys, ALetterNeedsFivePixelsOfRoomMeasuredWithTheLatinKey) {
  UiFixture f;
  const std::string typed = "\xC9\xD6";  // ЙЦ
  const int latin = Width(typed + "I");
  ASSERT_LT(latin, Width(typed + "\xD8")) << "I must be narrower than Ш for this test to tell them apart";
  struct Case {
    int room;  // right edge minus (left + width)
    bool accepted;
  };
  for (const Case c : {Case{5, false}, Case{6, true}, Case{0, false}}) {
    TDDEdit e;
    e.Text = typed;
    e.CharCount = 2;
    e.Bounds = {100, 0, 100 + latin + c.room, 40};
    e.AddKey('I', f.Ui());
    EXPECT_EQ(e.CharCount, c.accepted ? 3 : 2) << c.room;
    EXPECT_EQ(e.Text, c.accepted ? typed + "\xD8" : typed) << c.room;
  }
}

TEST(EditKeys, ALongerLoadedTextRefusesLettersAndCanBeShortened) {
  UiFixture f;
  TDDEdit e = WideField();
  e.Text = std::string(12, '\xC0');
  e.CharCount = 12;
  e.AddKey('A', f.Ui());
  EXPECT_EQ(e.CharCount, 12);
  e.AddKey(TDDEdit::kDeleteCode, f.Ui());
  e.AddKey(TDDEdit::kDeleteCode, f.Ui());
  e.AddKey(TDDEdit::kDeleteCode, f.Ui());
  EXPECT_EQ(e.Text, std::string(9, '\xC0'));
  EXPECT_EQ(e.CharCount, 9);
  e.AddKey('A', f.Ui());
  EXPECT_EQ(e.CharCount, 10);
}

struct DrawCase {
  bool selected, editing;
  bool frame, caret;
};

TEST(EditDraw, FrameOnlyWhenSelectedCaretOnlyWhenAlsoEditing) {
  for (const DrawCase c : {DrawCase{false, false, false, false}, DrawCase{false, true, false, false},
                           DrawCase{true, false, true, false}, DrawCase{true, true, true, true}}) {
    UiFixture f;
    TDDEdit e;
    e.Bounds = {190, 407, 445, 443};
    e.Text = "\xD0\xEE\xF1";  // Рос
    e.CharCount = 3;
    e.Selected = c.selected;
    e.Editing = c.editing;
    e.Draw(f.screen, f.Ui());  // the first draw turns the caret phase on
    ASSERT_TRUE(e.CaretOn);
    EXPECT_GT(CountColour(f.screen, gfx::kGreen), 0) << "the text is always drawn";
    EXPECT_EQ(CountColour(f.screen, gfx::kFocusGreen) > 0, c.frame) << c.selected << c.editing;
    EXPECT_EQ(CountColour(f.screen, kCaret) > 0, c.caret) << c.selected << c.editing;
    if (c.caret) {
      // A vertical caret five pixels right of the text, from top + 5 down to bottom - 6.
      const int x = e.Bounds.left + Width(e.Text) + 5;
      EXPECT_EQ(f.screen.At(x, 425), kCaret);
      EXPECT_EQ(CountColour(f.screen, kCaret, {0, 0, 800, e.Bounds.top + 3}), 0);
      EXPECT_EQ(CountColour(f.screen, kCaret, {0, e.Bounds.bottom - 3, 800, 600}), 0);
    }
  }
}

TEST(EditDraw, TheCaretBlinksAfterMoreThanThreeHundredMilliseconds) {
  UiFixture f;
  TDDEdit e;
  e.Bounds = {236, 280, 564, 314};
  e.Selected = e.Editing = true;
  auto caretShown = [&] {
    f.screen.Fill(0);
    e.Draw(f.screen, f.Ui());
    return CountColour(f.screen, kCaret) > 0;
  };
  EXPECT_TRUE(caretShown());
  f.clock.tick += 300;
  EXPECT_TRUE(caretShown());
  f.clock.tick += 1;
  EXPECT_FALSE(caretShown());
  f.clock.tick += 301;
  EXPECT_TRUE(caretShown());
}

TEST(EditDraw, OnlyTheFirstCharCountLettersAreDrawn) {
  UiFixture f;
  TDDEdit e;
  e.Bounds = {100, 100, 700, 140};
  e.Text = "\xC0\xC0\xC0\xC0";
  e.CharCount = 0;
  e.Draw(f.screen, f.Ui());
  EXPECT_EQ(CountColour(f.screen, gfx::kGreen), 0);
}

// On the country box's white face: the focus frame keeps off the first letter, and the pale caret shows by its
// dark rim.
TEST(EditDraw, TheFrameStandsClearOfTheTextAndTheCaretShowsOnWhite) {
  UiFixture f;
  const gfx::Pixel white = gfx::Rgb(255, 255, 255);
  f.screen.Fill(white);
  TDDEdit e;
  e.Bounds = {190, 407, 445, 443};
  e.Text = "\xD8\xC8";  // ШИ: the first letter's stem stands at the field's left edge
  e.CharCount = 2;
  e.Selected = true;
  e.Editing = true;
  e.Draw(f.screen, f.Ui());
  ASSERT_TRUE(e.CaretOn);
  int inkLeft = 800;
  for (int y = e.Bounds.top; y < e.Bounds.bottom; ++y)
    for (int x = e.Bounds.left - 10; x < e.Bounds.left + 30; ++x)
      if (f.screen.At(x, y) == gfx::kGreen) inkLeft = std::min(inkLeft, x);
  ASSERT_LT(inkLeft, 800);
  const int frameNear = CountColour(f.screen, gfx::kFocusGreen, {inkLeft - 3, e.Bounds.top + 2, inkLeft + 30, e.Bounds.bottom - 2});
  EXPECT_EQ(frameNear, 0) << "the frame touches the text starting at x " << inkLeft;
  EXPECT_GT(CountColour(f.screen, gfx::kFocusGreen), 0);

  const int x = e.Bounds.left + Width(e.Text) + 5;
  ASSERT_EQ(f.screen.At(x, 425), kCaret);
  EXPECT_EQ(f.screen.At(x - 2, 425), gfx::kBlack);
  EXPECT_EQ(f.screen.At(x + 2, 425), gfx::kBlack);
}

}  // namespace
}  // namespace gw::ui
