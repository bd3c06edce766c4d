// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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

TEST(FirstStart, CreatesTheSettingsFileAndBuildsTheDisplayTwice) {
  HeadlessGame g;
  EXPECT_EQ(std::filesystem::file_size("Config.cfg"), 100u);
  EXPECT_EQ(g.window.setups, 2);
  EXPECT_TRUE(g.window.windowed);
  EXPECT_EQ(g.sound.Count("song 2.xm"), 1);
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
