// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder where each player's own settings and high scores go when the game folder is not theirs.

#include <filesystem>

namespace gw::platform {

// Empty when the system names none.
std::filesystem::path PlayerFolder();

}  // namespace gw::platform
