// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GameFolder.h"

#include <string>
#include <system_error>

#include "app/BuildInfo.h"
#include "gfx/ImagePack.h"
#include "store/ConfigFile.h"

namespace gw::app {

namespace fs = std::filesystem;

namespace {

bool HoldsPack(const fs::path& folder) {
  std::error_code ec;
  return fs::is_regular_file(folder / gfx::kPackPath, ec);
}

void Enter(const fs::path& folder) {
  std::error_code ec;
  fs::current_path(folder, ec);
  if (ec) throw GameFolderError("cannot enter the game folder " + folder.string() + ": " + ec.message());
}

GameFolder Portable() { return {fs::path(store::kConfigFileName), false}; }

GameFolder Installed(const fs::path& data, const fs::path& playerFolder) {
  if (playerFolder.empty()) {
#ifdef _WIN32
    throw NoPlayerFolderError("no folder for the settings and high scores: Windows names no application data folder");
#else
    throw NoPlayerFolderError("no folder for the settings and high scores: neither XDG_DATA_HOME nor HOME is set, "
                              "and the password database names no home folder for this user");
#endif
  }
  // A folder that cannot be made is no reason not to play: nothing can be saved then, and the table screen
  // says so.
  std::error_code ec;
  fs::create_directories(playerFolder, ec);
  Enter(data);
  return {playerFolder / store::kConfigFileName, true};
}

}  // namespace

fs::path PlayerFolder(const char* xdgDataHome, const char* home) {
  if (xdgDataHome && fs::path(xdgDataHome).is_absolute()) return fs::path(xdgDataHome) / "GromWumbler";
  if (home && *home) return fs::path(home) / ".local" / "share" / "GromWumbler";
  return {};
}

GameFolder EnterGameFolder(const fs::path& programFolder, const fs::path& playerFolder) {
  // The folder the game is started from may be anyone's: a pack, a Config.cfg or documents lying there are
  // never the game's own unless that folder is the program's.
  const std::string pack = std::string("the picture pack ") + gfx::kPackPath;
  if (programFolder.empty()) throw GameFolderError(pack + " cannot be found: the program cannot tell its own folder");
  if (HoldsPack(programFolder)) {
    Enter(programFolder);
    return Portable();
  }
  const fs::path installedData = (programFolder / kDataFromProgram).lexically_normal();
  if (HoldsPack(installedData)) return Installed(installedData, playerFolder);
  const fs::path own = programFolder.has_filename() ? programFolder : programFolder.parent_path();
  throw GameFolderError(pack + " is neither in the program's folder " + own.string() +
                        " nor in the installed data folder " + installedData.string());
}

}  // namespace gw::app
