// SPDX-License-Identifier: GPL-3.0-or-later
// The enemies: their birth and the spawn attempts, the arch, the edges that release them, the animation,
// the drawing with its pictures and clipping, the freeze, and the kinds each level draws from.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <vector>

#include "game/GameFixture.h"

namespace gw::game {
namespace {

using test::GameDriver;
using test::SpritePixel;

// One engine update ms after the last, with no spawn attempt due.
void EngineFrame(GameDriver& d, std::uint32_t ms = 15) {
  d.Tick() += ms;
  d.Game().Enemies.SpawnTick = d.Tick();
  d.Game().Enemies.DoFrame(&d.screen, d.Game());
}

struct ArchCase {
  int x, speed;
  bool right;
  int baseY;
  int xAfter, yAfter;
};

TEST(EnemyFlight, MovesBySpeedAlongAnArchFromBaseYAtTheMiddleTo112LowerAtTheEdges) {
  const ArchCase cases[] = {
      {395, 5, true, 100, 400, 100}, {405, 5, false, 150, 400, 150}, {-6, 6, true, 100, 0, 212},
      {806, 6, false, 190, 800, 302}, {447, 3, true, 120, 450, 122},  // 1.75 rounds up
      {203, 3, false, 100, 200, 128}, {-46, 1, true, 100, -45, 239},  // 138.6175
  };
  for (const ArchCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << (c.right ? " right" : " left"));
    GameDriver d;
    d.StartQuietPlay();
    TEnemy& e = d.Put(0, 4, c.x, 0, c.right);
    e.Speed = static_cast<std::uint8_t>(c.speed);
    e.BaseY = static_cast<std::uint8_t>(c.baseY);
    EngineFrame(d);
    EXPECT_EQ(e.X, c.xAfter);
    EXPECT_EQ(e.Y, c.yAfter);
  }
}

struct EdgeCase {
  int kind, x;
  bool right, caught, released;
};

TEST(EnemyFlight, IsReleasedOnlyPastTheEdgeItFliesTowardsCaughtOrNot) {
  const EdgeCase cases[] = {
      {0, -46, false, false, false}, {0, -47, false, false, true}, {0, 800, true, false, false},
      {0, 801, true, false, true},   {0, -47, true, false, false}, {0, 801, false, false, false},
      {8, -73, false, false, false}, {8, -74, false, false, true}, {5, -41, false, true, true},
      {5, 801, true, true, true},    {5, 801, false, true, false},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " at " << c.x << (c.right ? " right" : " left")
                                    << (c.caught ? " caught" : ""));
    GameDriver d;
    d.StartQuietPlay();
    TEnemy& e = d.Put(3, c.kind, c.x, 200, c.right);
    e.Caught = c.caught;
    EngineFrame(d);
    EXPECT_EQ(d.Game().Enemies.Slots[3] == nullptr, c.released);
    EXPECT_EQ(d.Game().Score, 0);
  }
}

struct HangCase {
  float angle;
  std::int16_t length;
  int kind;
  bool frozen;
  int x, y;
};

TEST(EnemyFlight, ACaughtEnemyHangsWithItsCentre120PixelsBeyondTheTongueEvenWhenFrozen) {
  const HangCase cases[] = {{test::kStraightUp, 150, 1, false, 370, 215},
                            {test::kStraightUp, 150, 1, true, 370, 215},
                            {0.8f, 30, 5, false, 475, 392}};
  for (const HangCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.angle << " " << c.length << (c.frozen ? " frozen" : ""));
    GameDriver d;
    d.StartQuietPlay();
    d.Game().Eye.Angle = c.angle;
    d.Game().Up.TongueLength = c.length;
    d.Game().Enemies.Moving = !c.frozen;
    TEnemy& e = d.Put(0, c.kind, 100, 100);
    e.Caught = true;
    e.FrameTick = d.Tick();
    EngineFrame(d, 200);
    EXPECT_EQ(e.X, c.x);
    EXPECT_EQ(e.Y, c.y);
    EXPECT_EQ(e.AnimFrame, 0) << "a caught enemy does not animate";
  }
}

