// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the player is told in a message box when the game cannot go on at its start. Everything the player
// reads is Russian; the technical reason goes to stderr as it stands.

#include <exception>
#include <filesystem>
#include <string>

namespace gw::app {

// Another copy of the game is already running on the high-score table in `tableFolder`.
std::string SecondCopyMessage(const std::filesystem::path& tableFolder);

// A recorded game given on the command line cannot be shown: the file is missing, damaged, too large, of
// another version or not a whole game.
std::string CannotWatchMessage(const std::filesystem::path& file);

// The game cannot run: the pack is missing or refused, the font or the window cannot be had, ...
std::string CannotRunMessage(const std::exception& reason);

}  // namespace gw::app
