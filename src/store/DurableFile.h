// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replacing a file so that a crash or a power loss at any moment leaves either the old file or the new one
// whole: the new bytes go to "<name>.new", are flushed to the disk and closed, renamed over the old file,
// and then the folder itself is flushed so the rename is on the disk too.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include <sys/types.h>

namespace gw::store {

// The system calls a replacement makes, with POSIX meanings on every system (names in UTF-8); a test overrides
// one to make it fail.
class FileCalls {
 public:
  // Open's flags for a new file that must not exist yet, written only, and for a folder, to flush it.
  static const int kNewFile;
  static const int kFolder;
  // Access's question: may files be made, renamed and removed in this folder?
  static const int kWritableFolder;

  virtual ~FileCalls() = default;
  virtual int Open(const char* path, int flags, mode_t mode);
  virtual ssize_t Write(int fd, const void* data, std::size_t size);
  virtual int Sync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const char* from, const char* to);
  virtual int Unlink(const char* path);
  // access(2): whether a folder may be written, asked before choosing where to save.
  virtual int Access(const char* path, int mode);
  // An existing file opened for reading only, never through a link at its name (-1 with errno ELOOP for one),
  // nor waiting on a pipe found there: the settings may lie in a folder others can write.
  static int OpenToRead(const char* path);
};

// False with the failed step in `error` when any step fails; the old file then stays as it was, except when
// only the last step (flushing the folder) fails, after which the new file is in place but may not survive a
// power loss. A "<name>.new" left by an earlier crash is removed first.
// A path as the calls take it.
std::string CallName(const std::filesystem::path& path);

bool ReplaceFileDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string& error,
                        FileCalls& calls);

}  // namespace gw::store
