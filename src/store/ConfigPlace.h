// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the settings and the high-score table are read and saved. A portable game folder keeps Config.cfg
// beside the pictures; when that folder cannot be written (a CD, a system folder, a shared install) the
// player's own folder keeps it, starting from the game folder's file. A damaged file that cannot be moved
// aside is never written over: the table then lives beside it under another name.

#include <filesystem>
#include <optional>
#include <string>

#include "store/ConfigFile.h"
#include "store/DurableFile.h"

namespace gw::store {

struct ConfigPlace {
  std::filesystem::path file{kConfigFileName};  // read at start and written by every save
  std::filesystem::path startFrom;              // read instead while `file` does not exist yet; empty for none
  bool writable = true;                         // false when no folder the file could go to can be written
};

// `gameFile` is Config.cfg where the game keeps it (the game folder's, or the installed game's in the
// player's folder); `playerFolder` is where to go when that folder cannot be written (made here when
// missing; empty for nowhere).
ConfigPlace ChooseConfigPlace(const std::filesystem::path& gameFile, const std::filesystem::path& playerFolder,
                              FileCalls& calls);

// The name the table is kept under while `file` is damaged and cannot be moved aside.
std::filesystem::path KeptInstead(const std::filesystem::path& file);

struct ConfigStart {
  std::optional<ConfigData> data;  // empty: start with the initial settings and the default table
  std::filesystem::path saveTo;    // where every save of this run goes
  bool saveNow = false;            // saveTo does not hold this table yet: write it at once
  std::string report;              // what the player should be told on stderr; empty when all is well
  // The file was damaged: where it is kept now (moved aside, or left in its place when it could not be).
  std::filesystem::path damagedKept;
};

// The settings a run would start with, read without making, moving or writing anything (for a run that shows a
// recorded game and must leave the player's files as they are): the player's own file first where the game
// folder cannot be written, then the game folder's; the initial settings when neither can be read.
TOptions ReadSettingsOnly(const std::filesystem::path& gameFile, const std::filesystem::path& playerFolder,
                          FileCalls& calls);

// Reads the table the game starts with. A damaged file is moved aside and kept; one that cannot be moved is
// left as it is and the saves go to KeptInstead(file), which is also read on the next start.
ConfigStart LoadConfig(const ConfigPlace& place);

}  // namespace gw::store
