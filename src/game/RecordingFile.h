// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A recorded game kept in a file (the stored form, as the score server keeps it), read for watching: the file is
// read up to the stored form's bound only, decoded, and played through once without drawing, so that a file which
// is missing, damaged, too large, of another version or not a whole game is refused before anything is shown.

#include <filesystem>

#include "game/Recording.h"
#include "game/Replay.h"

namespace gw::game {

struct WatchableGame {
  Recording recording;
  ReplayOutcome outcome;  // how the game ends
};

// Throws RecordingError saying what is wrong with the file, its path included.
WatchableGame ReadRecordingFile(const std::filesystem::path& path);

}  // namespace gw::game
