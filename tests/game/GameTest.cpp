// SPDX-License-Identifier: GPL-3.0-or-later
// Levels and scoring: the intro, the level clock and its end condition, the level end and game over, the
// catches and the scores they change, the pop-up, and the hand-over to the menu or the name entry.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/GameFixture.h"
#include "gfx/Draw.h"
#include "platform/Window.h"

namespace gw::game {
namespace {

using test::GameDriver;

bool HasColour(const gfx::Surface& s, gfx::Rect r, gfx::Pixel colour) {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (s.At(x, y) == colour) return true;
    }
  }
  return false;
}

// An enemy well inside the mouth rectangle (310, 390) to (477, 560).
void PutInMouth(GameDriver& d, std::size_t slot, int kind) { d.Put(slot, kind, 380, 450); }

TEST(GameIntro, LastsUntilMoreThanTwoSecondsHavePassedEvenAcrossTheTickWrap) {
  for (const std::uint32_t start : {1000u, 0xFFFFF800u}) {
    SCOPED_TRACE(start);
    GameDriver d;
    d.Game().PhaseStart = start;
    d.Tick() = start;
    d.Frame(2000);
    EXPECT_EQ(d.Game().Phase, LevelIntro);
    EXPECT_EQ(d.Game().FrameTick, start + 2000);
    d.Frame(1);
    EXPECT_EQ(d.Game().Phase, Playing);
  }
}

TEST(GameIntro, DrawsThePlayfieldTheClockStripAndItsFrame) {
  GameDriver d;
  d.Frame();
  EXPECT_EQ(d.screen.At(5, 5), test::ScreenPixel(22, 5, 5));
  EXPECT_EQ(d.screen.At(111 + 9, 30 + 10), test::ScreenPixel(23, 9, 10));
  EXPECT_EQ(d.screen.At(111 + 300, 30), gfx::kFrameGreen);
  EXPECT_TRUE(HasColour(d.screen, {350, 300, 560, 332}, gfx::kYellow));  // "Уровень 1"
}

TEST(GameIntro, StartingTheLevelClearsItsScoreTheTargetFlagAndTheField) {
  GameDriver d;
  d.Put(3, 4, 100, 100);
  d.Game().LevelScore = 70;
  d.Game().Down.Big = true;
  d.Game().Enemies.Moving = false;
  d.Game().Progress.Position = 17;
  d.StartPlay();
  EXPECT_EQ(d.Game().LevelScore, 0);
  EXPECT_FALSE(d.Game().Down.Big);
  EXPECT_TRUE(d.Game().Enemies.Moving);
  EXPECT_EQ(d.Game().Progress.Position, 0);
  EXPECT_EQ(d.EnemyCount(), 0);
}

struct ClockCase {
  int level;
  std::int32_t frames;
  std::uint16_t max;
};

TEST(GameLevel, LastsLevelTimesElevenHundredFramesUpToTheClocksLargestValue) {
  const ClockCase cases[] = {{1, 1100, 1100}, {2, 2200, 2200},      {59, 64900, 64900},
                             {60, 66000, 65535}, {61, 67100, 65535}, {255, 280500, 65535}};
  for (const ClockCase& c : cases) {
    SCOPED_TRACE(c.level);
    GameDriver d;
    d.Game().Level = static_cast<std::uint8_t>(c.level);
    d.StartPlay();
    EXPECT_EQ(d.Game().LevelFrames, c.frames);
    EXPECT_EQ(d.Game().Progress.Max, c.max);
    EXPECT_EQ(d.Game().Target(), c.level * 150);
  }
}

