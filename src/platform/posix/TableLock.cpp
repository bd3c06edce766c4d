// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/TableLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace gw::store {

TableLock::TableLock(const std::filesystem::path& folder) {
  // The folder itself is locked, not a file in it: nothing is written, so a read-only folder locks too.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) {
    held_ = fd;
    return;
  }
  heldByAnother_ = errno == EWOULDBLOCK;
  ::close(fd);
}

TableLock::~TableLock() {
  if (held_ >= 0) ::close(static_cast<int>(held_));
}

}  // namespace gw::store
