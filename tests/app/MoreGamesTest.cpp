// SPDX-License-Identifier: GPL-3.0-or-later
// The main menu's "more games" board opens the page the build ships in moregames.url, through the real shell
// service, from a portable game folder and from an installed one.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "app/BuildInfo.h"
#include "app/GameFolder.h"
#include "platform/sdl/SdlServices.h"
#include "support/Headless.h"
#include "support/TestPack.h"

namespace gw::app {
namespace {

namespace fs = std::filesystem;
using namespace platform::vk;

// The desktop's opener, replaced for the test: an xdg-open first on the PATH that writes what it was handed into
// a pipe. Reading the pipe to its end waits exactly until every opener started has finished, and no longer.
class RecordingOpener {
 public:
  explicit RecordingOpener(const fs::path& folder) {
    if (pipe(fds_) != 0) throw std::runtime_error("no pipe");
    fcntl(fds_[0], F_SETFD, FD_CLOEXEC);
    fs::create_directories(folder);
    std::ofstream(folder / "xdg-open") << "#!/bin/bash\nprintf '%s\\n' \"$*\" >&" << fds_[1] << "\n";
    fs::permissions(folder / "xdg-open", fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    previousPath_ = path ? path : "";
    setenv("PATH", (folder.string() + ":" + previousPath_).c_str(), 1);
  }
  ~RecordingOpener() {
    setenv("PATH", previousPath_.c_str(), 1);
    if (fds_[1] >= 0) close(fds_[1]);
    close(fds_[0]);
  }
  RecordingOpener(const RecordingOpener&) = delete;
  RecordingOpener& operator=(const RecordingOpener&) = delete;

  // Every address opened so far, one a line.
  std::string Calls() {
    close(fds_[1]);
    fds_[1] = -1;
    std::string calls;
    char buffer[256];
    for (ssize_t n; (n = read(fds_[0], buffer, sizeof buffer)) > 0;) calls.append(buffer, static_cast<std::size_t>(n));
    return calls;
  }

 private:
  int fds_[2] = {-1, -1};
  std::string previousPath_;
};

TEST(MoreGamesBoard, OpensTheShippedAddressFromEitherGameFolder) {
  struct Layout {
    const char* name;
    fs::path programFromRoot;
    fs::path dataFromProgram;
  };
  const Layout layouts[] = {
      {"portable", "game", "."},
      {"installed", "prefix/bin", kDataFromProgram},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    test::TempFolder root;
    const fs::path program = root.Path() / layout.programFromRoot;
    const fs::path data = (program / layout.dataFromProgram).lexically_normal();
    fs::create_directories(data / "Data");
    fs::create_symlink(test::StandardTestPack(), data / "Data" / "Data.pp");
    // The shortcut exactly as the build lays it into the game folder (and installs it from there).
    fs::copy_file(fs::path(GW_GAME_DIR) / "moregames.url", data / "moregames.url");
    fs::create_directories(program);

    const GameFolder folder = EnterGameFolder(program, root.Path() / "player");
    EXPECT_EQ(folder.installed, layout.dataFromProgram != ".");
    RecordingOpener opener(root.Path() / "opener");
    platform::sdl::SdlShell shell;
    platform::sdl::SdlImageDecoder decoder;
    test::FakeClock clock;
    test::FakeWindow window;
    test::RecordingSound sound;
    Program state;
    state.ConfigFile = folder.configFile;
    MainForm form({clock, window, shell, decoder, sound, test::TestFont()}, state);
    state.ScreenState = screen::kMenu;
    for (std::uint16_t key : {kDown, kDown, kDown, kDown, kReturn}) form.FormKeyDown(key, false);

    EXPECT_EQ(opener.Calls(), std::string(GW_MOREGAMES_URL) + "\n");
  }
}

}  // namespace
}  // namespace gw::app
