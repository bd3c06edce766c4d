// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/Clock.h"
#include "support/Headless.h"

namespace gw::app {
namespace {

using test::HeadlessGame;
using namespace platform::vk;

std::uint32_t MaxGreen(const std::vector<std::uint32_t>& frame) {
  std::uint32_t g = 0;
  for (std::uint32_t p : frame) g = std::max(g, (p >> 8) & 0xFF);
  return g;
}

TEST(FrameGate, AFrameNeedsMoreThanFiveMillisecondsSinceTheLast) {
  HeadlessGame g;
  g.form->LastFrameEndTick = g.clock.tick;
  g.clock.tick += 5;
  EXPECT_FALSE(g.form->RunFrame());
  EXPECT_EQ(g.window.presents, 0);
  g.clock.tick += 1;
  EXPECT_TRUE(g.form->RunFrame());
  EXPECT_EQ(g.window.presents, 1);
  EXPECT_EQ(g.form->LastFrameEndTick, g.clock.tick);
  EXPECT_FALSE(g.form->RunFrame());  // the same tick again: nothing due
  // Unsigned differences: a tick that wrapped around still opens the gate.
  g.form->LastFrameEndTick = 0xFFFFFFFEu;
  g.clock.tick = 10;
  EXPECT_TRUE(g.form->RunFrame());
}

TEST(Tick, StepsOfOneSixtyFourthSecond) {
  EXPECT_EQ(platform::QuantiseTick(0), 0u);
  EXPECT_EQ(platform::QuantiseTick(15), 0u);
  EXPECT_EQ(platform::QuantiseTick(16), 15u);
  EXPECT_EQ(platform::QuantiseTick(32), 31u);
  EXPECT_EQ(platform::QuantiseTick(1000), 1000u);
  EXPECT_EQ(platform::MsUntilNextTick(16), 16u);
  EXPECT_EQ(platform::MsUntilNextTick(31), 1u);
}

TEST(Splash, FadesInOverTwoHundredFiftySixFramesThenHoldsAndGoesToTheMenu) {
  HeadlessGame g;
  ASSERT_TRUE(g.Frame());
  EXPECT_EQ(MaxGreen(g.window.lastFrame), 0u);  // the first frame is black text on black
  int frames = 1;
  while (g.program.ScreenState == screen::kSplash && frames < 1000) {
    ASSERT_TRUE(g.Frame());
    ++frames;
    if (frames == 128) {
      EXPECT_NEAR(static_cast<int>(MaxGreen(g.window.lastFrame)), 127, 1);
    }
  }
  EXPECT_EQ(frames, 256);
  EXPECT_EQ(MaxGreen(g.window.lastFrame), 255u);  // the last fade frame is full green, still presented
  EXPECT_EQ(g.clock.slept, 2500u);
  EXPECT_EQ(g.program.ScreenState, screen::kMenu);
}

TEST(Splash, AnyKeyOrClickSkipsIt) {
  HeadlessGame byKey, byClick;
  byKey.Frame();
  byKey.form->FormKeyDown(kOther, false);
  EXPECT_EQ(byKey.program.ScreenState, screen::kMenu);
  byClick.Frame();
  byClick.form->FormMouseDown();
  EXPECT_EQ(byClick.program.ScreenState, screen::kMenu);
  EXPECT_EQ(byClick.sound.Count("effect 0"), 3);  // only the three button groups' first selection
}

TEST(CloseQuery, IgnoredDuringSplashPlayPauseNameEntryAndSendQuestion) {
  for (std::int32_t state : {0, 2, 33, 34, 35}) {
    HeadlessGame g;
    g.program.ScreenState = state;
    EXPECT_FALSE(g.form->FormCloseQuery()) << state;
    EXPECT_EQ(g.program.ScreenState, state);
  }
  for (std::int32_t state : {1, 3, 4, 5, 7, 8, 36, 38, 39, 51, 54}) {
    HeadlessGame g;
    g.program.ScreenState = state;
    EXPECT_FALSE(g.form->FormCloseQuery()) << state;
    EXPECT_EQ(g.program.ScreenState, screen::kQuitConfirm) << state;
    g.program.CloseAllowed = true;
    EXPECT_TRUE(g.form->FormCloseQuery()) << state;
  }
}

TEST(QuitQuestion, EscapeAsksAndYesClosesAndSaves) {
  HeadlessGame g;
  g.program.ScreenState = screen::kMenu;
  std::filesystem::remove("Config.cfg");
  g.form->FormKeyDown(kEscape, false);
  EXPECT_EQ(g.program.ScreenState, screen::kQuitConfirm);
  EXPECT_FALSE(g.window.closed);
  g.form->FormKeyDown(kReturn, false);  // "ДА" is the first choice
  EXPECT_TRUE(g.window.closed);
  EXPECT_TRUE(std::filesystem::exists("Config.cfg"));
}

// Where the table's texts lie in one row band: the bounding box of every lit pixel in the columns.
struct Ink {
  int left = 800, top = 600, right = -1, bottom = -1;  // right and bottom inclusive; none when right < left
  std::uint32_t brightest = 0;                          // the highest green
  bool pureGreen = true;                                // no red or blue anywhere: text over black
};

Ink InkIn(const std::vector<std::uint32_t>& frame, int x0, int x1, int y0, int y1) {
  Ink ink;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const std::uint32_t p = frame[static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x)];
      if (p == 0) continue;
      ink.left = std::min(ink.left, x);
      ink.top = std::min(ink.top, y);
      ink.right = std::max(ink.right, x);
      ink.bottom = std::max(ink.bottom, y);
      ink.brightest = std::max(ink.brightest, (p >> 8) & 0xFF);
      ink.pureGreen = ink.pureGreen && (p & 0xFF00FF) == 0;
    }
  }
  return ink;
}

