// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GameFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include "app/BuildInfo.h"
#include "app/StartMessages.h"
#include "platform/PlayerFolder.h"
#include "store/ConfigPlace.h"
#include "support/Headless.h"

namespace gw::app {
namespace {

namespace fs = std::filesystem;

// A program folder with a pack beside an empty folder to start from, both inside a fresh temporary folder.
struct Folders {
  Folders() {
    fs::create_directories(program / "Data");
    std::ofstream(program / "Data" / "Data.pp") << "pack";
    fs::create_directories(elsewhere);
  }
  test::TempFolder root;
  fs::path program = root.Path() / "game";
  fs::path elsewhere = root.Path() / "repo";
  fs::path player = root.Path() / "home" / "GromWumbler";
};

// An installed game: the program alone in prefix/bin, the pack in the data folder beside it.
struct Installation {
  Installation() {
    fs::create_directories(program);
    fs::create_directories(data / "Data");
    std::ofstream(data / "Data" / "Data.pp") << "pack";
    fs::create_directories(elsewhere);
  }
  test::TempFolder root;
  fs::path program = root.Path() / "prefix" / "bin";
  fs::path data = (program / kDataFromProgram).lexically_normal();
  fs::path elsewhere = root.Path() / "start";
  fs::path player = root.Path() / "home" / ".local" / "share" / "GromWumbler";
};

bool IsEmpty(const fs::path& folder) { return fs::is_empty(folder); }

// What EnterGameFolder says when it refuses; empty when it does not.
std::string RefusalOf(const fs::path& programFolder, const fs::path& playerFolder = "/nowhere") {
  try {
    EnterGameFolder(programFolder, playerFolder);
  } catch (const GameFolderError& e) {
    return e.what();
  }
  return {};
}

// A stranger's folder holding a pack of its own: the game still enters the program's folder.
TEST(GameFolder, APackInTheFolderItIsStartedFromIsNotTheGames) {
  Folders f;
  fs::create_directories(f.elsewhere / "Data");
  std::ofstream(f.elsewhere / "Data" / "Data.pp") << "pack";
  fs::current_path(f.elsewhere);
  const GameFolder folder = EnterGameFolder(f.program, f.player);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), f.program));
  EXPECT_EQ(folder.configFile, fs::path("Config.cfg"));
  EXPECT_FALSE(folder.installed);
  EXPECT_FALSE(fs::exists(f.player));
  // Nothing written where it was started: the folder holds only the stranger's Data.
  EXPECT_EQ(std::distance(fs::directory_iterator(f.elsewhere), fs::directory_iterator()), 1);
}

TEST(GameFolder, WithoutAPackAnywhereNamesTheFoldersAndWritesNothing) {
  Folders f;
  fs::remove_all(f.program / "Data");
  fs::current_path(f.elsewhere);
  EXPECT_EQ(RefusalOf(f.program), "the picture pack Data/Data.pp is neither in the program's folder " +
                                       f.program.string() + " nor in the installed data folder " +
                                       (f.program / kDataFromProgram).lexically_normal().string());
  EXPECT_EQ(RefusalOf(""), "the picture pack Data/Data.pp cannot be found: the program cannot tell its own folder");
  EXPECT_TRUE(fs::equivalent(fs::current_path(), f.elsewhere));
  EXPECT_TRUE(IsEmpty(f.elsewhere));
  EXPECT_TRUE(IsEmpty(f.program));
}

TEST(GameFolder, StartedInTheProgramsOwnFolderWithoutAPackNamesItOnce) {
  Folders f;
  fs::remove_all(f.program / "Data");
  fs::current_path(f.program);
  // The program's folder as the system names it, with a trailing separator.
  EXPECT_EQ(RefusalOf(f.program / ""), "the picture pack Data/Data.pp is neither in the program's folder " +
                                           fs::current_path().string() + " nor in the installed data folder " +
                                           (f.program / kDataFromProgram).lexically_normal().string());
}

TEST(GameFolder, InstalledReadsTheDataFolderAndKeepsConfigInThePlayersOwnFolder) {
  Installation i;
  fs::current_path(i.elsewhere);
  const GameFolder folder = EnterGameFolder(i.program / "", i.player);
  EXPECT_TRUE(folder.installed);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), i.data));
  EXPECT_EQ(folder.configFile, i.player / "Config.cfg");
  // The player's folder is made, empty: Config.cfg itself comes with the settings' first save.
  EXPECT_TRUE(fs::is_directory(i.player));
  EXPECT_TRUE(IsEmpty(i.player));
  EXPECT_TRUE(IsEmpty(i.elsewhere));
  EXPECT_TRUE(IsEmpty(i.program));
}

