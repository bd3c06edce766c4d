#include "app/GameFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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
};

bool IsEmpty(const fs::path& folder) { return fs::is_empty(folder); }

// What EnterGameFolder says when it refuses; empty when it does not.
std::string RefusalOf(const fs::path& programFolder) {
  try {
    EnterGameFolder(programFolder);
  } catch (const GameFolderError& e) {
    return e.what();
  }
  return {};
}

TEST(GameFolder, StaysWhereThePackIs) {
  Folders f;
  fs::create_directories(f.elsewhere / "Data");
  std::ofstream(f.elsewhere / "Data" / "Data.pp") << "pack";
  fs::current_path(f.elsewhere);
  EnterGameFolder(f.program);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), f.elsewhere));
}

TEST(GameFolder, StartedFromAnotherFolderEntersTheProgramsOwn) {
  Folders f;
  fs::current_path(f.elsewhere);
  EnterGameFolder(f.program);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), f.program));
  EXPECT_TRUE(IsEmpty(f.elsewhere));
}

TEST(GameFolder, WithoutAPackAnywhereNamesTheFoldersAndWritesNothing) {
  Folders f;
  fs::remove_all(f.program / "Data");
  fs::current_path(f.elsewhere);
  const std::string says = RefusalOf(f.program);
  EXPECT_NE(says.find("Data/Data.pp"), std::string::npos) << says;
  EXPECT_NE(says.find(f.elsewhere.string()), std::string::npos) << says;
  EXPECT_NE(says.find(f.program.string()), std::string::npos) << says;
  EXPECT_TRUE(fs::equivalent(fs::current_path(), f.elsewhere));
  EXPECT_TRUE(IsEmpty(f.elsewhere));
  EXPECT_TRUE(IsEmpty(f.program));
}

TEST(GameFolder, StartedInTheProgramsOwnFolderWithoutAPackNamesItOnce) {
  Folders f;
  fs::remove_all(f.program / "Data");
  fs::current_path(f.program);
  // The program's folder as the system names it, with a trailing separator.
  EXPECT_EQ(RefusalOf(f.program / ""), "the picture pack Data/Data.pp is not in " + fs::current_path().string());
}

}  // namespace
}  // namespace gw::app