// The ten rows 23 pixels apart from y = 244, rank, name and score at x 67, 126 and 410; the best row in
// RGB(0, 208, 0), the other nine in RGB(0, 128, 0); a negative score with its minus sign. The pictures behind
// are blacked out so that every lit pixel is the table's.
TEST(HiScoreScreen, TenRowsTwentyThreeApartTheBestBrighterAndANegativeScoreSigned) {
  HeadlessGame g;
  g.program.Images.screen[0]->Fill(0);
  g.program.Images.screen[10]->Fill(0);
  for (store::THiScores& entry : g.program.HiScores) entry = {"\xC2\xE0\xED\xFF", 40};  // Ваня
  g.program.HiScores[9].Score = -40;
  g.program.ScreenState = screen::kHiScores;
  ASSERT_TRUE(g.Frame());
  const std::vector<std::uint32_t>& f = g.window.lastFrame;
  constexpr int kTop = 244, kStep = 23, kRank = 67, kName = 126, kScore = 410, kEnd = 600;

  const Ink firstName = InkIn(f, kName, kScore, kTop, kTop + kStep);
  const Ink firstScore = InkIn(f, kScore, kEnd, kTop, kTop + kStep);
  ASSERT_LE(firstName.left, firstName.right);
  for (int r = 0; r < 10; ++r) {
    SCOPED_TRACE(testing::Message() << "row " << r);
    const int top = kTop + kStep * r;
    const Ink row = InkIn(f, kRank, kEnd, top, top + kStep);
    EXPECT_EQ(row.brightest, (HiScoreRowColour(r) >> 8) & 0xFFu);
    EXPECT_TRUE(row.pureGreen);
    const Ink rank = InkIn(f, kRank, kName, top, top + kStep);
    EXPECT_GE(rank.left, kRank);
    EXPECT_LT(rank.left, kRank + 16);
    // The same name in every row: the same ink, moved down by whole rows.
    const Ink name = InkIn(f, kName, kScore, top, top + kStep);
    EXPECT_EQ(name.left, firstName.left);
    EXPECT_EQ(name.right, firstName.right);
    EXPECT_EQ(name.top, firstName.top + kStep * r);
    EXPECT_EQ(name.bottom, firstName.bottom + kStep * r);
    EXPECT_LT(name.left, kName + 14);
    const Ink score = InkIn(f, kScore, kEnd, top, top + kStep);
    EXPECT_GE(score.left, kScore);
    EXPECT_LT(score.left, kScore + 16);
    if (r < 9) {
      EXPECT_EQ(score.right, firstScore.right);
      EXPECT_EQ(score.top, firstScore.top + kStep * r);
    }
  }

  // "-40" is "40" moved right by a dash that lies between the digits' top and bottom, well clear of both.
  const int top8 = kTop + kStep * 8, top9 = kTop + kStep * 9;
  const Ink plus = InkIn(f, kScore, kEnd, top8, top8 + kStep);
  const Ink minus = InkIn(f, kScore, kEnd, top9, top9 + kStep);
  const int shift = minus.right - plus.right;
  ASSERT_GT(shift, 2);
  ASSERT_LT(shift, 16);
  for (int y = plus.top; y <= plus.bottom; ++y) {
    for (int x = plus.left; x <= plus.right; ++x) {
      ASSERT_EQ(f[static_cast<std::size_t>(y + kStep) * 800 + static_cast<std::size_t>(x + shift)],
                f[static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x)])
          << x << "," << y;
    }
  }
  const Ink dash = InkIn(f, minus.left, plus.left + shift, top9, top9 + kStep);
  ASSERT_LE(dash.left, dash.right) << "no minus sign";
  EXPECT_GT(dash.top, plus.top + kStep + 2);
  EXPECT_LT(dash.bottom, plus.bottom + kStep - 2);
  EXPECT_LE(dash.bottom - dash.top, (plus.bottom - plus.top) / 3);
}

