#pragma once
// The game folder: where the picture pack, the songs and Config.cfg live. The game runs with it as the
// current folder, so every relative path keeps its meaning.

#include <filesystem>
#include <stdexcept>

namespace gw::app {

class GameFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Makes the game folder the current folder: the current folder when it holds the picture pack, else the
// program's own folder when that does. Throws GameFolderError naming the folders looked in when neither
// does. Writes nothing.
void EnterGameFolder(const std::filesystem::path& programFolder);

}  // namespace gw::app