TEST(GameFolder, APortableFolderComesBeforeTheInstalledOneAndAStrangersPackCountsForNeither) {
  Installation i;
  fs::create_directories(i.elsewhere / "Data");
  std::ofstream(i.elsewhere / "Data" / "Data.pp") << "pack";
  fs::current_path(i.elsewhere);
  EXPECT_TRUE(EnterGameFolder(i.program, i.player).installed);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), i.data));

  fs::create_directories(i.program / "Data");
  std::ofstream(i.program / "Data" / "Data.pp") << "pack";
  fs::current_path(i.elsewhere);
  EXPECT_FALSE(EnterGameFolder(i.program, i.player).installed);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), i.program));
}

TEST(GameFolder, StartedInsideTheInstalledDataFolderStaysTheInstalledGame) {
  Installation i;
  fs::current_path(i.data);
  const GameFolder folder = EnterGameFolder(i.program, i.player);
  EXPECT_TRUE(folder.installed);
  EXPECT_EQ(folder.configFile, i.player / "Config.cfg");
}

TEST(GameFolder, InstalledWithoutAPlayersFolderRefusesAndWritesNothing) {
  Installation i;
  fs::current_path(i.elsewhere);
#ifndef _WIN32
  EXPECT_EQ(RefusalOf(i.program, ""),
            "no folder for the settings and high scores: neither XDG_DATA_HOME nor HOME is set, and the password "
            "database names no home folder for this user");
#endif
  // Nothing is wrong with the installation: the player is told what is missing, not to reinstall.
  try {
    EnterGameFolder(i.program, "");
    ADD_FAILURE() << "entered without a player's folder";
  } catch (const NoPlayerFolderError& e) {
    const std::string told = CannotRunMessage(e);
    EXPECT_EQ(told.find("Переустановите"), std::string::npos) << told;
    EXPECT_NE(told.find("рекорд"), std::string::npos) << told;
  }
  EXPECT_TRUE(fs::equivalent(fs::current_path(), i.elsewhere));
  EXPECT_FALSE(fs::exists(i.root.Path() / "home"));
}

// ~/.local/share cannot be written (here: a file stands where the folder would go, which stops root too).
TEST(GameFolder, InstalledWhenThePlayersFolderCannotBeMadePlaysWithoutSaving) {
  Installation i;
  fs::create_directories(i.player.parent_path().parent_path());
  std::ofstream(i.player.parent_path()) << "not a folder";
  fs::current_path(i.elsewhere);
  const GameFolder folder = EnterGameFolder(i.program, i.player);
  EXPECT_TRUE(folder.installed);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), i.data));
  store::FileCalls calls;
  const store::ConfigPlace place = store::ChooseConfigPlace(folder.configFile, i.player, calls);
  EXPECT_FALSE(place.writable) << "the table screen must say the scores are not kept";
  EXPECT_TRUE(IsEmpty(i.elsewhere));
}

TEST(GameFolder, ThePlayersFolderFollowsXdgDataHomeElseHome) {
  const struct {
    const char* xdg;
    const char* home;
    fs::path expected;
  } cases[] = {
      {"/data/anna", "/home/anna", "/data/anna/GromWumbler"},
      {nullptr, "/home/anna", "/home/anna/.local/share/GromWumbler"},
      {"", "/home/anna", "/home/anna/.local/share/GromWumbler"},
      {"relative/data", "/home/anna", "/home/anna/.local/share/GromWumbler"},  // not absolute: ignored
      {"/data/anna", nullptr, "/data/anna/GromWumbler"},
      {nullptr, nullptr, ""},
      {nullptr, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlayerFolder(c.xdg, c.home), c.expected)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
}

#ifndef _WIN32
// Started with a bare environment (a service, `env -i`), the game still finds the user's home through the password
// database.
TEST(GameFolder, WithoutHomeOrXdgDataHomeThePlayersFolderIsUnderTheAccountsHome) {
  struct Saved {
    const char* name;
    std::optional<std::string> value;
  };
  std::vector<Saved> saved;
  for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
    const char* value = std::getenv(name);
    saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
    unsetenv(name);
  }
  const fs::path found = platform::PlayerFolder();
  for (const Saved& s : saved) {
    if (s.value) setenv(s.name, s.value->c_str(), 1);
  }
  const passwd* account = getpwuid(getuid());
  if (account && account->pw_dir && *account->pw_dir) {
    EXPECT_EQ(found, fs::path(account->pw_dir) / ".local" / "share" / "GromWumbler");
  } else {
    EXPECT_TRUE(found.empty()) << "a user the system does not know has no home: " << found;
  }
}
#endif

}  // namespace
}  // namespace gw::app
