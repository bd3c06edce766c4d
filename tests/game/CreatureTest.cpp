// SPDX-License-Identifier: GPL-3.0-or-later
// The creature: the aim's swing and hold, the pupils and the body's bob, the tongue's lengths and limits,
// its drawing, and the stun.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "game/GameFixture.h"

namespace gw::game {
namespace {

using test::GameDriver;
using test::SpritePixel;

constexpr long double kPi = std::numbers::pi_v<long double>;

struct ShotCase {
  float angle;
  int longest;
};

TEST(CreatureTongue, GrowsAndShrinksInStepsOfFifteenUntilItsLimits) {
  const ShotCase cases[] = {
      {test::kStraightUp, 330},                               // the top row limit
      {0.8f, 390},                                            // no limit before the length does
      {static_cast<float>(kPi / 8), 345},                     // the right column limit
      {static_cast<float>(7 * kPi / 8), 330},                 // the left column limit
      {0.425f, 345},                                          // the end reaches column 790 exactly
      {2.53f, 375},                                           // the end reaches column 30 exactly
  };
  for (const ShotCase& c : cases) {
    SCOPED_TRACE(c.angle);
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    game.Eye.Angle = c.angle;
    game.Fire();
    std::vector<int> lengths;
    while (game.Up.TongueOut && lengths.size() < 100) {
      d.Frame();
      lengths.push_back(game.Up.TongueLength);
      EXPECT_EQ(game.Eye.Angle, c.angle) << "the aim is held during the shot";
    }
    ASSERT_FALSE(lengths.empty());
    EXPECT_EQ(lengths.front(), 15);
    for (std::size_t i = 1; i < lengths.size(); ++i) EXPECT_EQ(std::abs(lengths[i] - lengths[i - 1]), 15);
    EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), c.longest);
    EXPECT_EQ(lengths.back(), 0);
    EXPECT_EQ(lengths.size(), static_cast<std::size_t>(2 * c.longest / 15));
    EXPECT_FALSE(game.Eye.Held);
    EXPECT_EQ(d.EnemyCount(), 0);
    d.Frame();
    EXPECT_NE(game.Eye.Angle, c.angle) << "the aim swings again once the tongue is in";
  }
}

TEST(CreatureTongue, ACatchTurnsItBackInTheSameFrameAndThePreyIsCarriedInAndEaten) {
  GameDriver d;
  d.StartQuietPlay();
  TGame& game = d.Game();
  game.Eye.Angle = test::kStraightUp;
  game.Fire();
  game.Up.TongueLength = 150;  // the tip covers (401, 280) to (425, 302)
  TEnemy& prey = d.Put(0, 1, 390, 250);
  d.Frame();
  EXPECT_TRUE(prey.Caught);
  EXPECT_FALSE(game.Up.Extending);
  EXPECT_EQ(game.Up.TongueLength, 135);
  // It hangs with its centre 120 pixels beyond the tongue from (390, 520).
  EXPECT_EQ(prey.X, 390 - 41 / 2);
  EXPECT_EQ(prey.Y, 520 - (135 + 120) - 71 / 2);
  while (game.Enemies.Slots[0] && game.Up.TongueOut) d.Frame();
  EXPECT_FALSE(game.Enemies.Slots[0]);
  EXPECT_TRUE(game.Up.TongueOut) << "eaten as it reaches the mouth, before the tongue is in";
  EXPECT_EQ(game.Score, 50);
}

TEST(CreatureTongue, IsDrawnAlongTheAimWithItsRootAndTipTurned) {
  GameDriver d;
  d.StartQuietPlay();
  TGame& game = d.Game();
  game.Eye.Angle = test::kStraightUp;
  game.Fire();
  game.Up.TongueLength = 150;
  d.Frame();
  EXPECT_EQ(d.screen.At(394, 330), gfx::Rgb(255, 102, 102));  // the line from (394, 410) up to (394, 260)
  EXPECT_EQ(d.screen.At(390, 411), SpritePixel(12, 1, 1));      // the root, upright below the pivot's mirror
  EXPECT_EQ(d.screen.At(384, 239), SpritePixel(13, 1, 1));      // the tip, placed from (403, 280)
}

struct StunCase {
  std::uint32_t stepMs;
  int frames;
};

