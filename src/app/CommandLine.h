// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's few options: --help and --version answer and end the program; without options the game runs
// exactly as it always has.

#include <span>
#include <string>
#include <string_view>

namespace gw::app {

struct CommandLineAnswer {
  bool runGame = true;  // false: print the texts and end with exitCode
  int exitCode = 0;
  std::string out;  // for stdout
  std::string err;  // for stderr
};

// args are the arguments after the program's name.
CommandLineAnswer ReadCommandLine(std::span<const std::string_view> args);

}  // namespace gw::app
