// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PadDirections.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

namespace gw::app {
namespace {

using platform::PadAxis;
using platform::PadButton;
using Presses = std::vector<std::pair<platform::PadId, PadButton>>;

TEST(PadDirections, AHeldDirectionRepeatsAfterADelayAtASteadyPaceUntilLetGo) {
  PadDirections pads;
  EXPECT_EQ(pads.Button(1, PadButton::Up, true, 1000), PadButton::Up);
  EXPECT_EQ(pads.Button(1, PadButton::Up, true, 1010), std::nullopt) << "already held";
  EXPECT_TRUE(pads.Repeats(1399).empty());
  EXPECT_EQ(pads.Repeats(1400), (Presses{{1, PadButton::Up}}));
  EXPECT_TRUE(pads.Repeats(1450).empty());
  EXPECT_EQ(pads.Repeats(1500), (Presses{{1, PadButton::Up}}));
  // A late poll gives one press, not the ones missed meanwhile.
  EXPECT_EQ(pads.Repeats(2000), (Presses{{1, PadButton::Up}}));
  EXPECT_TRUE(pads.Repeats(2050).empty());
  pads.Button(1, PadButton::Up, false, 2060);
  EXPECT_TRUE(pads.Repeats(3000).empty());
}

TEST(PadDirections, TheStickPressesPastHalfItsTravelAndLetsGoOnlyWellInside) {
  PadDirections pads;
  EXPECT_EQ(pads.Axis(1, PadAxis::LeftY, -16000, 0), std::nullopt) << "not yet half way";
  EXPECT_EQ(pads.Axis(1, PadAxis::LeftY, -17000, 0), PadButton::Up);
  // A thumb resting near the line: no new presses.
  for (const int v : {-15000, -17000, -13000, -16500}) {
    EXPECT_EQ(pads.Axis(1, PadAxis::LeftY, static_cast<std::int16_t>(v), 10), std::nullopt) << v;
  }
  EXPECT_EQ(pads.Axis(1, PadAxis::LeftY, -12000, 20), std::nullopt);
  EXPECT_EQ(pads.Axis(1, PadAxis::LeftY, -17000, 30), PadButton::Up) << "let go, then pushed again";
  // Straight across to the other side.
  EXPECT_EQ(pads.Axis(1, PadAxis::LeftY, 32767, 40), PadButton::Down);
  EXPECT_EQ(pads.Axis(1, PadAxis::LeftX, -32768, 50), PadButton::Left);
  EXPECT_EQ(pads.Repeats(440), (Presses{{1, PadButton::Down}})) << "up was let go on the way";
  EXPECT_EQ(pads.Repeats(450), (Presses{{1, PadButton::Left}}));
}

TEST(PadDirections, DPadAndStickHoldOneDirectionTogetherAndEachControllerHoldsItsOwn) {
  PadDirections pads;
  EXPECT_EQ(pads.Button(1, PadButton::Right, true, 0), PadButton::Right);
  EXPECT_EQ(pads.Axis(1, PadAxis::LeftX, 30000, 10), std::nullopt) << "already held by the D-pad";
  EXPECT_EQ(pads.Button(1, PadButton::Right, false, 20), std::nullopt);
  EXPECT_EQ(pads.Repeats(400), (Presses{{1, PadButton::Right}})) << "the stick still holds it";
  EXPECT_EQ(pads.Button(2, PadButton::Right, true, 30), PadButton::Right) << "another controller";
  pads.Forget(1);
  EXPECT_EQ(pads.Repeats(1000), (Presses{{2, PadButton::Right}}));
}

}  // namespace
}  // namespace gw::app
