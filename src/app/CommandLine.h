// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's few options: --help and --version answer and end the program; --watch FILE shows a recorded
// game instead of the game; without options the game runs exactly as it always has.

#include <span>
#include <string>
#include <string_view>

namespace gw::app {

struct CommandLineAnswer {
  bool runGame = true;  // false: print the texts and end with exitCode
  int exitCode = 0;
  std::string out;  // for stdout
  std::string err;  // for stderr
  std::string watch;  // the recorded game to show, when the game is not to be played
};

// args are the arguments after the program's name.
CommandLineAnswer ReadCommandLine(std::span<const std::string_view> args);

}  // namespace gw::app
