// SPDX-License-Identifier: GPL-3.0-or-later
// Replays recorded games with the game core as the browser build compiles it (WebAssembly), run by node: for
// each file, "score level frames" on a line, for the test to set beside what every other build of the core says.
//   node gw_replay_check.js FILE...

#include <cstdio>
#include <exception>

#include "game/RecordingFile.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gw_replay_check FILE...\n");
    return 2;
  }
  try {
    for (int i = 1; i < argc; ++i) {
      const gw::game::WatchableGame game = gw::game::ReadRecordingFile(argv[i]);
      std::printf("%d %d %u\n", game.outcome.score, static_cast<int>(game.outcome.level), game.outcome.frames);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gw_replay_check: %s\n", e.what());
    return 1;
  }
  return 0;
}