// The whole road of a game without a catch, through the program: the intro, 1100 frames of play, the level
// end that misses the target, the game-over screen and the menu; its time is its frame count, whatever the clock.
TEST(GameLevel, FirstLevelWithoutACatchLastsElevenHundredFramesOfPlayThenTheGameIsOver) {
  test::HeadlessGame g;
  g.program.ScreenState = 1;
  g.form->FormKeyDown(platform::vk::kReturn, false);  // new game
  ASSERT_TRUE(g.program.Game);
  const TGame& game = *g.program.Game;
  g.sound.calls.clear();

  int introFrames = 0;
  while (game.Phase == LevelIntro && introFrames < 1000) {
    g.Frame();
    ++introFrames;
  }
  EXPECT_EQ(introFrames, 129);  // play's time is its frames: 129 x 1/64 s is the first more than 2000 ms on

  int playFrames = 0;
  while (game.Phase == Playing && playFrames < 5000) {
    g.Frame();
    ++playFrames;
  }
  EXPECT_EQ(playFrames, 1100);
  EXPECT_EQ(game.Phase, LevelEnd);
  EXPECT_EQ(game.Score, 0);

  g.Frame();
  EXPECT_EQ(game.Phase, GameOver);
  const std::vector<std::string> over = {"stop song", "effect 2"};
  EXPECT_EQ(g.sound.calls, over);

  int overFrames = 0;
  while (g.program.ScreenState == 2 && overFrames < 1000) {
    g.Frame();
    ++overFrames;
  }
  EXPECT_EQ(overFrames, 129);
  EXPECT_EQ(g.program.ScreenState, 1);
  EXPECT_EQ(g.window.cursorCounter, 0);
}

struct EndCase {
  const char* name;
  std::uint16_t position;  // the clock before the frame; the level lasts 1100
  bool frozen;
  bool tongueOut;
  bool extending;
  std::int16_t tongueLength;
  std::uint16_t popUpY;
  bool ends;
};

TEST(GameLevel, EndsOnlyWithTheClockFullTheTongueInAndThePopUpDone) {
  const EndCase cases[] = {
      {"clock fills this frame", 1099, false, false, false, 0, 0, true},
      {"clock one frame short", 1098, false, false, false, 0, 0, false},
      {"clock long full", 1150, false, false, false, 0, 0, true},
      {"frozen field holds the clock", 1099, true, false, false, 0, 0, false},
      {"tongue on its way out", 1099, false, true, true, 60, 0, false},
      {"tongue on its way back", 1099, false, true, false, 60, 0, false},
      {"tongue back in this very frame", 1099, false, true, false, 15, 0, true},
      {"pop-up still rising", 1099, false, false, false, 0, 351, false},
      {"pop-up done", 1099, false, false, false, 0, 350, true},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.name);
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    game.Eye.Angle = 0.8f;
    game.Progress.Position = c.position;
    game.Enemies.Moving = !c.frozen;
    game.Enemies.SpawnTick = d.Tick();
    game.Up.TongueOut = c.tongueOut;
    game.Up.Extending = c.extending;
    game.Up.TongueLength = c.tongueLength;
    game.Eye.Held = c.tongueOut;
    game.ScoresUp.Y = c.popUpY;
    TEnemy& flyer = d.Put(0, 4, 100, 150);
    flyer.Speed = 3;
    d.Frame();
    EXPECT_EQ(game.Phase, c.ends ? LevelEnd : Playing);
    // The rest of the frame still runs: the enemies move.
    if (!c.frozen) {
      EXPECT_EQ(flyer.X, 103);
    }
  }
}

TEST(GameLevel, APopUpHoldsTheFullClockForFiftyFrames) {
  GameDriver d;
  d.StartQuietPlay();
  d.Game().Progress.Position = 1100;
  PutInMouth(d, 0, 4);
  d.Frame();  // eats: the pop-up starts at row 400
  int frames = 1;
  while (d.Game().Phase == Playing && frames < 100) {
    d.Frame();
    ++frames;
  }
  EXPECT_EQ(frames, 51);
  EXPECT_EQ(d.Game().ScoresUp.Y, 350);
}

struct LevelEndCase {
  int level;
  bool big;
  int nextLevel;
  std::uint8_t phase;
  std::vector<std::string> sounds;
};

