// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/TableLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace gw::store {

TableLock::TableLock(const std::filesystem::path& folder) {
  // The folder itself is locked, not a file in it: nothing is written, so a read-only folder locks too.
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  int result = 0;
  do {
    result = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) return;
  heldByAnother_ = errno == EWOULDBLOCK;
  ::close(fd_);
  fd_ = -1;
}

TableLock::~TableLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace gw::store