struct AnimCase {
  int kind;
  std::uint32_t stepMs;
  int framesPerPicture;
};

TEST(EnemyFlight, AnimatesOnceMoreThanItsFrameTimeHasPassedAndWrapsAround) {
  const AnimCase cases[] = {{1, 15, 4}, {1, 25, 3}, {0, 15, 7}, {0, 25, 5}, {5, 25, 5}, {8, 20, 6}};
  for (const AnimCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " every " << c.stepMs << " ms");
    GameDriver d;
    d.StartQuietPlay();
    TEnemy& e = d.Put(0, c.kind, 100, 100);
    e.FrameTick = d.Tick();
    const int pictures = KindOf(c.kind).frames;
    for (int frame = 1; frame <= 3 * pictures * c.framesPerPicture; ++frame) {
      EngineFrame(d, c.stepMs);
      ASSERT_EQ(e.AnimFrame, frame / c.framesPerPicture % pictures) << "frame " << frame;
    }
  }
}

TEST(EnemyFlight, ANewEnemysFirstUpdateAlreadyStepsItsAnimation) {
  GameDriver d;
  d.StartQuietPlay();
  TEnemy& e = d.Put(0, 4, 100, 100);
  ASSERT_EQ(e.FrameTick, 0u);
  EngineFrame(d);
  EXPECT_EQ(e.AnimFrame, 1);
}

struct ClipCase {
  int x;
  bool right;
  int column;      // a column of the field
  int source;      // the picture's column drawn there, or -1 for untouched
};

// Kind 5 is 40 pixels wide; its first picture comes from the strip's columns 0 to 39.
TEST(EnemyDraw, IsCutAtTheFieldsEdgesAndACutAtTheLeftStartsAtColumnOne) {
  const ClipCase cases[] = {
      {-10, true, 0, -1},  {-10, true, 1, 11},  {-10, true, 29, 39}, {-10, true, 30, -1},
      {0, true, 0, -1},    {0, true, 1, 1},     {1, true, 1, 0},     {780, true, 780, 0},
      {780, true, 799, 19}, {760, true, 799, 39},
  };
  for (const ClipCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "at " << c.x << ", column " << c.column);
    GameDriver d;
    d.StartQuietPlay();
    d.Game().Enemies.Moving = false;  // drawn where it stands
    d.Put(0, 5, c.x, 100, c.right);
    d.screen.Fill(0x123456);
    EngineFrame(d);
    EXPECT_EQ(d.screen.At(c.column, 105), c.source < 0 ? 0x123456u : SpritePixel(8, c.source, 5));
  }
}

struct PictureCase {
  int kind;
  bool right;
  std::uint8_t frame;
  int sprite;
  int sourceColumn;  // of the unmirrored strip, for the enemy's column 3
};

TEST(EnemyDraw, TheFirstThreeKindsLookAlikeBothWaysTheOthersFlyLeftMirrored) {
  const PictureCase cases[] = {
      {0, false, 2, 3, 2 * 46 + 3}, {1, false, 1, 4, 41 + 3},         {2, true, 3, 5, 3 * 37 + 3},
      {3, true, 1, 6, 35 + 3},      {3, false, 0, 6, 70 - 1 - 3},     {5, false, 0, 8, 80 - 1 - 3},
      {5, false, 1, 8, 80 - 1 - 43}, {8, false, 1, 11, 146 - 1 - 76}, {7, true, 1, 10, 62 + 3},
  };
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << (c.right ? " right" : " left") << " frame "
                                    << int{c.frame});
    GameDriver d;
    d.StartQuietPlay();
    d.Game().Enemies.Moving = false;
    TEnemy& e = d.Put(0, c.kind, 300, 100, c.right);
    e.AnimFrame = c.frame;
    EngineFrame(d);
    EXPECT_EQ(d.screen.At(303, 105), SpritePixel(c.sprite, c.sourceColumn, 5));
  }
}