TEST(GameLevel, TheEndFrameGoesOnWithTheTargetReachedAndEndsTheGameWithout) {
  const LevelEndCase cases[] = {
      {1, true, 2, LevelIntro, {"effect 1"}},
      {59, true, 60, LevelIntro, {"effect 1"}},
      {60, true, 61, LevelIntro, {"effect 1"}},
      {254, true, 255, LevelIntro, {"effect 1"}},
      {255, true, 255, LevelIntro, {"effect 1"}},  // the last level repeats
      {1, false, 1, GameOver, {"stop song", "effect 2"}},
      {255, false, 255, GameOver, {"stop song", "effect 2"}},
  };
  for (const LevelEndCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.level << (c.big ? " reached" : " missed"));
    GameDriver d;
    TGame& game = d.Game();
    game.Level = static_cast<std::uint8_t>(c.level);
    game.Phase = LevelEnd;
    game.Down.Big = c.big;
    d.screen.Fill(0x123456);
    d.g.sound.calls.clear();
    d.Frame();
    EXPECT_EQ(game.Level, c.nextLevel);
    EXPECT_EQ(game.Phase, c.phase);
    EXPECT_EQ(game.PhaseStart, d.Tick());
    EXPECT_EQ(d.g.sound.calls, c.sounds);
    // The game draws nothing in this frame.
    EXPECT_TRUE(std::all_of(d.screen.Data(), d.screen.Data() + 800 * 600, [](gfx::Pixel p) { return p == 0x123456; }));
  }
}

// From level 60 on the clock stands at its largest value; a level held open past it must still end.
TEST(GameLevel, AFullClockAtItsLargestValueDoesNotWrapWhileTheTongueIsOut) {
  GameDriver d;
  d.Game().Level = 60;
  d.StartQuietPlay();
  TGame& game = d.Game();
  game.Progress.Position = 65533;
  game.Eye.Angle = 0.8f;
  game.Fire();
  int frames = 0;
  while (game.Phase == Playing && frames < 200) {
    d.Frame();
    ++frames;
    EXPECT_GE(game.Progress.Position, 65534);
  }
  EXPECT_EQ(game.Phase, LevelEnd);
  EXPECT_FALSE(game.Up.TongueOut);
  EXPECT_EQ(frames, 52);  // out to 390 and back in steps of 15
}

TEST(GameFreeze, FrozenFramesDoNotCountSoAFreezeLengthensTheLevel) {
  GameDriver d;
  d.StartQuietPlay();
  TGame& game = d.Game();
  d.Frame();
  ASSERT_EQ(game.Progress.Position, 1);
  PutInMouth(d, 0, kFreezingKind);
  game.Enemies.SpawnTick = d.Tick() + 15;  // a spawn attempt in the eating frame's tick
  int frames = 1;
  int frozen = 0;
  while (game.Phase == Playing && frames < 5000) {
    const std::uint16_t before = game.Progress.Position;
    d.Frame();
    ++frames;
    if (game.Progress.Position == before) ++frozen;
  }
  // Frozen: the eating frame, and every frame up to the first more than 8000 ms after the spawn attempt,
  // whose clock is drawn before the enemies wake: 535 frames of 15 ms.
  EXPECT_EQ(frozen, 535);
  EXPECT_EQ(frames, 1100 + 535);
}

struct CatchEdge {
  int x, y;
  bool caught;
};

// The tongue straight up with 150 pixels out: the tip covers (401, 280) to (425, 302), right and bottom
// excluded.
TEST(GameCatch, TheTipCatchesWhatOverlapsItsRectangle) {
  const CatchEdge cases[] = {{385, 270, true},  {424, 270, true},  {425, 270, false}, {362, 270, true},
                             {361, 270, false}, {390, 301, true},  {390, 302, false}, {390, 241, true},
                             {390, 240, false}};
  for (const CatchEdge& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    game.Eye.Angle = test::kStraightUp;
    game.Fire();
    game.Up.TongueLength = 150;
    TEnemy& e = d.Put(0, 5, c.x, c.y);  // 40 x 40
    game.CheckCatches();
    EXPECT_EQ(e.Caught, c.caught);
    EXPECT_EQ(game.Up.Extending, !c.caught);
  }
}

