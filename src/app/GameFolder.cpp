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

bool Same(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return !a.empty() && !b.empty() && fs::equivalent(a, b, ec);
}

void Enter(const fs::path& folder) {
  std::error_code ec;
  fs::current_path(folder, ec);
  if (ec) throw GameFolderError("cannot enter the game folder " + folder.string() + ": " + ec.message());
}

GameFolder Portable() { return {fs::path(store::kConfigFileName), false}; }

GameFolder Installed(const fs::path& data, const fs::path& playerFolder) {
  if (playerFolder.empty()) {
    throw GameFolderError("no folder for the settings and high scores: neither XDG_DATA_HOME nor HOME is set");
  }
  std::error_code ec;
  fs::create_directories(playerFolder, ec);
  if (ec) throw GameFolderError("cannot make the folder " + playerFolder.string() + ": " + ec.message());
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
  std::error_code ec;
  const fs::path current = fs::current_path(ec);
  const fs::path installedData =
      programFolder.empty() ? fs::path() : (programFolder / kDataFromProgram).lexically_normal();
  // Started inside the installed data folder, the game is still the installed one: that folder is shared.
  if (Same(current, installedData)) return Installed(installedData, playerFolder);
  if (!ec && HoldsPack(current)) return Portable();
  if (!programFolder.empty() && HoldsPack(programFolder)) {
    Enter(programFolder);
    return Portable();
  }
  if (!installedData.empty() && HoldsPack(installedData)) return Installed(installedData, playerFolder);

  const std::string pack = std::string("the picture pack ") + gfx::kPackPath;
  if (programFolder.empty()) throw GameFolderError(pack + " is not in " + current.string());
  const std::string installed = " nor in the installed data folder " + installedData.string();
  if (Same(programFolder, current)) throw GameFolderError(pack + " is neither in " + current.string() + installed);
  throw GameFolderError(pack + " is neither in " + current.string() + " nor in " + programFolder.string() +
                        installed);
}

}  // namespace gw::app