TEST(EnemyBirth, EntersAtTheEdgeTheTickChoosesWithArchAndSpeedDrawnAfterAReseed) {
  const std::array<std::uint64_t, 4> counters = {7u, 0x80000001u, 0x3C6EF372u, 0xDEADBEEFu};
  std::set<int> speeds, bases;
  for (const std::uint64_t counter : counters) {
    for (const std::uint32_t tick : {5000u, 5001u}) {
      SCOPED_TRACE(testing::Message() << counter << " at " << tick);
      GameDriver d;
      d.g.clock.counter = counter;
      d.Tick() = tick;
      for (int i = 0; i < 5; ++i) d.g.program.Rng.Below(77);  // the earlier state must not matter
      const TEnemy e(6, d.Game());
      game::Random expected(static_cast<std::uint32_t>(counter));
      EXPECT_EQ(e.BaseY, expected.Below(10) * 10 + 100);
      EXPECT_EQ(e.Speed, expected.Below(6) + 1);
      EXPECT_EQ(e.MovingRight, tick % 2 == 0);
      EXPECT_EQ(e.X, e.MovingRight ? -30 : 799);
      EXPECT_EQ(e.Y, 0);
      EXPECT_EQ(e.AnimFrame, 0);
      EXPECT_FALSE(e.Caught);
      speeds.insert(e.Speed);
      bases.insert(e.BaseY);
    }
  }
  EXPECT_GT(speeds.size(), 1u);
  EXPECT_GT(bases.size(), 1u);
}

// The draws of one engine update, all after its reseed: the wait, then one per empty slot until one is 1.
struct SpawnDraws {
  std::uint64_t counter;
  std::uint32_t wait;
};

SpawnDraws CounterSpawningIntoTheSecondEmptySlot() {
  for (std::uint32_t c = 1;; ++c) {
    game::Random r(c * 2654435761u);
    const std::uint32_t wait = r.Below(500);
    if (wait > 10 && r.Below(100) != 1 && r.Below(100) == 1) return {c * 2654435761u, wait};
  }
}

TEST(EnemySpawn, AnAttemptComesMoreThanItsDrawnWaitAfterTheLastAndFillsOneEmptySlotAtMost) {
  const SpawnDraws draws = CounterSpawningIntoTheSecondEmptySlot();
  for (const bool firstTaken : {false, true}) {
    SCOPED_TRACE(firstTaken ? "slot 0 taken" : "empty field");
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    if (firstTaken) d.Put(0, 4, 300, 150);
    d.g.clock.counter = draws.counter;
    d.Tick() += 15;
    game.Enemies.SpawnTick = d.Tick() - draws.wait;
    game.Enemies.DoFrame(&d.screen, game);
    EXPECT_EQ(game.Enemies.SpawnTick, d.Tick() - draws.wait) << "not yet";
    EXPECT_EQ(d.EnemyCount(), firstTaken ? 1 : 0);

    game.Enemies.SpawnTick = d.Tick() - draws.wait - 1;
    game.Enemies.DoFrame(&d.screen, game);
    EXPECT_EQ(game.Enemies.SpawnTick, d.Tick());
    EXPECT_EQ(d.EnemyCount(), firstTaken ? 2 : 1);
    const std::size_t slot = firstTaken ? 2 : 1;
    ASSERT_TRUE(game.Enemies.Slots[slot]);
    const TEnemy& born = *game.Enemies.Slots[slot];
    EXPECT_EQ(born.Kind, game.ChooseKind());  // the same counter gives the same choice
    EXPECT_EQ(born.Y, 0) << "it moves first in the next update";
  }
}

struct FreezeCase {
  const char* name;
  std::uint32_t startTick;
  std::uint32_t attemptBefore;  // the last spawn attempt, this long before the eating frame
  int framesAfter;              // frozen updates after the eating frame
};

