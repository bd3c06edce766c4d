// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "app/BuildInfo.h"

namespace gw::app {

namespace {

std::string Usage() {
  return std::string("Usage: ") + kProgramName + " [OPTION]\n" +
         "Grom Wumbler, a 2-D arcade game: Grom shoots his tongue to catch and eat the creatures flying by.\n"
         "\n"
         "  -h, --help        show this help and exit\n"
         "  -v, --version     show the version and exit\n"
         "  -w, --watch FILE  show the recorded game in FILE as it was played, with its sound, and exit at its\n"
         "                    end (Escape ends it sooner); the high scores and settings are not changed\n"
         "\n"
         "Without options the game starts. It reads its pictures (Data/Data.pp) and songs (sound/1.xm,\n"
         "sound/2.xm) from the program's own folder when that holds the pictures (a portable game folder),\n"
         "else from the installed data folder (" +
         kDataFromProgram + " beside the program's folder);\nnever from the folder it is started in.\n"
         "Settings and high scores are kept in Config.cfg: in the portable game folder itself, or for an\n"
         "installed game in the player's own folder, $XDG_DATA_HOME/GromWumbler (~/.local/share/GromWumbler).\n"
         "A portable game folder that cannot be written keeps it in the player's own folder too, starting from\n"
         "the game folder's table; when that cannot be written either, nothing is saved and the high-score\n"
         "screen says so.\n"
         "A damaged Config.cfg is moved aside as Config.cfg.damaged (or Config.cfg.damaged.N) and the table\n"
         "starts over; one that cannot be moved is left as it is, and the table is saved in Config.cfg.saved\n"
         "beside it instead.\n"
         "When the player quits, the http or https address in the game folder's Play.url, if there is one, is\n"
         "opened in the browser.\n";
}

CommandLineAnswer Refused(const std::string& why) {
  return {false, 2, "",
          std::string(kProgramName) + ": " + why + "\nTry '" + kProgramName + " --help' for more information.\n", ""};
}

}  // namespace

CommandLineAnswer ReadCommandLine(std::span<const std::string_view> args) {
  if (args.empty()) return {};
  const std::string_view first = args.front();
  if (first == "-w" || first == "--watch" || first.starts_with("--watch=")) {
    const bool joined = first.starts_with("--watch=");
    if (!joined && args.size() < 2) return Refused("option '" + std::string(first) + "' needs a FILE");
    const std::string_view file = joined ? first.substr(first.find('=') + 1) : args[1];
    if (file.empty()) return Refused("option '--watch' needs a FILE");
    if (args.size() > (joined ? 1u : 2u)) {
      return Refused("unexpected argument '" + std::string(args[joined ? 1 : 2]) + "'");
    }
    CommandLineAnswer watch;
    watch.watch = file;
    return watch;
  }
  if (first == "-h" || first == "--help") return {false, 0, Usage(), "", ""};
  if (first == "-v" || first == "--version") {
    return {false, 0, std::string(kProgramName) + " (Grom Wumbler) " + kVersion + "\n", "", ""};
  }
  const std::string what = first.starts_with('-') ? "unknown option '" : "unexpected argument '";
  return Refused(what + std::string(first) + "'");
}

}  // namespace gw::app
