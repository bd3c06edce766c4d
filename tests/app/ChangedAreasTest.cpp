// SPDX-License-Identifier: GPL-3.0-or-later
// Each presented frame tells the window which columns of each row may differ from the frame before, so the
// window compares only there. Through the real screens and a real game, no pixel may change outside them.

#include <gtest/gtest.h>

#include "support/Headless.h"

namespace gw::app {
namespace {

using test::HeadlessGame;
using namespace platform::vk;

TEST(ChangedAreas, EveryChangedPixelOfEveryScreenAndOfPlayIsWithinTheColumnsGiven) {
  HeadlessGame g;
  int frames = 0;
  const auto run = [&](int n, int moveEvery = 0) {
    for (int i = 0; i < n; ++i) {
      if (moveEvery && i % moveEvery == 0) g.form->FormMouseMove((i * 97) % 800, (i * 53) % 600);
      if (g.Frame()) ++frames;
    }
  };
  run(20);  // the splash fading in: black with text, no background, so each of its frames goes out whole
  g.form->FormKeyDown(kOther, false);
  frames = 0;
  const int splashChanged = g.window.changedPresents;
  run(40, 3);  // the menu, its buttons lit by the mouse
  for (const std::int32_t state : {3, 4, 5, 51, 52, 53, 54, 7}) {
    g.program.ScreenState = state;
    g.form->FormKeyDown(kDown, false);
    run(12, 4);
  }
  g.form->FormMouseMove(5, 5);
  g.program.ScreenState = screen::kMenu;
  g.program.Controls.MainMenu->ItemIndex = 0;
  g.form->FormKeyDown(kReturn, false);  // a new game
  ASSERT_EQ(g.program.ScreenState, screen::kInGame);
  for (int i = 0; i < 30; ++i) {
    run(20);
    g.form->FormKeyDown(kSpace, false);  // the tongue goes out, sometimes to a catch
  }
  g.form->FormKeyDown(Letter('P'), false);
  run(10);
  g.form->FormKeyDown(Letter('P'), false);
  run(10);
  g.form->FormKeyDown(kEscape, false);
  run(10);
  g.form->FormKeyDown(Letter('N'), false);
  run(30);

  EXPECT_EQ(g.window.missedChanges, 0);
  // After the splash every frame says what may differ but for the six whose background is not the one of the
  // frame before: the first menu frame, the first frame of play, the pause and the quit question (over the
  // frozen frame) and play again after each.
  EXPECT_EQ(frames - (g.window.changedPresents - splashChanged), 6);
}

}  // namespace
}  // namespace gw::app
