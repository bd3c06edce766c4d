// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps Config.cfg in the browser's own storage. The file lives in a folder that the page fills from IndexedDB
// before the game starts; each save replaces the file with a new one, so a new file in the folder is a save, and
// the folder is written back to IndexedDB at once.

#include <sys/types.h>

#include <filesystem>

namespace gw::platform::web {

class SaveSync {
 public:
  explicit SaveSync(std::filesystem::path file) : file_(std::move(file)) { saved_ = CurrentFile(); }
  // Called after each turn of the page's loop.
  void AfterTurn();

 private:
  ino_t CurrentFile() const;

  std::filesystem::path file_;
  ino_t saved_ = 0;
};

}  // namespace gw::platform::web
