// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "support/Headless.h"

namespace gw::app {
namespace {

using test::HeadlessGame;
using namespace platform::vk;

// Alt+Enter, then the next frame.
const std::vector<std::uint32_t>& SwitchDisplay(HeadlessGame& g) {
  g.form->FormKeyDown(kReturn, true);
  g.Frame();
  return g.window.lastFrame;
}

void StartPlaying(HeadlessGame& g) {
  g.program.ScreenState = screen::kMenu;
  g.form->FormKeyDown(kReturn, false);    // new game
  for (int i = 0; i < 200; ++i) g.Frame();  // past the intro, enemies on the field
}

std::size_t BlackPixels(const std::vector<std::uint32_t>& frame) {
  return static_cast<std::size_t>(std::count(frame.begin(), frame.end(), 0u));
}

// The screens drawn over a frozen frame keep it through switches both ways and a restore from the taskbar in
// full screen, all of which rebuild the display; Alt+Enter only switches, it answers no question.
TEST(DisplaySwitch, FrozenScreensKeepTheirPictureAndTheirQuestionBothWays) {
  const struct {
    const char* name;
    std::int32_t state;
    std::function<void(HeadlessGame&)> reach;
  } cases[] = {
      {"pause", screen::kPause,
       [](HeadlessGame& g) {
         StartPlaying(g);
         g.form->FormKeyDown(Letter('P'), false);
       }},
      {"quit question over play", screen::kQuitGameConfirm,
       [](HeadlessGame& g) {
         StartPlaying(g);
         g.form->FormKeyDown(kEscape, false);
       }},
      {"clear question", screen::kClearConfirm,
       [](HeadlessGame& g) {
         g.program.ScreenState = screen::kMenu;
         for (std::uint16_t k : {kDown, kDown, kReturn}) g.form->FormKeyDown(k, false);  // the table
         g.Frame();
         g.form->FormKeyDown(kReturn, false);  // "clear the table", with "OK" highlighted
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessGame g;
    g.program.HiScores[0] = {"X", 5000};
    c.reach(g);
    g.Frame();
    ASSERT_EQ(g.program.ScreenState, c.state);
    const std::vector<std::uint32_t> frozen = g.window.lastFrame;
    ASSERT_LT(BlackPixels(frozen), frozen.size() / 10);

    EXPECT_EQ(SwitchDisplay(g), frozen);
    EXPECT_FALSE(g.window.windowed);
    g.form->OnRestore();
    g.Frame();
    EXPECT_EQ(g.window.lastFrame, frozen);
    EXPECT_EQ(SwitchDisplay(g), frozen);
    EXPECT_TRUE(g.window.windowed);
    EXPECT_EQ(g.window.setups, 2 + 3);  // the start's two, then one for each rebuild
    EXPECT_EQ(g.program.ScreenState, c.state);
    EXPECT_FALSE(g.window.closed);
    EXPECT_EQ(g.program.HiScores[0].Score, 5000);
  }
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