TEST(CreatureStun, LastsTwentyBlinksMoreThanTwoHundredMillisecondsApartWithTheShotWaiting) {
  const StunCase cases[] = {{15, 20 * 14}, {16, 20 * 13}, {20, 20 * 11}, {25, 20 * 9}};
  for (const StunCase& c : cases) {
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    for (const int stun : {1, 2}) {  // the second counts its blinks afresh
      SCOPED_TRACE(testing::Message() << c.stepMs << " ms, stun " << stun);
      d.Put(0, kStunningKind, 380, 450);
      game.Up.ToggleTick = d.Tick() + c.stepMs;
      d.Frame(c.stepMs);
      ASSERT_TRUE(game.Up.Hurt);
      game.Fire();
      const float angle = game.Eye.Angle;
      int frames = 0;
      while (game.Up.Hurt && frames < 1000) {
        d.Frame(c.stepMs);
        ++frames;
        EXPECT_EQ(game.Up.TongueLength, 0);
        EXPECT_TRUE(game.Up.TongueOut);
        EXPECT_EQ(game.Eye.Angle, angle);
        EXPECT_EQ(d.screen.At(363, 424), SpritePixel(game.Up.Toggle == 1 ? 15 : 14, 1, 1));
      }
      EXPECT_EQ(frames, c.frames);
      EXPECT_EQ(game.Up.HurtBlinks, 20);
      d.Frame(c.stepMs);
      EXPECT_EQ(game.Up.TongueLength, 15) << "the waiting shot leaves when the stun ends";
      while (game.Up.TongueOut) d.Frame(c.stepMs);
    }
  }
}

struct BobCase {
  std::uint32_t stepMs;
  int frames;
};

TEST(CreatureBody, BobsFiveRowsMoreThanHalfASecondApart) {
  const BobCase cases[] = {{15, 34}, {16, 32}, {20, 26}};
  for (const BobCase& c : cases) {
    SCOPED_TRACE(c.stepMs);
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    game.Up.ToggleTick = d.Tick();
    for (int change = 0; change < 2; ++change) {  // down and up again
      const std::uint8_t toggle = game.Up.Toggle;
      int frames = 0;
      while (game.Up.Toggle == toggle && frames < 100) {
        d.Frame(c.stepMs);
        ++frames;
      }
      EXPECT_EQ(frames, c.frames);
      EXPECT_EQ(d.screen.At(341, 411 + 5 * game.Up.Toggle), SpritePixel(0, 1, 1));
    }
  }
}

struct PupilCase {
  float angle;
  std::uint8_t toggle;
  std::uint8_t sprite;
  int x, y;
};

TEST(CreatureAim, PupilsSitAtTheTruncatedAimOffsetFollowingTheBob) {
  const PupilCase cases[] = {
      {0.8f, 0, 2, 406, 433},  {1.0f, 0, 2, 405, 432},  {2.2f, 0, 2, 397, 432}, {2.2f, 1, 2, 397, 437},
      {static_cast<float>(kPi / 8), 1, 2, 408, 440},   {static_cast<float>(7 * kPi / 8), 0, 16, 394, 435},
  };
  for (const PupilCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.angle << " bob " << int{c.toggle});
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    game.Eye.Angle = c.angle;
    game.Eye.Sprite = c.sprite;
    game.Up.Toggle = c.toggle;
    game.Up.ToggleTick = d.Tick() + 15;
    d.Frame();
    for (const int x : {c.x, c.x - 26}) {
      EXPECT_EQ(d.screen.At(x + 1, c.y + 1), SpritePixel(c.sprite, 1, 1)) << x;
      EXPECT_NE(d.screen.At(x, c.y), SpritePixel(c.sprite, 0, 0)) << "keyed";
    }
  }
}

// The angle is kept as a float: each step adds 0.05 in extended precision and is stored back rounded.
TEST(CreatureAim, SwingsBetweenAnEighthAndSevenEighthsOfAHalfTurnKeptAsAFloat) {
  GameDriver d;
  d.StartQuietPlay();
  TGame& game = d.Game();
  ASSERT_EQ(game.Eye.Angle, 0.0f);
  float expected = 0;
  bool rising = false;
  float lowest = 10, highest = -10;
  for (int frame = 0; frame < 400; ++frame) {
    const long double a = expected;
    if (a >= 7 * kPi / 8) rising = false;
    if (a <= kPi / 8) rising = true;
    expected = static_cast<float>(rising ? a + 0.05L : a - 0.05L);
    d.Frame();
    ASSERT_EQ(game.Eye.Angle, expected) << "frame " << frame;
    if (frame > 20) {
      lowest = std::min(lowest, game.Eye.Angle);
      highest = std::max(highest, game.Eye.Angle);
    }
  }
  EXPECT_LE(lowest, kPi / 8);
  EXPECT_GT(lowest, kPi / 8 - 0.05);
  EXPECT_GE(highest, 7 * kPi / 8);
  EXPECT_LT(highest, 7 * kPi / 8 + 0.05);
}

TEST(CreatureAim, FirstStepLeavesZeroUpwards) {
  GameDriver d;
  d.StartQuietPlay();
  d.Frame();
  EXPECT_TRUE(d.Game().Eye.Rising);
  EXPECT_EQ(d.Game().Eye.Angle, 0.05f);
}

}  // namespace
}  // namespace gw::game