TEST(EnemyFreeze, HoldsEveryFlightAndSpawnUntilMoreThan8000MsAfterTheLastSpawnAttempt) {
  const FreezeCase cases[] = {
      {"attempt in the eating frame", 50000, 0, 534},
      {"attempt long before", 50000, 7990, 1},
      {"8000 is not more", 50000, 7985, 2},
      {"across the tick wrap", 0xFFFFF000u, 0, 534},
  };
  for (const FreezeCase& c : cases) {
    SCOPED_TRACE(c.name);
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    d.Tick() = c.startTick;
    d.Put(0, kFreezingKind, 380, 450);
    TEnemy& flyer = d.Put(1, 1, 100, 150);
    flyer.FrameTick = d.Tick();
    game.Eye.Angle = test::kStraightUp;
    game.Fire();
    game.Up.Extending = false;
    game.Up.TongueLength = 150;
    TEnemy& prey = d.Put(2, 5, 390, 200);
    prey.Caught = true;
    const std::uint32_t attempt = c.startTick + 15 - c.attemptBefore;
    game.Enemies.SpawnTick = attempt;
    d.Frame();
    ASSERT_FALSE(game.Enemies.Moving);
    EXPECT_EQ(prey.Y, 520 - (135 + 120) - 20) << "carrying goes on";
    int frames = 0;
    while (!game.Enemies.Moving && frames < 1000) {
      EXPECT_EQ(flyer.X, 100);
      EXPECT_EQ(flyer.AnimFrame, 0);
      d.Frame();
      ++frames;
    }
    EXPECT_EQ(frames, c.framesAfter);
    EXPECT_EQ(game.Enemies.SpawnTick, attempt) << "no spawn attempt while frozen";
    d.Frame();
    EXPECT_NE(flyer.X, 100);
  }
}

// Kinds by level: level mod 10 above 10, level 10 itself all kind 1; kinds 0, 2 and 3 only through the
// 1-in-50 rule, which levels 20, 30, ... leave out.
TEST(EnemyKinds, EachLevelDrawsFromItsPoolWithTheRareKindsOnlyByTheOneInFiftyRule) {
  const std::set<int> rare = {0, 1, 2, 3};
  const std::map<int, std::set<int>> pools = {
      {1, {1, 4}},          {2, {1, 4, 7}},       {3, {1, 4}},          {4, {1, 4, 6, 7}},
      {5, {1, 4, 5, 6, 7}}, {6, {1, 4}},          {9, {1, 4}},          {10, {1}},
      {12, {1, 4, 7}},      {15, {1, 4, 5, 6, 7}}, {20, {1, 4, 5, 6, 7, 8}}, {100, {1, 4, 5, 6, 7, 8}},
      {255, {1, 4, 5, 6, 7}},
  };
  constexpr int kDraws = 6000;
  for (const auto& [level, pool] : pools) {
    SCOPED_TRACE(level);
    GameDriver d;
    d.Game().Level = static_cast<std::uint8_t>(level);
    std::set<int> seen;
    int rareOnly = 0;
    for (std::uint32_t k = 0; k < kDraws; ++k) {
      d.g.clock.counter = k * 2654435761u + 12345u;
      const int kind = d.Game().ChooseKind();
      seen.insert(kind);
      if (kind == 0 || kind == 2 || kind == 3) ++rareOnly;
    }
    std::set<int> expected = pool;
    if (level % 10 != 0 || level == 10) expected.insert(rare.begin(), rare.end());
    EXPECT_EQ(seen, expected);
    if (level % 10 == 0 && level != 10) {
      EXPECT_EQ(rareOnly, 0);
    } else {
      // One in fifty picks one of four kinds, three of them found nowhere else: about 1.5 %.
      EXPECT_GT(rareOnly, kDraws * 3 / 200 / 2);
      EXPECT_LT(rareOnly, kDraws * 3 / 200 * 2);
    }
  }
}

TEST(EnemyKinds, TheChoiceDependsOnlyOnTheCounterAtItsReseed) {
  GameDriver d;
  d.Game().Level = 5;
  for (std::uint32_t k = 0; k < 50; ++k) {
    d.g.clock.counter = k * 2654435761u;
    const int first = d.Game().ChooseKind();
    d.g.program.Rng.Below(3);
    EXPECT_EQ(d.Game().ChooseKind(), first);
  }
}

}  // namespace
}  // namespace gw::game
