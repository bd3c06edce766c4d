// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One running copy per high-score table. Two copies saving one Config.cfg would each write their own table
// over the other's, so the folder that holds the file is locked for the whole run. The system drops the lock
// when the process ends in any way, a kill included, so a crash never leaves the game unable to start.

#include <cstdint>
#include <filesystem>

namespace gw::store {

class TableLock {
 public:
  // Takes the lock on `folder` at once, without waiting.
  explicit TableLock(const std::filesystem::path& folder);
  ~TableLock();
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

  // True when another running copy holds the folder. A folder that cannot be locked at all (missing, or on a
  // file system without locks) does not stop the game: it runs as it would have without the lock.
  bool HeldByAnother() const { return heldByAnother_; }

 private:
  std::intptr_t held_ = -1;  // what the system holds the lock by: a descriptor, or a handle
  bool heldByAnother_ = false;
};

}  // namespace gw::store
