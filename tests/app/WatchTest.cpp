// SPDX-License-Identifier: GPL-3.0-or-later
// Watching a recorded game from the command line: the committed level-5 game shown through the same steps as
// `gromwumbler --watch FILE` (the command line, the file, the player's settings, the window's frames paced by
// the clock) to its last frame, with no file of the player's changed; and the files that cannot be shown.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "app/StartMessages.h"
#include "app/WatchForm.h"
#include "game/RecordingFile.h"
#include "platform/sdl/SdlServices.h"
#include "store/ConfigFile.h"
#include "store/ConfigPlace.h"
#include "support/Headless.h"
#include "support/TestPack.h"

namespace gw::app {
namespace {

namespace fs = std::filesystem;

const fs::path kCommitted = fs::path(GW_SOURCE_DIR) / "tests/game/recordings/level5-catcher.gwr";

std::vector<std::uint8_t> Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<fs::path> Entries(const fs::path& folder) {
  std::vector<fs::path> all;
  for (const auto& e : fs::recursive_directory_iterator(folder)) all.push_back(e.path());
  std::sort(all.begin(), all.end());
  return all;
}

TEST(Watch, ShowsTheCommittedGameToItsLastFrameOneFrameATickStepAndChangesNoFile) {
  test::TempFolder folder;
  test::PlacePack(test::StandardTestPack());
  // The player's settings: no music; a table whose first entry a level-5 game would beat.
  store::TOptions settings = store::InitialOptions();
  settings.Music = false;
  store::HiScoreTable table{};
  store::ResetHiScores(table);
  std::string error;
  ASSERT_TRUE(store::WriteConfigFile(store::kConfigFileName, settings, table, error)) << error;
  const std::vector<std::uint8_t> configBefore = Bytes(store::kConfigFileName);
  const std::vector<fs::path> filesBefore = Entries(folder.Path());

  const std::string file = kCommitted.string();
  const std::vector<std::string_view> args{"--watch", file};
  const CommandLineAnswer answer = ReadCommandLine(args);
  ASSERT_TRUE(answer.runGame);
  ASSERT_EQ(answer.watch, file);
  const game::WatchableGame watched = game::ReadRecordingFile(answer.watch);
  store::FileCalls calls;
  const store::TOptions options = store::ReadSettingsOnly(store::kConfigFileName, folder.Path() / "player", calls);
  EXPECT_FALSE(options.Music);

  test::FakeClock clock;
  test::FakeWindow window;
  test::FakeShell shell;
  test::RecordingSound sound;
  platform::sdl::SdlImageDecoder decoder;
  WatchForm form({clock, window, shell, decoder, sound, test::TestFont()}, watched.recording, options);
  window.events = &form;
  clock.tick += 5;
  EXPECT_FALSE(form.OnIdle()) << "no frame before the tick's next step";
  std::uint32_t drawn = 0;
  for (std::uint32_t step = 0; !form.Over(); ++step) {
    ASSERT_LT(step, watched.recording.frames + 10u) << "the playback does not end";
    clock.tick += step % 8 == 0 ? 16 : 15;  // steps of 1/64 s
    if (form.OnIdle()) ++drawn;
  }
  EXPECT_EQ(drawn, watched.recording.frames);
  EXPECT_EQ(window.presents, static_cast<int>(drawn));
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(form.Game().Score, 3860);
  EXPECT_EQ(form.Game().Level, 6);
  EXPECT_EQ(form.Game().Phase, game::GameOver);
  // The last frame shown is the game-over screen with the total in yellow on its line under the caption.
  int yellow = 0;
  for (int y = 346; y < 370; ++y) {
    for (int x = 0; x < platform::kFrameWidth; ++x) {
      yellow += window.lastFrame[static_cast<std::size_t>(y * platform::kFrameWidth + x)] == gfx::kYellow;
    }
  }
  EXPECT_GT(yellow, 100);
  EXPECT_EQ(window.cursorCounter, 0) << "the cursor is given back";
  // With its sound: the level effects, the catches; no song, as the settings say.
  EXPECT_EQ(sound.Count("effects on"), 1);
  EXPECT_EQ(sound.Count("effect " + std::to_string(audio::kLevel)), 6);
  EXPECT_GT(sound.Count("effect " + std::to_string(audio::kHam1)) + sound.Count("effect " + std::to_string(audio::kHam2)), 20);
  EXPECT_EQ(sound.Count("song 1.xm"), 0);
  // Nothing saved: no entry, no settings, no folder made.
  EXPECT_EQ(Bytes(store::kConfigFileName), configBefore);
  EXPECT_EQ(Entries(folder.Path()), filesBefore);
}

TEST(Watch, EscapeEndsThePlaybackAndGivesTheCursorBack) {
  test::TempFolder folder;
  test::PlacePack(test::StandardTestPack());
  const game::WatchableGame watched = game::ReadRecordingFile(kCommitted);
  test::FakeClock clock;
  test::FakeWindow window;
  test::FakeShell shell;
  test::RecordingSound sound;
  platform::sdl::SdlImageDecoder decoder;
  WatchForm form({clock, window, shell, decoder, sound, test::TestFont()}, watched.recording, store::InitialOptions());
  window.events = &form;
  for (int i = 0; i < 10; ++i) {
    clock.tick += 16;
    ASSERT_TRUE(form.OnIdle());
  }
  EXPECT_EQ(window.cursorCounter, -1) << "hidden while the game is shown";
  EXPECT_TRUE(window.warps.empty()) << "the mouse is the viewer's: never held in the middle";
  EXPECT_EQ(sound.Count("song 1.xm"), 1);
  form.OnKeyDown(platform::vk::kEscape, false, {});
  EXPECT_TRUE(form.Over());
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(window.cursorCounter, 0);
  EXPECT_EQ(sound.calls.back(), "stop song");
  clock.tick += 16;
  EXPECT_FALSE(form.OnIdle()) << "nothing more is shown";
  EXPECT_EQ(form.FramesShown(), 10u);
}

// Every file that cannot be shown is refused before a window shows anything, naming the file and the reason.
TEST(Watch, FilesThatAreNoWholeGameOfThisVersionAreRefusedWithTheirReason) {
  test::TempFolder folder;
  const std::vector<std::uint8_t> good = Bytes(kCommitted);
  std::vector<std::uint8_t> otherVersion = good;
  otherVersion[0] = game::kRecordingVersion + 1;
  std::vector<std::uint8_t> damaged = good;
  damaged[1] = 0xFF;  // the ticket's length
  const std::vector<std::uint8_t> oldForm{game::kOldRecordingVersion, 0x78, 0xDA, 0x03, 0x00};
  const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
  // A sound stored form that stops a frame before its game's end.
  game::Recording shorter = game::DecodeRecording(good);
  --shorter.frames;
  const std::vector<std::uint8_t> unfinished = game::EncodeRecording(shorter);
  const std::vector<std::uint8_t> empty;
  std::vector<std::uint8_t> huge = good;
  huge.resize(game::kMaxRecordingBytes + 1, 0);

  const struct {
    const char* name;
    const std::vector<std::uint8_t>* bytes;  // none: no such file
    const char* reason;
  } cases[] = {
      {"missing.gwr", nullptr, "cannot be opened"},
      {"empty.gwr", &empty, "empty"},
      {"other-version.gwr", &otherVersion, "version"},
      {"damaged.gwr", &damaged, "damaged"},
      {"cut.gwr", &cut, "damaged"},
      {"unfinished.gwr", &unfinished, "stops before the game ends"},
      {"old-form.gwr", &oldForm, "old form"},
      {"huge.gwr", &huge, "too large"},
  };
  for (const auto& c : cases) {
    const fs::path file = folder.Path() / c.name;
    if (c.bytes) Write(file, *c.bytes);
    try {
      game::ReadRecordingFile(file);
      ADD_FAILURE() << c.name << " was taken";
    } catch (const game::RecordingError& e) {
      const std::string says = e.what();
      EXPECT_TRUE(says.starts_with(file.string() + ": ")) << says;
      EXPECT_NE(says.find(c.reason), std::string::npos) << says;
    }
    // The player's box names the file and tells a missing one from a bad one.
    const std::string box = CannotWatchMessage(file);
    EXPECT_NE(box.find(file.string()), std::string::npos);
    EXPECT_EQ(box.find("Такого файла нет") != std::string::npos, c.bytes == nullptr) << c.name;
  }
  EXPECT_THROW(game::ReadRecordingFile(folder.Path()), game::RecordingError) << "a folder";
}

}  // namespace
}  // namespace gw::app
