// SPDX-License-Identifier: GPL-3.0-or-later
// Recorded games: scripted games of the headless program replay to the same score, level and frame count from
// their stored form, decided by nothing but the dealt seed and the presses; a recording altered in any way that
// matters is refused or ends otherwise.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/Game.h"
#include "game/Recording.h"
#include "game/Replay.h"
#include "support/Headless.h"
#include "support/ScriptedPlayer.h"

namespace gw::game {
namespace {

using test::PlayScripted;
using test::Script;
using test::Style;

// What the committed game ends on.
constexpr std::int32_t kCommittedScore = 3860;
constexpr std::uint32_t kCommittedFrames = 17413;

// The games are played once for all the tests of this file.
const test::PlayedGame& Catcher() {
  // At the game's own pace the catcher passes every level: it leaves at the fourth.
  static const test::PlayedGame g = PlayScripted({Style::Catcher, 7, "Player", "Moldova", 0, 4});
  return g;
}
const test::PlayedGame& Waiter() {
  static const test::PlayedGame g = PlayScripted({Style::Waiter, 3});
  return g;
}

ReplayOutcome ReplayStored(const Recording& r) { return ReplayGame(DecodeRecording(EncodeRecording(r))); }

TEST(Recording, ScriptedGamesReplayToTheirScoreLevelAndLength) {
  const test::PlayedGame quitter = PlayScripted({Style::Catcher, 11, "Q", "", 400});
  for (const test::PlayedGame* g : {&Catcher(), &Waiter(), &quitter}) {
    const ReplayOutcome out = ReplayStored(g->recording);
    EXPECT_EQ(out.score, g->score);
    EXPECT_EQ(out.level, g->level);
    EXPECT_EQ(out.frames, g->frames);
  }
  EXPECT_GE(Catcher().level, 3) << "the catcher passes levels";
  EXPECT_EQ(Waiter().score, 0);
  EXPECT_EQ(Waiter().level, 1);
  EXPECT_LT(quitter.frames, Waiter().frames);
}

TEST(Recording, KeepsTheTicketSeedAndMarksAndIsSmall) {
  const std::vector<std::uint8_t> stored = EncodeRecording(Catcher().recording);
  EXPECT_EQ(DecodeRecording(stored), Catcher().recording);
  EXPECT_EQ(Catcher().recording.ticket, "scripted");
  EXPECT_EQ(Catcher().recording.seed, 7u);
  // A few bytes a shot: a game of several levels in a few hundred bytes.
  EXPECT_LT(stored.size(), 4 + 2 * Catcher().recording.marks.size() + 32);
  std::cout << "[ recording ] level " << int{Catcher().level} << ", " << Catcher().frames << " frames, "
            << Catcher().recording.marks.size() << " marks: " << stored.size() << " bytes stored\n";
}

// The clock, the counter and the pace of the frames are not play's business: a game played with them jumping
// about (a window dragged, a tab hidden) is the game the seed and the presses make.
TEST(Recording, PlayDependsOnNothingButTheSeedAndThePresses) {
  const test::PlayedGame& g = Catcher();
  test::HeadlessGame h;
  h.program.ScreenState = 2;
  game::TGame live(h.form->GameHostFor());
  live.Deal({"scripted", 7});
  gfx::Surface screen(800, 600);
  std::size_t mark = 0;
  for (std::uint32_t frame = 0; h.program.ScreenState == 2 && frame < g.frames; ++frame) {
    h.clock.tick += frame % 7 == 0 ? 4000 : 3;
    h.clock.counter = h.clock.counter * 6364136223846793005ull + frame;
    for (; mark < g.recording.marks.size() && g.recording.marks[mark].frame == frame; ++mark) {
      g.recording.marks[mark].mark == Mark::Fire ? live.Fire() : live.Quit();
    }
    live.DoFrame(screen);
  }
  EXPECT_EQ(live.Score, g.score);
  EXPECT_EQ(live.Level, g.level);
  EXPECT_EQ(live.Frames(), g.frames);

  Recording otherSeed = g.recording;
  otherSeed.seed = 8;
  try {
    const ReplayOutcome out = ReplayGame(otherSeed);
    EXPECT_NE(std::make_pair(out.score, out.frames), std::make_pair(g.score, g.frames));
  } catch (const RecordingError&) {
    // The presses do not fit another seed's game: as good a sign.
  }
}

TEST(Recording, AlteredPlayIsRefusedOrEndsOtherwise) {
  const test::PlayedGame& g = Catcher();
  ASSERT_GT(g.recording.marks.size(), 3u);
  const auto endsAsRecorded = [&](const Recording& r) {
    try {
      const ReplayOutcome out = ReplayGame(r);
      return out.score == g.score && out.level == g.level;
    } catch (const RecordingError&) {
      return false;
    }
  };
  // A shot that missed changes nothing when it is moved or left out; the scripted player rarely misses.
  int sampled = 0, movedSame = 0, droppedSame = 0;
  for (std::size_t i = 0; i < g.recording.marks.size(); i += g.recording.marks.size() / 6, ++sampled) {
    Recording moved = g.recording;
    moved.marks[i].frame += 1;
    movedSame += endsAsRecorded(moved) ? 1 : 0;
    Recording dropped = g.recording;
    dropped.marks.erase(dropped.marks.begin() + static_cast<std::ptrdiff_t>(i));
    droppedSame += endsAsRecorded(dropped) ? 1 : 0;
  }
  EXPECT_LE(movedSame, 1) << "of " << sampled << " fires a frame later";
  EXPECT_LE(droppedSame, 1) << "of " << sampled << " fires left out";
  Recording shorter = g.recording;
  shorter.frames -= 1;
  EXPECT_FALSE(endsAsRecorded(shorter));
  Recording longer = g.recording;
  longer.frames += 1;
  EXPECT_FALSE(endsAsRecorded(longer));
}

TEST(Recording, ImpossibleInputIsRefused) {
  // A shot while the tongue is out: two fires on one frame.
  Recording twice = Catcher().recording;
  twice.marks.insert(twice.marks.begin(), twice.marks.front());
  EXPECT_THROW(ReplayGame(twice), RecordingError);
  // A quit during the level's intro.
  Recording early = Waiter().recording;
  early.marks.insert(early.marks.begin(), {0, Mark::Quit});
  EXPECT_THROW(ReplayGame(early), RecordingError);
  // No seed: nothing to play it by.
  Recording unseeded = Waiter().recording;
  unseeded.seed.reset();
  EXPECT_THROW(ReplayGame(unseeded), RecordingError);
}

// A level-5 game recorded once and committed: every build of the core (other compilers, other platforms) must
// replay it to the same end, and the scripted player must still record it byte for byte.
TEST(Recording, TheCommittedGameReplaysToItsEndOnEveryBuild) {
  const std::filesystem::path file = std::filesystem::path(GW_SOURCE_DIR) / "tests/game/recordings/level5-catcher.gwr";
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const test::PlayedGame again = PlayScripted({Style::Catcher, 7, "Bench", "", 0, 6});
  const std::vector<std::uint8_t> fresh = EncodeRecording(again.recording);
  if (fresh != committed) {
    const auto written = std::filesystem::temp_directory_path() / "level5-catcher.gwr";
    std::ofstream(written, std::ios::binary).write(reinterpret_cast<const char*>(fresh.data()),
                                                   static_cast<std::streamsize>(fresh.size()));
    ADD_FAILURE() << "the scripted game now records otherwise; the new recording is " << written;
  }
  const ReplayOutcome out = ReplayGame(DecodeRecording(committed));
  EXPECT_EQ(out.score, kCommittedScore);
  EXPECT_EQ(out.level, 6);
  EXPECT_EQ(out.frames, kCommittedFrames);
}

TEST(Recording, DamagedStoredFormsAreRefusedWithAReason) {
  const std::vector<std::uint8_t> good = EncodeRecording(Waiter().recording);
  std::vector<std::uint8_t> version = good;
  version[0] = 99;
  std::vector<std::uint8_t> truncated(good.begin(), good.end() - 1);
  std::vector<std::uint8_t> trailing = good;
  trailing.push_back(0);
  std::vector<std::uint8_t> huge(kMaxRecordingBytes + 1, 0);
  huge[0] = kRecordingVersion;
  // A mark count far beyond the bytes left, and a ticket with a control byte in it.
  const std::vector<std::uint8_t> manyMarks{kRecordingVersion, 0, 0, 10, 0xFF, 0xFF, 0x03, 0};
  const std::vector<std::uint8_t> controlTicket{kRecordingVersion, 1, '\n', 0, 0, 0};
  for (const auto& bad : {std::vector<std::uint8_t>{}, version, truncated, trailing, huge, manyMarks, controlTicket}) {
    EXPECT_THROW(DecodeRecording(bad), RecordingError);
  }
  // The first form is told apart, so that it can be refused for what it is.
  const std::vector<std::uint8_t> old{kOldRecordingVersion, 0x78, 0xDA};
  EXPECT_THROW(DecodeRecording(old), OldFormRecording);
}

}  // namespace
}  // namespace gw::game
