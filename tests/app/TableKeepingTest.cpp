// SPDX-License-Identifier: GPL-3.0-or-later
// The high-score table is never lost: not to a second copy of the game, not to a folder that cannot be
// written, and a damaged file that cannot be moved aside is never written over.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Draw.h"
#include "net/ServerAddress.h"
#include "store/ConfigFile.h"
#include "store/ConfigPlace.h"
#include "store/TableLock.h"
#include "support/Headless.h"

namespace gw::app {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using namespace platform::vk;

Bytes FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Folders the system refuses to write, whoever runs the test (root may write anywhere else).
class ReadOnlyFolders final : public store::FileCalls {
 public:
  explicit ReadOnlyFolders(std::vector<fs::path> folders) : folders_(std::move(folders)) {}
  int Access(const char* path, int mode) override {
    for (const fs::path& f : folders_) {
      std::error_code ec;
      if (fs::equivalent(path, f, ec)) {
        errno = EROFS;
        return -1;
      }
    }
    return store::FileCalls::Access(path, mode);
  }

 private:
  std::vector<fs::path> folders_;
};

// One start of the game in the folder of `game`, with the table kept where `place` says.
struct GameRun {
  GameRun(test::HeadlessGame& game, const store::ConfigPlace& place) : env(game) {
    program.Config = place;
    form = std::make_unique<MainForm>(
        Services{env.clock, env.window, env.shell, *env.decoder, env.sound, test::TestFont()}, program);
    program.ScreenState = screen::kMenu;
  }
  // A finished game's score entered under a one-letter name, as the name-entry screen does.
  void EnterScore(char letter, std::int32_t score) {
    program.ScreenState = screen::kMenu;
    program.Controls.MainMenu->ItemIndex = 0;
    form->FormKeyDown(kReturn, false);  // a new game
    ASSERT_TRUE(program.Game);
    program.Game->Score = score;
    program.ScreenState = screen::kNameEntry;
    form->FormKeyDown(Letter(letter), false);
    form->FormKeyDown(kReturn, false);
    LeaveTableScreen();
  }
  // The quit question answered "yes" saves.
  void Quit() { form->SaveOptions(); }
  // Red pixels in the table screen's right half, where the notice goes (light red on its own note, dark red on
  // the picture).
  int RedOnTableScreen() {
    program.ScreenState = screen::kHiScores;
    return RedOnThisFrame();
  }
  int RedOnThisFrame() {
    env.clock.tick += 16;
    form->RunFrame();
    int red = 0;
    for (int y = 156; y < 480; ++y)
      for (int x = 500; x < 800; ++x) {
        const gfx::Pixel p = env.window.lastFrame[static_cast<std::size_t>(y * 800 + x)];
        red += p == gfx::kRed || p == kTableWarningColour;
      }
    return red;
  }
  // One frame of the main menu: the table screen has been left.
  void LeaveTableScreen() {
    program.ScreenState = screen::kMenu;
    env.clock.tick += 16;
    form->RunFrame();
  }
  bool Holds(const std::string& name, std::int32_t score) const {
    for (const auto& e : program.HiScores)
      if (e.Name == name && e.Score == score) return true;
    return false;
  }

  test::HeadlessGame& env;
  Program program;
  std::unique_ptr<MainForm> form;
};

store::ConfigPlace Here() { return {}; }

TEST(TwoCopies, TheSecondIsRefusedWhileTheFirstRunsAndEveryEntryIsKept) {
  test::HeadlessGame env;
  const Bytes before = FileBytes("Config.cfg");
  auto lockA = std::make_unique<store::TableLock>(".");
  GameRun a(env, Here());
  // B is started from the same folder: it must not run, so it cannot save its stale table later.
  EXPECT_TRUE(store::TableLock(".").HeldByAnother());
  EXPECT_EQ(FileBytes("Config.cfg"), before);
  a.EnterScore('A', 5000);
  a.Quit();
  lockA.reset();

  // Now B starts: it sees A's entry, adds its own, and a third start has both.
  const store::TableLock lockB(".");
  ASSERT_FALSE(lockB.HeldByAnother());
  GameRun b(env, Here());
  const std::string nameA = "\xD4";  // the Russian letter on A's key
  EXPECT_TRUE(b.Holds(nameA, 5000));
  b.EnterScore('B', 4000);
  b.Quit();
  GameRun c(env, Here());
  EXPECT_TRUE(c.Holds(nameA, 5000));
  EXPECT_TRUE(c.Holds("\xC8", 4000));
}

TEST(ReadOnlyGameFolder, SavesGoToThePlayersFolderStartingFromTheGameFoldersTable) {
  test::HeadlessGame env;
  store::TOptions options = store::InitialOptions();
  options.Music = false;
  store::HiScoreTable table;
  store::ResetHiScores(table);
  table[0] = {"X", 7777};
  WriteBytes("Config.cfg", store::EncodeConfig(options, table));
  const Bytes gameFile = FileBytes("Config.cfg");
  const fs::path player = env.folder.Path() / "home" / "GromWumbler";
  ReadOnlyFolders calls({env.folder.Path()});

  const store::ConfigPlace place = store::ChooseConfigPlace("Config.cfg", player, calls);
  EXPECT_EQ(place.file, player / "Config.cfg");
  ::testing::internal::CaptureStderr();
  GameRun first(env, place);
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), ::testing::HasSubstr((player / "Config.cfg").string()));
  EXPECT_TRUE(first.Holds("X", 7777));
  EXPECT_FALSE(first.program.Options.Music);
  EXPECT_EQ(FileBytes(player / "Config.cfg"), gameFile) << "the player's file starts as the game folder's";
  first.EnterScore('A', 5000);
  first.Quit();
  EXPECT_EQ(FileBytes("Config.cfg"), gameFile) << "the read-only folder was written";
  EXPECT_EQ(first.RedOnTableScreen(), 0) << "saves work: nothing to tell";

  // The next start reads the player's file, not the game folder's.
  GameRun next(env, store::ChooseConfigPlace("Config.cfg", player, calls));
  EXPECT_TRUE(next.Holds("\xD4", 5000));
}

