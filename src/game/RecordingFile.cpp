// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/RecordingFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace gw::game {

WatchableGame ReadRecordingFile(const std::filesystem::path& path) {
  const std::string named = path.string() + ": ";
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw RecordingError(named + "is a folder, not a recorded game");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RecordingError(named + "cannot be opened (" + std::strerror(errno) + ")");
  // Read one byte past the bound and no further: a device or a huge file costs no more than a real recording.
  std::vector<std::uint8_t> stored(kMaxRecordingBytes + 1);
  in.read(reinterpret_cast<char*>(stored.data()), static_cast<std::streamsize>(stored.size()));
  if (in.bad()) throw RecordingError(named + "cannot be read");
  stored.resize(static_cast<std::size_t>(in.gcount()));
  try {
    WatchableGame game{DecodeRecording(stored), {}};
    game.outcome = ReplayGame(game.recording);
    return game;
  } catch (const RecordingError& e) {
    throw RecordingError(named + e.what());
  }
}

}  // namespace gw::game
