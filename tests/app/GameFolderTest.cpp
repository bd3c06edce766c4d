#include "app/GameFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
  try {
    EnterGameFolder(f.program);
    FAIL() << "no pack, yet no error";
  } catch (const GameFolderError& e) {
    const std::string says = e.what();
    EXPECT_NE(says.find("Data/Data.pp"), std::string::npos) << says;
    EXPECT_NE(says.find(f.elsewhere.string()), std::string::npos) << says;
    EXPECT_NE(says.find(f.program.string()), std::string::npos) << says;
  }
  EXPECT_TRUE(fs::equivalent(fs::current_path(), f.elsewhere));
  EXPECT_TRUE(IsEmpty(f.elsewhere));
  EXPECT_TRUE(IsEmpty(f.program));
}

TEST(GameFolder, StartedInTheProgramsOwnFolderWithoutAPackNamesItOnce) {
  Folders f;
  fs::remove_all(f.program / "Data");
  fs::current_path(f.program);
  try {
    EnterGameFolder(f.program / "");  // as the system names it, with a trailing separator
    FAIL() << "no pack, yet no error";
  } catch (const GameFolderError& e) {
    EXPECT_EQ(std::string(e.what()), "the picture pack Data/Data.pp is not in " + fs::current_path().string());
  }
}

}  // namespace
}  // namespace gw::app
