// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the program file lies.

#include <filesystem>

namespace gw::platform::windows {

// The folder the program file is in; empty when the system cannot tell.
std::filesystem::path ProgramFolder();

}  // namespace gw::platform::windows