// The tip at rest lies inside the mouth rectangle, so what it touches there is eaten at once; on the way
// back it catches as on the way out.
TEST(GameCatch, TheReturningTongueCatchesTooAndOneShotMayCatchSeveral) {
  GameDriver d;
  d.StartQuietPlay();
  TGame& game = d.Game();
  game.Eye.Angle = test::kStraightUp;
  game.Fire();
  game.Up.Extending = false;
  game.Up.TongueLength = 90;  // the tip covers (401, 340) to (425, 362)
  TEnemy& first = d.Put(2, 6, 395, 320);
  TEnemy& second = d.Put(4, 5, 410, 345);
  game.CheckCatches();
  EXPECT_TRUE(first.Caught);
  EXPECT_TRUE(second.Caught);
  EXPECT_EQ(d.EnemyCount(), 2);
}

struct MouthEdge {
  int x, y;
  bool eaten;
};

TEST(GameCatch, EatsWhatOverlapsTheMouthRectangle) {
  const MouthEdge cases[] = {{380, 351, true}, {380, 350, false}, {476, 450, true}, {477, 450, false},
                             {271, 450, true}, {270, 450, false}, {380, 559, true}, {380, 560, false}};
  for (const MouthEdge& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    GameDriver d;
    d.StartQuietPlay();
    d.Put(1, 5, c.x, c.y);
    d.Game().CheckCatches();
    EXPECT_EQ(d.Game().Enemies.Slots[1] == nullptr, c.eaten);
    EXPECT_EQ(d.Game().Score, c.eaten ? 50 : 0);
  }
}

TEST(GameCatch, AtMostOneEnemyIsEatenAFrameAndTheScanStopsThere) {
  GameDriver d;
  d.StartQuietPlay();
  TGame& game = d.Game();
  game.Eye.Angle = test::kStraightUp;
  game.Fire();
  game.Up.TongueLength = 150;
  TEnemy& before = d.Put(0, 5, 390, 270);  // at the tip
  PutInMouth(d, 2, 1);
  PutInMouth(d, 5, 5);
  TEnemy& after = d.Put(6, 6, 400, 270);  // at the tip, but behind the eaten one
  game.CheckCatches();
  EXPECT_TRUE(before.Caught);
  EXPECT_FALSE(game.Enemies.Slots[2]);
  ASSERT_TRUE(game.Enemies.Slots[5]);
  EXPECT_FALSE(after.Caught);
  EXPECT_EQ(game.Score, 50);
  game.CheckCatches();
  EXPECT_FALSE(game.Enemies.Slots[5]);
  EXPECT_FALSE(after.Caught);
  EXPECT_EQ(game.Score, 100);
  game.CheckCatches();
  EXPECT_TRUE(after.Caught);
}

TEST(GameCatch, TheChewingSoundIsChosenAfterAReseedInTheCatchStep) {
  GameDriver d;
  d.StartQuietPlay();
  std::vector<std::string> heard;
  for (std::uint64_t k = 0; k < 12; ++k) {
    std::string first;
    for (const int scramble : {0, 7}) {
      d.g.clock.counter = k * 0x3C6EF372u + 7u;  // seeds spread over the 32 bits
      PutInMouth(d, 0, 4);
      for (int i = 0; i < scramble; ++i) d.g.program.Rng.Below(1000);
      d.g.sound.calls.clear();
      d.Game().CheckCatches();
      ASSERT_FALSE(d.g.sound.calls.empty());
      const std::string sound = d.g.sound.calls.front();
      if (scramble == 0) first = sound;
      EXPECT_EQ(sound, first) << "the generator's earlier state must not matter";
      heard.push_back(sound);
    }
  }
  EXPECT_NE(std::find(heard.begin(), heard.end(), "effect 3"), heard.end());
  EXPECT_NE(std::find(heard.begin(), heard.end(), "effect 4"), heard.end());
}

struct ScoreCase {
  std::int32_t score, levelScore;
  int kind;
  std::int32_t scoreAfter, levelScoreAfter;
};

