// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "support/Headless.h"

namespace gw::app {
namespace {

using test::HeadlessGame;
using namespace platform::vk;

struct Playing : HeadlessGame {
  Playing() {
    program.ScreenState = screen::kMenu;
    form->FormKeyDown(kReturn, false);  // new game
    for (int i = 0; i < 200; ++i) Frame();  // past the intro, enemies on the field
  }
  // Alt+Enter, then the next frame.
  const std::vector<std::uint32_t>& SwitchDisplay() {
    form->FormKeyDown(kReturn, true);
    Frame();
    return window.lastFrame;
  }
};

std::size_t BlackPixels(const std::vector<std::uint32_t>& frame) {
  return static_cast<std::size_t>(std::count(frame.begin(), frame.end(), 0u));
}

TEST(DisplaySwitch, ThePauseKeepsItsFrozenPictureBothWays) {
  Playing g;
  g.form->FormKeyDown(Letter('P'), false);
  g.Frame();
  ASSERT_EQ(g.program.ScreenState, screen::kPause);
  const std::vector<std::uint32_t> paused = g.window.lastFrame;
  ASSERT_LT(BlackPixels(paused), paused.size() / 10);

  EXPECT_EQ(g.SwitchDisplay(), paused);
  EXPECT_FALSE(g.window.windowed);
  EXPECT_EQ(g.SwitchDisplay(), paused);
  EXPECT_TRUE(g.window.windowed);
  EXPECT_EQ(g.program.ScreenState, screen::kPause);
}

TEST(DisplaySwitch, TheQuitQuestionOverPlayKeepsItsFrozenPicture) {
  Playing g;
  g.form->FormKeyDown(kEscape, false);
  g.Frame();
  ASSERT_EQ(g.program.ScreenState, screen::kQuitGameConfirm);
  const std::vector<std::uint32_t> asked = g.window.lastFrame;
  // Alt+Enter only switches the display: it answers no question.
  EXPECT_EQ(g.SwitchDisplay(), asked);
  EXPECT_EQ(g.SwitchDisplay(), asked);
  EXPECT_EQ(g.program.ScreenState, screen::kQuitGameConfirm);
  EXPECT_FALSE(g.window.closed);
}

TEST(DisplaySwitch, TheClearQuestionKeepsItsFrozenPictureAndTheTableBothWays) {
  HeadlessGame g;
  g.program.ScreenState = screen::kMenu;
  g.program.HiScores[0] = {"X", 5000};
  for (std::uint16_t k : {kDown, kDown, kReturn}) g.form->FormKeyDown(k, false);  // the table
  g.Frame();
  g.form->FormKeyDown(kReturn, false);  // "clear the table", with "OK" highlighted
  g.Frame();
  ASSERT_EQ(g.program.ScreenState, screen::kClearConfirm);
  const std::vector<std::uint32_t> asked = g.window.lastFrame;

  g.form->FormKeyDown(kReturn, true);
  g.Frame();
  EXPECT_EQ(g.window.lastFrame, asked);
  g.form->OnRestore();  // back from the taskbar in full screen: the display is rebuilt again
  g.Frame();
  EXPECT_EQ(g.window.lastFrame, asked);
  g.form->FormKeyDown(kReturn, true);
  g.Frame();
  EXPECT_EQ(g.window.lastFrame, asked);
  EXPECT_EQ(g.program.ScreenState, screen::kClearConfirm);
  EXPECT_EQ(g.program.HiScores[0].Score, 5000);
}

TEST(DisplaySwitch, MaximiseGoesFullScreenWithTheOptionsRowAndAltEnterComesBack) {
  HeadlessGame g;
  g.program.ScreenState = screen::kOptions;
  const int setups = g.window.setups;
  g.form->OnMaximize();
  EXPECT_FALSE(g.window.windowed);
  EXPECT_FALSE(g.program.Options.Windowed);
  EXPECT_FALSE(g.program.Controls.OptionButtons->Rows[0].IsOn);
  g.form->FormKeyDown(kReturn, true);
  EXPECT_TRUE(g.window.windowed);
  EXPECT_TRUE(g.program.Controls.OptionButtons->Rows[0].IsOn);
  EXPECT_EQ(g.window.setups, setups + 2);
  EXPECT_EQ(g.program.ScreenState, screen::kOptions);
}

}  // namespace
}  // namespace gw::app
