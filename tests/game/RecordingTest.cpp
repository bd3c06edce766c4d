// SPDX-License-Identifier: GPL-3.0-or-later
// Recorded games: scripted games of the headless program replay to the same score, level and frame count from
// their stored form; a recording altered in any way that matters is refused or ends otherwise.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/Recording.h"
#include "game/Replay.h"
#include "support/ScriptedPlayer.h"

namespace gw::game {
namespace {

using test::PlayScripted;
using test::Script;
using test::Style;

// The games are played once for all the tests of this file.
const test::PlayedGame& Catcher() {
  static const test::PlayedGame g = PlayScripted({Style::Catcher, 7});
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

TEST(Recording, KeepsTheNameAndCountryAndIsSmall) {
  const std::vector<std::uint8_t> stored = EncodeRecording(Catcher().recording);
  const Recording back = DecodeRecording(stored);
  EXPECT_EQ(back.name, "Player");
  EXPECT_EQ(back.country, "Moldova");
  EXPECT_EQ(back.marks, Catcher().recording.marks);
  // Under three bits a frame: some 100 bytes a second of play.
  EXPECT_LT(stored.size() * 8, Catcher().frames * 3) << stored.size() << " bytes for " << Catcher().frames << " frames";
  std::cout << "[ recording ] level " << int{Catcher().level} << ", " << Catcher().frames << " frames: "
            << stored.size() << " bytes stored, " << Catcher().recording.values.size() << " bytes of values\n";
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
  for (std::size_t i = 0; i < g.recording.marks.size(); i += g.recording.marks.size() / 4) {
    Recording moved = g.recording;
    moved.marks[i].frame += 1;
    EXPECT_FALSE(endsAsRecorded(moved)) << "fire " << i << " a frame later";
    Recording dropped = g.recording;
    dropped.marks.erase(dropped.marks.begin() + static_cast<std::ptrdiff_t>(i));
    EXPECT_FALSE(endsAsRecorded(dropped)) << "fire " << i << " left out";
  }
  Recording shorter = g.recording;
  shorter.frames -= 1;
  EXPECT_FALSE(endsAsRecorded(shorter));
  Recording longer = g.recording;
  longer.frames += 1;
  EXPECT_FALSE(endsAsRecorded(longer));
  Recording extra = g.recording;
  extra.values.push_back(0);
  EXPECT_FALSE(endsAsRecorded(extra));
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
  // A draw out of its range: the first value of play is a tick, then the spawn wait's bit (0 or 1).
  Recording cut = Waiter().recording;
  cut.values.resize(cut.values.size() / 2);
  EXPECT_THROW(ReplayGame(cut), RecordingError);
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
  EXPECT_EQ(out.score, 2780);
  EXPECT_EQ(out.level, 6);
  EXPECT_EQ(out.frames, 20297u);
}

TEST(Recording, DamagedStoredFormsAreRefusedWithAReason) {
  const std::vector<std::uint8_t> good = EncodeRecording(Waiter().recording);
  std::vector<std::uint8_t> version = good;
  version[0] = 99;
  std::vector<std::uint8_t> truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
  std::vector<std::uint8_t> flipped = good;
  flipped[good.size() / 2] ^= 0x55;
  std::vector<std::uint8_t> huge(kMaxRecordingBytes + 1, 0);
  huge[0] = kRecordingVersion;
  for (const auto& bad : {std::vector<std::uint8_t>{}, version, truncated, flipped, huge}) {
    EXPECT_THROW(DecodeRecording(bad), RecordingError);
  }
}

}  // namespace
}  // namespace gw::game
