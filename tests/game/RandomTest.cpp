// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "game/Random.h"

namespace gw::game {
namespace {

TEST(Random, SequenceForAGivenSeed) {
  Random r(0x12345678u);
  const std::uint32_t ranges[] = {100, 500, 9, 2, 1000000, 0xFFFFFFFFu};
  const std::uint32_t expected[] = {79, 238, 7, 1, 898575, 3801050489u};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(r.Below(ranges[i]), expected[i]) << i;
  EXPECT_EQ(r.Seed(), 0xE28F6D7Au);
  Random zero(0);
  const std::uint32_t tens[] = {0, 0, 8, 2, 2};
  for (std::uint32_t v : tens) EXPECT_EQ(zero.Below(10), v);
}

TEST(Random, ReseedTakesTheCounterLowBits) {
  Random r;
  r.Reseed(0xABCD'0000'1234'5678ull);
  EXPECT_EQ(r.Seed(), 0x12345678u);
  EXPECT_EQ(r.Below(100), 79u);
}

}  // namespace
}  // namespace gw::game
