// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/DurableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gw::store {

const int FileCalls::kNewFile = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
const int FileCalls::kFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
const int FileCalls::kWritableFolder = W_OK | X_OK;

int FileCalls::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileCalls::Write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int FileCalls::Sync(int fd) { return ::fsync(fd); }
int FileCalls::Close(int fd) { return ::close(fd); }
int FileCalls::Rename(const char* from, const char* to) { return ::rename(from, to); }
int FileCalls::Unlink(const char* path) { return ::unlink(path); }
int FileCalls::Access(const char* path, int mode) { return ::access(path, mode); }
int FileCalls::PermissionsOf(const char* path, mode_t& mode) {
  struct stat status {};
  if (::stat(path, &status) != 0) return -1;
  mode = status.st_mode & 0777;
  return 0;
}
int FileCalls::SetPermissions(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileCalls::OpenToRead(const char* path) {
  return ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

}  // namespace gw::store