TEST(ReadOnlyGameFolder, WhenNothingCanBeSavedTheTableScreenSaysSoAndTheTableStays) {
  test::HeadlessGame env;
  const Bytes gameFile = FileBytes("Config.cfg");
  ReadOnlyFolders calls({env.folder.Path()});
  // No player's folder either (no HOME): nowhere to save.
  const store::ConfigPlace place = store::ChooseConfigPlace("Config.cfg", {}, calls);
  EXPECT_FALSE(place.writable);
  // The save itself fails too, as in a read-only folder.
  fs::create_directory("Config.cfg.new");
  GameRun run(env, place);
  EXPECT_GT(run.RedOnTableScreen(), 50);
  ::testing::internal::CaptureStderr();
  run.EnterScore('A', 5000);
  run.Quit();
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), ::testing::HasSubstr("not saved"));
  EXPECT_TRUE(run.Holds("\xD4", 5000)) << "the entry of this run is lost at once";
  EXPECT_GT(run.RedOnTableScreen(), 50);
  EXPECT_EQ(FileBytes("Config.cfg"), gameFile);
}

TEST(DamagedFile, OneThatCannotBeMovedAsideIsNeverWrittenOver) {
  test::HeadlessGame env;
  const Bytes damaged = {0, 1, 1, 200, 7};
  WriteBytes("Config.cfg", damaged);
  // Every name it could be moved to is taken.
  WriteBytes("Config.cfg.damaged", {});
  for (int n = 1; n < 1000; ++n) WriteBytes("Config.cfg.damaged." + std::to_string(n), {});

  ::testing::internal::CaptureStderr();
  GameRun first(env, Here());
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(said, ::testing::HasSubstr("left as it is"));
  EXPECT_THAT(said, ::testing::HasSubstr("Config.cfg.saved"));
  EXPECT_EQ(first.program.HiScores[0].Score, 1000);
  first.EnterScore('A', 5000);
  first.Quit();
  EXPECT_EQ(FileBytes("Config.cfg"), damaged);
  EXPECT_GT(first.RedOnTableScreen(), 50) << "the table started over without a word";
  EXPECT_GT(first.RedOnTableScreen(), 50) << "the notice went before the player left the screen";
  first.LeaveTableScreen();
  EXPECT_EQ(first.RedOnTableScreen(), 0) << "told once is enough: the saves work";

  // The next start finds the table where it was saved, and still leaves the damaged file alone.
  GameRun next(env, Here());
  EXPECT_TRUE(next.Holds("\xD4", 5000));
  next.Quit();
  EXPECT_EQ(FileBytes("Config.cfg"), damaged);

  // Once the damaged file can be moved aside, the kept table comes back under the usual name.
  fs::remove("Config.cfg.damaged");
  GameRun moved(env, Here());
  EXPECT_TRUE(moved.Holds("\xD4", 5000));
  EXPECT_EQ(FileBytes("Config.cfg.damaged"), damaged);
  store::ConfigData data;
  std::string error;
  ASSERT_EQ(store::ReadConfigFile("Config.cfg", data, error), store::LoadStatus::Loaded);
  EXPECT_EQ(data.hiScores[0].Score, 5000);
}

