// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "gfx/Draw.h"
#include "ui/Progress.h"
#include "ui/UiFixture.h"

namespace gw::ui {
namespace {

using test::CountColour;
using test::SlotColour;

// The bar's last column in a row clear of the frame; -1 when nothing of the bar is drawn.
int BarEnd(const gfx::Surface& s) {
  int end = -1;
  for (int x = 0; x < s.Width(); ++x) {
    if (s.At(x, 43) == SlotColour(23)) end = x;
  }
  return end;
}

struct BarCase {
  std::uint16_t max, position;
  int width;  // of the bar drawn
};

// The bar is full at the start and shrinks from the right; the width is rounded halves to even.
TEST(Progress, DrawsTheShareLeftOfTheLevel) {
  for (const BarCase c : {BarCase{1100, 0, 572}, BarCase{1100, 550, 286}, BarCase{1100, 1100, 0},
                          BarCase{1100, 1105, 0}, BarCase{1144, 1, 572}, BarCase{1144, 3, 570}}) {
    test::UiFixture f;
    TDDProgress bar(c.max);
    bar.Position = c.position;
    bar.Draw(f.screen, f.images, false);
    EXPECT_EQ(BarEnd(f.screen), c.width > 0 ? 111 + c.width - 1 : -1) << c.max << " " << c.position;
    if (c.width == 0) {
      EXPECT_EQ(CountColour(f.screen, SlotColour(23)), 0);
    }
    EXPECT_GT(CountColour(f.screen, gfx::kFrameGreen), 0) << "the frame stays";
    EXPECT_EQ(bar.Position, c.position);
  }
}

TEST(Progress, AdvancesOnlyWhileTheFieldMovesAndDrawsTheShareFromBeforeTheStep) {
  test::UiFixture f;
  TDDProgress bar(2);
  bar.Draw(f.screen, f.images, true);
  EXPECT_EQ(bar.Position, 1);
  EXPECT_EQ(BarEnd(f.screen), 111 + 572 - 1);
  bar.Draw(f.screen, f.images, false);
  EXPECT_EQ(bar.Position, 1);
  f.screen.Fill(0);
  bar.Draw(f.screen, f.images, true);
  EXPECT_EQ(BarEnd(f.screen), 111 + 286 - 1);
  EXPECT_EQ(bar.Position, 2);
}

}  // namespace
}  // namespace gw::ui
