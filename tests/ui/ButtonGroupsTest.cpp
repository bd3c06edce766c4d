// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gfx/Draw.h"
#include "ui/Controls.h"
#include "ui/UiFixture.h"

namespace gw::ui {
namespace {

using test::CountColour;
using test::SlotColour;

// The game's six groups and the name field, made as the game makes them.
struct Groups : test::UiFixture {
  Groups() {
    c.CreateMissing(Ui());
    sound.calls.clear();
  }
  Controls c;
};

int SelectedCount(const TDDBtnCollection& g) {
  return static_cast<int>(std::count_if(g.Buttons().begin(), g.Buttons().end(), [](auto& b) { return b.Selected; }));
}

TEST(Groups, CreationBeepsOncePerButtonListAndStartsOnTheDocumentedItems) {
  test::UiFixture f;
  Controls c;
  c.CreateMissing(f.Ui());
  EXPECT_EQ(f.Beeps(), 3);
  EXPECT_EQ(c.MainMenu->Count, 6);
  EXPECT_EQ(c.MainMenu->ItemIndex, 0);
  EXPECT_TRUE(c.MainMenu->Buttons()[0].Selected);
  EXPECT_EQ(c.OptionButtons->ItemIndex, TDDOptBtnCollection::kBackItem);
  EXPECT_TRUE(c.YesNoButtons->Choice);
  EXPECT_TRUE(c.NameEdit->Selected && c.NameEdit->Editing);
  EXPECT_FALSE(c.OptionButtons->Edit.Selected || c.OptionButtons->Edit.Editing);
  // Made only once: a second call (a picture reload) keeps them and their state.
  c.MainMenu->SetIndex(4, f.Ui());
  TDDBtnCollection* before = c.MainMenu.get();
  c.CreateMissing(f.Ui());
  EXPECT_EQ(c.MainMenu.get(), before);
  EXPECT_EQ(c.MainMenu->ItemIndex, 4);
}

TEST(Groups, ArrowsWrapAroundBothWaysAndEveryMoveBeeps) {
  Groups g;
  TDDBtnCollection& menu = *g.c.MainMenu;
  menu.Prev(g.Ui());
  EXPECT_EQ(menu.ItemIndex, 5);
  menu.Next(g.Ui());
  EXPECT_EQ(menu.ItemIndex, 0);
  menu.Next(g.Ui());
  EXPECT_EQ(menu.ItemIndex, 1);
  EXPECT_EQ(g.Beeps(), 3);
  EXPECT_EQ(SelectedCount(menu), 1);
  EXPECT_TRUE(menu.Buttons()[1].Selected);
  // The three-button lists wrap at their own ends.
  g.c.HelpButtons->Prev(g.Ui());
  EXPECT_EQ(g.c.HelpButtons->ItemIndex, 2);
  g.c.HelpButtons->Next(g.Ui());
  EXPECT_EQ(g.c.HelpButtons->ItemIndex, 0);
}

TEST(Groups, HoverWinsOverTheKeyboardWhileTheMouseRestsOnAButton) {
  Groups g;
  TDDBtnCollection& menu = *g.c.MainMenu;
  g.MouseAt(300, 300);  // new game 0 .. quit 5; 3 is help
  menu.Draw(g.screen, g.Ui());
  EXPECT_EQ(menu.ItemIndex, 3);
  EXPECT_EQ(g.Beeps(), 1);
  menu.Next(g.Ui());
  EXPECT_EQ(menu.ItemIndex, 4);
  EXPECT_EQ(g.Beeps(), 2);
  menu.Draw(g.screen, g.Ui());
  EXPECT_EQ(menu.ItemIndex, 3);
  EXPECT_EQ(g.Beeps(), 3);
  EXPECT_EQ(SelectedCount(menu), 1);
  // Over no button the keyboard choice stands and nothing beeps.
  g.MouseAt(20, 20);
  menu.Next(g.Ui());
  menu.Draw(g.screen, g.Ui());
  EXPECT_EQ(menu.ItemIndex, 4);
  EXPECT_EQ(g.Beeps(), 4);
  // While the program is inactive the recorded position is ignored entirely.
  g.MouseAt(300, 300);
  g.mouse.active = false;
  menu.Draw(g.screen, g.Ui());
  EXPECT_EQ(menu.ItemIndex, 4);
  EXPECT_EQ(g.Beeps(), 4);
}

TEST(Groups, OnlyTheSelectedButtonIsDrawnAndAHoveredOneFromTheNextFrame) {
  Groups g;
  TDDBtnCollection& menu = *g.c.MainMenu;
  menu.Draw(g.screen, g.Ui());
  for (int slot = 1; slot <= 6; ++slot) EXPECT_EQ(CountColour(g.screen, SlotColour(slot)) > 0, slot == 1) << slot;
  EXPECT_EQ(g.screen.At(199, 156), SlotColour(1));  // at the button's top-left
  g.MouseAt(300, 250);  // high scores, slot 3
  g.screen.Fill(0);
  menu.Draw(g.screen, g.Ui());
  EXPECT_EQ(CountColour(g.screen, SlotColour(1)), 0);
  EXPECT_EQ(CountColour(g.screen, SlotColour(3)), 0);
  g.screen.Fill(0);
  menu.Draw(g.screen, g.Ui());
  EXPECT_EQ(g.screen.At(199, 240), SlotColour(3));
}

struct Point {
  int x, y;
  bool inside;
};

TEST(Groups, ClickedIsSetOnlyStrictlyInsideAButton) {
  Groups g;
  TDDBtnCollection& menu = *g.c.MainMenu;  // item 0 is (199, 156, 590, 195)
  for (const Point p : {Point{200, 157, true}, Point{589, 194, true}, Point{199, 170, false}, Point{590, 170, false},
                        Point{300, 156, false}, Point{300, 195, false}, Point{20, 20, false}}) {
    menu.Clicked = !p.inside;
    g.MouseAt(p.x, p.y);
    menu.HitTest(g.Ui());
    EXPECT_EQ(menu.Clicked, p.inside) << p.x << "," << p.y;
  }
  TDDOptBtnCollection& opt = *g.c.OptionButtons;
  for (const Point p : {Point{300, 420, true}, Point{300, 250, true}, Point{500, 250, true}, Point{300, 370, true},
                        Point{100, 570, true}, Point{348, 250, false}, Point{600, 420, false}}) {
    g.MouseAt(p.x, p.y);
    opt.HitTest(g.Ui());
    EXPECT_EQ(opt.Clicked, p.inside) << p.x << "," << p.y;
  }
  TDDTextBtnCollection& yesNo = *g.c.YesNoButtons;  // its areas cover the words' ink
  const int left = yesNo.Rect1.left;
  for (const Point p : {Point{300, 350, true}, Point{480, 350, true}, Point{400, 350, false}, Point{left, 350, false},
                        Point{left + 1, 350, true}}) {
    g.MouseAt(p.x, p.y);
    yesNo.HitTest(g.Ui());
    EXPECT_EQ(yesNo.Clicked, p.inside) << p.x << "," << p.y;
  }
  EXPECT_EQ(g.Beeps(), 0);
}

// Whatever an answer paints (its word and, when chosen, the plate under it) answers a click there.
TEST(TextButtons, EveryPaintedPixelOfAnAnswerAnswersAClick) {
  Groups g;
  g.MouseAt(5, 5);
  for (TDDTextBtnCollection* pair : {g.c.YesNoButtons.get(), g.c.OkCancelButtons.get()}) {
    for (const bool choice : {true, false}) {
      SCOPED_TRACE(std::string(pair->Caption1) + (choice ? " chosen" : " not chosen"));
      pair->Choice = choice;
      g.screen.Fill(gfx::Rgb(1, 2, 3));
      pair->Draw(g.screen, g.Ui());
      int painted = 0, dead = 0;
      for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
          if (g.screen.At(x, y) == gfx::Rgb(1, 2, 3)) continue;
          ++painted;
          g.MouseAt(x, y);
          pair->HitTest(g.Ui());
          dead += pair->Clicked ? 0 : 1;
        }
      g.MouseAt(5, 5);
      EXPECT_GT(painted, 1000);
      EXPECT_EQ(dead, 0) << "painted pixels where a click does nothing";
    }
  }
}

struct RowCase {
  int from;
  bool windowed, music, sound;
  int next, prev;
};

// Entering a row lands on the choice that shows its value.
TEST(OptionGroup, NextRowAndPrevRowLandOnTheRowsValue) {
  const RowCase cases[] = {
      {0, true, true, true, 2, 7},   {1, false, false, true, 3, 7}, {2, true, true, true, 4, 0},
      {3, false, true, false, 5, 1}, {4, true, true, true, 6, 2},   {5, true, false, true, 6, 3},
      {6, true, true, true, 7, 4},   {6, true, true, false, 7, 5},  {7, true, true, true, 0, 6},
      {7, false, true, true, 1, 6},
  };
  for (const RowCase& c : cases) {
    Groups g;
    TDDOptBtnCollection& opt = *g.c.OptionButtons;
    opt.Rows[0].IsOn = c.windowed;
    opt.Rows[1].IsOn = c.music;
    opt.Rows[2].IsOn = c.sound;
    opt.ItemIndex = static_cast<std::int8_t>(c.from);
    opt.FollowMouse = true;
    opt.NextRow(g.Ui());
    EXPECT_EQ(opt.ItemIndex, c.next) << "next from " << c.from;
    EXPECT_FALSE(opt.FollowMouse);
    opt.ItemIndex = static_cast<std::int8_t>(c.from);
    opt.FollowMouse = true;
    opt.PrevRow(g.Ui());
    EXPECT_EQ(opt.ItemIndex, c.prev) << "prev from " << c.from;
    EXPECT_FALSE(opt.FollowMouse);
    EXPECT_EQ(g.Beeps(), 2);
  }
}

TEST(OptionGroup, ToggleCurrentSwapsTheRowsChoiceAndConfirmsEveryItem) {
  const int expected[] = {1, 0, 3, 2, 5, 4, 6, 7};
  for (int item = 0; item < 8; ++item) {
    Groups g;
    TDDOptBtnCollection& opt = *g.c.OptionButtons;
    opt.ItemIndex = static_cast<std::int8_t>(item);
    opt.ToggleCurrent();
    EXPECT_EQ(opt.ItemIndex, expected[item]);
    EXPECT_TRUE(opt.Clicked);
    EXPECT_FALSE(opt.Rows[0].IsOn || opt.Rows[1].IsOn || opt.Rows[2].IsOn) << "values change only by the action";
  }
}

TEST(OptionGroup, HoverSelectsTheFieldWithoutTypingModeAndLeavingItEndsTypingMode) {
  Groups g;
  TDDOptBtnCollection& opt = *g.c.OptionButtons;
  g.MouseAt(300, 420);
  opt.Draw(g.screen, g.Ui());
  EXPECT_EQ(opt.ItemIndex, 7) << "no hover before a mouse move sets FollowMouse";
  opt.FollowMouse = true;
  opt.Draw(g.screen, g.Ui());
  EXPECT_EQ(opt.ItemIndex, TDDOptBtnCollection::kFieldItem);
  EXPECT_TRUE(opt.Edit.Selected);
  EXPECT_FALSE(opt.Edit.Editing);
  EXPECT_EQ(g.Beeps(), 1);
  opt.Edit.Editing = true;
  opt.Draw(g.screen, g.Ui());
  EXPECT_TRUE(opt.Edit.Editing);
  EXPECT_EQ(g.Beeps(), 1);
  g.MouseAt(220, 310);  // music on
  opt.Draw(g.screen, g.Ui());
  EXPECT_EQ(opt.ItemIndex, 2);
  EXPECT_FALSE(opt.Edit.Selected);
  EXPECT_FALSE(opt.Edit.Editing);
  EXPECT_TRUE(opt.Rows[1].Selected);
  EXPECT_FALSE(opt.Rows[0].Selected || opt.Rows[2].Selected || opt.BackButton.Selected);
  // The cursor on a row's right choice; the row's value is untouched.
  g.MouseAt(400, 250);
  opt.Draw(g.screen, g.Ui());
  EXPECT_EQ(opt.ItemIndex, 1);
  EXPECT_FALSE(opt.Rows[0].IsOn);
  EXPECT_EQ(g.Beeps(), 3);
}

TEST(OptionGroup, OutOfRangeItemsWrapBeforeDrawing) {
  Groups g;
  TDDOptBtnCollection& opt = *g.c.OptionButtons;
  opt.ItemIndex = 8;
  opt.Draw(g.screen, g.Ui());
  EXPECT_EQ(opt.ItemIndex, 0);
  opt.ItemIndex = -1;
  opt.Draw(g.screen, g.Ui());
  EXPECT_EQ(opt.ItemIndex, 7);
  EXPECT_EQ(g.Beeps(), 0) << "the wrap happens before the item is remembered";
}

TEST(OptionGroup, RowsShowTheirValueAndTheSelectedRowItsFrame) {
  Groups g;
  TDDOptBtnCollection& opt = *g.c.OptionButtons;
  opt.Rows[0].IsOn = false;  // full screen
  opt.Rows[1].IsOn = true;   // music on
  opt.ItemIndex = 0;
  opt.Draw(g.screen, g.Ui());
  EXPECT_EQ(g.screen.At(352, 238), SlotColour(17));
  EXPECT_EQ(CountColour(g.screen, SlotColour(9)), 0);
  EXPECT_EQ(g.screen.At(197, 301), SlotColour(8));
  EXPECT_EQ(CountColour(g.screen, SlotColour(18), {265, 301, 340, 323}), 0);
  // The focus frame runs from 2 pixels before the left choice to 5 and 4 past the right choice's right and bottom.
  const gfx::Rect on = opt.Rows[0].OnBounds, off = opt.Rows[0].OffBounds;
  EXPECT_EQ(g.screen.At(on.left - 2, 250), gfx::kFocusGreen);
  EXPECT_EQ(g.screen.At(off.right + 4, 250), gfx::kFocusGreen);
  EXPECT_EQ(g.screen.At(400, on.top - 2), gfx::kFocusGreen);
  EXPECT_EQ(g.screen.At(400, off.bottom + 3), gfx::kFocusGreen);
  EXPECT_EQ(CountColour(g.screen, gfx::kFocusGreen, {0, 0, on.left - 4, 600}), 0);
  EXPECT_EQ(CountColour(g.screen, gfx::kFocusGreen, {off.right + 7, 0, 800, 600}), 0);
  EXPECT_EQ(CountColour(g.screen, gfx::kFocusGreen, {0, 290, 800, 600}), 0) << "one frame only";
  EXPECT_EQ(CountColour(g.screen, SlotColour(14)), 0) << "the back button at rest draws nothing";
}

TEST(TextButtons, SetChoiceAlwaysBeepsAndHoverTakesTheChoiceBack) {
  Groups g;
  TDDTextBtnCollection& yesNo = *g.c.YesNoButtons;
  yesNo.SetChoice(true, g.Ui());
  EXPECT_EQ(g.Beeps(), 1) << "even without a change";
  g.MouseAt(480, 350);  // on "НЕТ"
  g.mouse.active = false;  // the question's hover does not depend on the program being active
  yesNo.Draw(g.screen, g.Ui());
  EXPECT_FALSE(yesNo.Choice);
  EXPECT_EQ(g.Beeps(), 2);
  yesNo.SetChoice(true, g.Ui());
  EXPECT_EQ(g.Beeps(), 3);
  yesNo.Draw(g.screen, g.Ui());
  EXPECT_FALSE(yesNo.Choice);
  EXPECT_EQ(g.Beeps(), 4);
  yesNo.Draw(g.screen, g.Ui());
  EXPECT_EQ(g.Beeps(), 4);
}

TEST(TextButtons, TheChosenCaptionIsGreenTheOtherYellow) {
  for (const bool choice : {true, false}) {
    Groups g;
    TDDTextBtnCollection& okCancel = *g.c.OkCancelButtons;
    okCancel.Choice = choice;
    okCancel.Draw(g.screen, g.Ui());
    const gfx::Rect first{280, 340, 400, 380}, second{420, 340, 600, 380};
    EXPECT_EQ(CountColour(g.screen, gfx::kGreen, first) > 0, choice);
    EXPECT_EQ(CountColour(g.screen, gfx::kYellow, first) > 0, !choice);
    EXPECT_EQ(CountColour(g.screen, gfx::kGreen, second) > 0, !choice);
    EXPECT_EQ(CountColour(g.screen, gfx::kYellow, second) > 0, choice);
  }
}

}  // namespace
}  // namespace gw::ui