TEST(GameScore, BothScoresGainTheKindsPointsAndStopAtZero) {
  const ScoreCase cases[] = {
      {20, 20, 0, 0, 0},      // -40 at 20 leaves 0
      {100, 20, 0, 60, 0},    // each score is clamped by itself
      {100, 40, 3, 70, 10},   // -30
      {0, 0, 2, 0, 0},        // the freezing kind is worth nothing
      {10, 10, 1, 60, 60},    // +50
      {10, 10, 4, 20, 20},    // +10
      {10, 10, 5, 60, 60},    // +50
      {10, 10, 6, 40, 40},    // +30
      {10, 10, 7, 30, 30},    // +20
      {10, 10, 8, 60, 60},    // +50
  };
  for (const ScoreCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " at " << c.score << "/" << c.levelScore);
    GameDriver d;
    d.StartQuietPlay();
    d.Game().Score = c.score;
    d.Game().LevelScore = c.levelScore;
    PutInMouth(d, 0, c.kind);
    d.Game().CheckCatches();
    EXPECT_EQ(d.Game().Score, c.scoreAfter);
    EXPECT_EQ(d.Game().LevelScore, c.levelScoreAfter);
    EXPECT_EQ(d.Game().ScoresUp.Y, 400);
    EXPECT_EQ(d.Game().ScoresUp.Value, KindOf(c.kind).points);
  }
}

TEST(GameScore, AScoreClampedAtZeroStartsFromZeroAtTheNextCatch) {
  GameDriver d;
  d.StartQuietPlay();
  TGame& game = d.Game();
  game.Score = 20;
  game.LevelScore = 20;
  PutInMouth(d, 0, 0);
  game.CheckCatches();
  PutInMouth(d, 0, 1);
  game.CheckCatches();
  EXPECT_EQ(game.Score, 50);
  EXPECT_EQ(game.LevelScore, 50);
}

struct BigCase {
  int level;
  std::int32_t levelScore;
  bool big;
  int kind;
  bool bigAfter;
  const char* sound;  // after the chewing sound, or none
};

TEST(GameScore, TheTargetFlagFollowsTheLevelScoreWithBigAndSmallOnlyAsItCrosses) {
  const BigCase cases[] = {
      {1, 100, false, 1, true, "effect 5"},   // 150: reached exactly
      {1, 140, false, 4, true, "effect 5"},
      {1, 150, true, 4, true, nullptr},       // still above: no second "Big"
      {1, 150, true, 2, true, nullptr},       // nothing gained, nothing lost
      {1, 160, true, 0, false, "effect 6"},   // 120: below again
      {1, 100, false, 0, false, nullptr},     // below and staying there: no "Small"
      {2, 260, false, 5, true, "effect 5"},   // level 2 asks for 300
      {2, 200, false, 1, false, nullptr},
      {2, 310, true, 3, false, "effect 6"},
  };
  for (const BigCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << ", " << c.levelScore << ", kind " << c.kind);
    GameDriver d;
    d.StartQuietPlay();
    TGame& game = d.Game();
    game.Level = static_cast<std::uint8_t>(c.level);
    game.LevelScore = c.levelScore;
    game.Score = c.levelScore;
    game.Down.Big = c.big;
    PutInMouth(d, 0, c.kind);
    d.g.sound.calls.clear();
    game.CheckCatches();
    EXPECT_EQ(game.Down.Big, c.bigAfter);
    ASSERT_FALSE(d.g.sound.calls.empty());
    EXPECT_TRUE(d.g.sound.calls[0] == "effect 3" || d.g.sound.calls[0] == "effect 4") << d.g.sound.calls[0];
    std::vector<std::string> rest(d.g.sound.calls.begin() + 1, d.g.sound.calls.end());
    EXPECT_EQ(rest, c.sound ? std::vector<std::string>{c.sound} : std::vector<std::string>{});
  }
}