// In a folder nothing can be written to, neither the damaged file's move nor the table's other name works: the
// notice and the start-up message must not promise a file that is never made.
TEST(DamagedFile, InAFolderThatCannotBeWrittenTheNoticeSaysTheScoresAreNotKept) {
  test::HeadlessGame env;
  const Bytes damaged = {0, 1, 1, 200, 7};
  WriteBytes("Config.cfg", damaged);
  WriteBytes("Config.cfg.damaged", {});
  for (int n = 1; n < 1000; ++n) WriteBytes("Config.cfg.damaged." + std::to_string(n), {});
  fs::create_directory("Config.cfg.saved.new");  // the table's other name cannot be written either
  ReadOnlyFolders calls({env.folder.Path()});
  const store::ConfigPlace place = store::ChooseConfigPlace("Config.cfg", {}, calls);
  ASSERT_FALSE(place.writable);

  ::testing::internal::CaptureStderr();
  GameRun run(env, place);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(said, ::testing::HasSubstr("left as it is"));
  EXPECT_THAT(said, ::testing::HasSubstr("not kept"));
  EXPECT_FALSE(fs::exists("Config.cfg.saved"));
  EXPECT_THAT(DamagedFileNotice(run.program),
              ::testing::ElementsAre("Файл рекордов испорчен!", "Он оставлен как есть,", "рекорды не сохраняются."));
  EXPECT_GT(run.RedOnTableScreen(), 50);
  EXPECT_EQ(FileBytes("Config.cfg"), damaged);

  // Where the other name can be written, the notice names it.
  fs::remove("Config.cfg.saved.new");
  GameRun writable(env, Here());
  EXPECT_TRUE(fs::exists("Config.cfg.saved"));
  EXPECT_THAT(DamagedFileNotice(writable.program), ::testing::Contains("Config.cfg.saved"));
  EXPECT_THAT(DamagedFileNotice(writable.program), ::testing::Not(::testing::Contains("рекорды не сохраняются.")));
}

#ifndef _WIN32  // the environment is set the POSIX way
// With no score server, nothing else tells the player the new score went nowhere but this computer: the table
// screen shown right after the name says so, and a later visit does not.
TEST(NoScoreServer, TheTableAfterANewScoreSaysItIsKeptHereOnlyOnce) {
  const char* before = std::getenv(net::kScoreServerVariable);
  const std::string saved = before ? before : "";
  setenv(net::kScoreServerVariable, "", 1);  // none, whatever the build's own
  {
    test::HeadlessGame env;
    GameRun run(env, Here());
    EXPECT_EQ(run.RedOnTableScreen(), 0) << "nothing to tell before a score";
    run.LeaveTableScreen();
    run.program.Controls.MainMenu->ItemIndex = 0;
    run.form->FormKeyDown(kReturn, false);  // a new game
    ASSERT_TRUE(run.program.Game);
    run.program.Game->Score = 5000;
    run.program.ScreenState = screen::kNameEntry;
    run.form->FormKeyDown(Letter('A'), false);
    run.form->FormKeyDown(kReturn, false);
    ASSERT_EQ(run.program.ScreenState, screen::kHiScores);
    EXPECT_GT(run.RedOnThisFrame(), 50) << "the first showing after the score";
    EXPECT_GT(run.RedOnThisFrame(), 50) << "gone before the player left the screen";
    run.LeaveTableScreen();
    EXPECT_EQ(run.RedOnTableScreen(), 0) << "told again on a later visit";
  }
  if (before) {
    setenv(net::kScoreServerVariable, saved.c_str(), 1);
  } else {
    unsetenv(net::kScoreServerVariable);
  }
}
#endif

// A Config.cfg that is a link, in a folder others can write, would hand the game any file the player can
// read, and the next save would copy it out for all to see.
TEST(LinkedConfig, IsMovedAsideAsALinkAndItsTargetIsNeitherReadNorCopied) {
  test::HeadlessGame env;
  store::HiScoreTable secretTable;
  store::ResetHiScores(secretTable);
  secretTable[0] = {"SECRET", 777777};
  fs::create_directory("private");
  const fs::path secret = fs::absolute("private/file");
  const Bytes secretBytes = store::EncodeConfig(store::InitialOptions(), secretTable);
  WriteBytes(secret, secretBytes);
  fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
  fs::remove("Config.cfg");
  std::error_code linkError;
  fs::create_symlink(secret, "Config.cfg", linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links on this system: " << linkError.message();

  ::testing::internal::CaptureStderr();
  GameRun run(env, Here());
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), ::testing::HasSubstr("symbolic link"));
  EXPECT_EQ(run.program.HiScores[0].Score, 1000) << "the link's target was read as the table";
  ASSERT_TRUE(fs::is_symlink("Config.cfg.damaged")) << "the link itself is what is kept aside";
  EXPECT_EQ(fs::read_symlink("Config.cfg.damaged"), secret);
  EXPECT_GT(run.RedOnTableScreen(), 50);

  run.EnterScore('A', 5000);
  run.Quit();
  EXPECT_FALSE(fs::is_symlink("Config.cfg"));
  EXPECT_EQ(FileBytes(secret), secretBytes);
  const Bytes saved = FileBytes("Config.cfg");
  Bytes secretName;
  store::WriteCfgString(secretName, "SECRET");
  EXPECT_EQ(std::search(saved.begin(), saved.end(), secretName.begin(), secretName.end()), saved.end())
      << "the target's entries were copied";
}

}  // namespace
}  // namespace gw::app
