// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game folder: where the picture pack and the songs live. The game runs with it as the current folder, so
// every relative path keeps its meaning. A portable game folder also holds Config.cfg; an installed game's data
// folder is shared and read-only, so there Config.cfg is kept in the player's own folder instead.

#include <filesystem>
#include <stdexcept>

namespace gw::app {

class GameFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The installed game has nowhere to keep the player's settings: the system names no folder of theirs. Nothing
// is wrong with the installation, so the player is told what is missing instead.
class NoPlayerFolderError : public GameFolderError {
 public:
  using GameFolderError::GameFolderError;
};

// The player's own folder of an installed game, under $XDG_DATA_HOME (a relative value does not count, as the
// XDG rules say), else under $HOME/.local/share; empty when neither is set. Either argument may be null.
std::filesystem::path PlayerFolder(const char* xdgDataHome, const char* home);

struct GameFolder {
  // Where Config.cfg is kept: the bare name (the current folder) in a portable game folder, the player's own
  // folder when the game runs from its installed data folder.
  std::filesystem::path configFile;
  bool installed = false;
};

// Makes the game folder the current folder: the program's own folder when it holds the picture pack (a
// portable game), else the installed data folder beside it (kDataFromProgram), which keeps Config.cfg in
// playerFolder, made here when missing (when it cannot be made, the game plays without saving). The folder the
// game was started from counts only when it is one of these. Throws GameFolderError naming the folders looked
// in when neither holds the pack, and NoPlayerFolderError when the player has no folder at all. Writes nothing
// else.
GameFolder EnterGameFolder(const std::filesystem::path& programFolder, const std::filesystem::path& playerFolder);

}  // namespace gw::app