// A target reached and then lost again by a negative catch ends the game when the clock runs out.
TEST(GameScore, ATargetLostAgainEndsTheGame) {
  GameDriver d;
  d.StartQuietPlay();
  TGame& game = d.Game();
  game.LevelScore = 140;
  PutInMouth(d, 0, 4);
  d.Frame();
  EXPECT_TRUE(game.Down.Big);
  PutInMouth(d, 0, 0);
  d.Frame();
  EXPECT_FALSE(game.Down.Big);
  game.Progress.Position = 1100;
  game.ScoresUp.Y = 350;
  d.Frame();
  d.Frame();
  EXPECT_EQ(game.Phase, GameOver);
}

// The lower body shows the target flag as it stood before this frame's catch.
TEST(GameScore, TheLowerBodyIsDrawnBeforeTheCatchStep) {
  GameDriver d;
  d.StartQuietPlay();
  d.Game().LevelScore = 140;
  PutInMouth(d, 0, 1);
  d.Frame();
  ASSERT_TRUE(d.Game().Down.Big);
  EXPECT_EQ(d.screen.At(314 + 6, 475 + 115), test::ScreenPixel(20, 6, 115));
  d.Frame();
  EXPECT_EQ(d.screen.At(314 + 6, 475 + 115), test::ScreenPixel(21, 6, 115));
}

struct PopUpCase {
  int kind;
  bool drawn;
  gfx::Pixel colour;
};

TEST(GameScore, ThePopUpRisesARowAFrameInItsKindsColour) {
  const PopUpCase cases[] = {{1, true, gfx::kYellow}, {0, true, gfx::kRed}, {2, false, 0}};
  for (const PopUpCase& c : cases) {
    SCOPED_TRACE(c.kind);
    GameDriver d;
    d.StartQuietPlay();
    PutInMouth(d, 0, c.kind);
    d.Frame();
    EXPECT_EQ(d.Game().ScoresUp.Y, 399);
    const gfx::Rect text{375, 400, 440, 432};
    EXPECT_EQ(HasColour(d.screen, text, gfx::kYellow), c.drawn && c.colour == gfx::kYellow);
    EXPECT_EQ(HasColour(d.screen, text, gfx::kRed), c.drawn && c.colour == gfx::kRed);
    for (int i = 0; i < 60; ++i) d.Frame();
    EXPECT_EQ(d.Game().ScoresUp.Y, 350);
  }
}

struct HandOverCase {
  std::int32_t tenth;
  std::int32_t score;
  bool music;
  std::int32_t state;
};

TEST(GameOverScreen, AfterTwoSecondsHandsOverToTheNameEntryOnlyForAScoreAboveTheTenth) {
  const HandOverCase cases[] = {
      {500, 501, true, 34}, {500, 500, true, 1}, {500, 499, false, 1}, {0, 0, false, 1}, {0, 10, false, 34}};
  for (const HandOverCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.score << " against " << c.tenth);
    GameDriver d;
    d.g.program.HiScores[9].Score = c.tenth;
    d.g.program.Options.Music = c.music;
    TGame& game = d.Game();
    game.Score = c.score;
    game.Phase = GameOver;
    game.PhaseStart = d.Tick();
    d.g.sound.calls.clear();
    const int cursor = d.g.window.cursorCounter;
    d.Frame(2000);
    EXPECT_EQ(d.g.program.ScreenState, 2);
    EXPECT_TRUE(HasColour(d.screen, {310, 300, 520, 332}, gfx::kYellow));  // "Конец Игры"
    d.Frame(1);
    EXPECT_EQ(d.g.program.ScreenState, c.state);
    EXPECT_EQ(d.g.window.cursorCounter, cursor + 1);
    EXPECT_EQ(d.g.sound.Count("song 2.xm"), c.music ? 1 : 0);
    EXPECT_EQ(game.Phase, GameOver);
    EXPECT_EQ(game.PhaseStart, d.Tick());
  }
}

TEST(GameFrame, HoldsTheCursorInTheMiddleOnlyWhileTheWindowIsActive) {
  GameDriver d;
  d.g.window.warps.clear();
  d.Frame();
  d.g.window.active = false;
  d.Frame();
  const std::vector<std::pair<int, int>> warps = {{400, 300}};
  EXPECT_EQ(d.g.window.warps, warps);
}

}  // namespace
}  // namespace gw::game
