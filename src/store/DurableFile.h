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
  // The permission bits of the file a save replaces, so the new one keeps them (a player's 0600 stays private);
  // -1 where there is none, or where the system has no such bits to keep.
  virtual int PermissionsOf(const char* path, mode_t& mode);
  // fchmod(2): the new file gets exactly those bits, whatever the umask would have cut.
  virtual int SetPermissions(int fd, mode_t mode);
  // An existing file opened for reading only, never through a link at its name (-1 with errno ELOOP for one),
  // nor waiting on a pipe found there: the settings may lie in a folder others can write.
  static int OpenToRead(const char* path);
};

// A path as the calls take it.
std::string CallName(const std::filesystem::path& path);

// False with the failed step in `error` when any step fails; the old file then stays as it was, except when
// only the last step (flushing the folder) fails, after which the new file is in place but may not survive a
// power loss. A "<name>.new" left by an earlier crash is removed first. The new file keeps the old one's
// permissions; a file made for the first time gets the usual ones (0666 less the umask).
bool ReplaceFileDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string& error,
                        FileCalls& calls);

}  // namespace gw::store