// The damaged-file notice reaches down over the trophy: its red letters stand on a note that hides the picture
// behind them, and once the table screen has been left the notice is gone.
TEST(HiScoreScreen, ADamagedFileIsToldOnceOnANoteThePictureDoesNotShowThrough) {
  HeadlessGame g;
  constexpr std::uint32_t kPicture = 0xFFFFFF;
  g.program.Images.screen[10]->Fill(kPicture);
  g.program.DamagedKeptAs = "Config.cfg.damaged";
  g.program.ScreenState = screen::kHiScores;
  const auto redIn = [&](int left, int top, int right, int bottom) {
    Ink red;
    const std::vector<std::uint32_t>& f = g.window.lastFrame;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        if (f[static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x)] != gfx::kRed) continue;
        red = {std::min(red.left, x), std::min(red.top, y), std::max(red.right, x), std::max(red.bottom, y)};
      }
    }
    return red;
  };
  ASSERT_TRUE(g.Frame());
  const Ink text = redIn(500, 180, 800, 340);
  ASSERT_LE(text.left, text.right) << "no notice";
  EXPECT_GT(text.bottom - text.top, 2 * 20) << "three lines";
  for (int y = text.top - 2; y <= text.bottom + 2; ++y) {
    for (int x = text.left - 2; x <= text.right + 2; ++x) {
      ASSERT_NE(g.window.lastFrame[static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x)], kPicture)
          << "the picture shows through at " << x << "," << y;
    }
  }
  ASSERT_TRUE(g.Frame());
  EXPECT_LE(redIn(500, 180, 800, 340).left, text.left) << "shown for as long as the screen stays";
  g.program.ScreenState = screen::kMenu;
  ASSERT_TRUE(g.Frame());
  g.program.ScreenState = screen::kHiScores;
  ASSERT_TRUE(g.Frame());
  const Ink after = redIn(500, 180, 800, 340);
  EXPECT_GT(after.left, after.right) << "told a second time";
}

TEST(NewGame, StartsSongLevelThenBeepAndHidesTheCursor) {
  HeadlessGame g;
  g.program.ScreenState = screen::kMenu;
  g.sound.calls.clear();
  g.form->FormKeyDown(kReturn, false);
  EXPECT_EQ(g.program.ScreenState, screen::kInGame);
  ASSERT_TRUE(g.program.Game);
  const std::vector<std::string> expected = {"song 1.xm", "effect 1", "effect 0"};
  EXPECT_EQ(g.sound.calls, expected);
  EXPECT_EQ(g.window.cursorCounter, -1);
}

}  // namespace
}  // namespace gw::app
