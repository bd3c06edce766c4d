// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/DurableFile.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/Utf8Path.h"

namespace gw::store {

std::string CallName(const std::filesystem::path& path) { return platform::Utf8Name(path); }

namespace {

std::string Reason(const std::string& step, const std::filesystem::path& path) {
  return "cannot " + step + " " + path.string() + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes, FileCalls& calls) {
  while (!bytes.empty()) {
    const ssize_t written = calls.Write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Writes, flushes and closes the new file; on failure it is removed again. `kept` holds the permissions of the
// file it will replace, when there is one.
bool WriteNewFile(const std::filesystem::path& temp, std::span<const std::uint8_t> bytes,
                  const std::optional<mode_t>& kept, std::string& error, FileCalls& calls) {
  // Removed rather than truncated: a stale one may be read-only, or a link pointing elsewhere.
  const std::string tempName = CallName(temp);
  if (calls.Unlink(tempName.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR) {
    error = Reason("remove the stale", temp);
    return false;
  }
  // Made with the kept bits from the start, so a private file is never readable by others for a moment.
  const int fd = calls.Open(tempName.c_str(), FileCalls::kNewFile, kept.value_or(0666));
  if (fd < 0) {
    error = Reason("create", temp);
    return false;
  }
  // The umask may have cut bits the player gave the old file. Only a nicety: a folder that keeps no
  // permissions (a FAT stick) must not cost the save.
  if (kept) calls.SetPermissions(fd, *kept);
  bool ok = WriteAll(fd, bytes, calls);
  if (!ok) error = Reason("write", temp);
  if (ok && calls.Sync(fd) != 0) {
    ok = false;
    error = Reason("flush to disk", temp);
  }
  // A close can report a write that failed late (a full disk, a network folder).
  if (calls.Close(fd) != 0 && ok) {
    ok = false;
    error = Reason("close", temp);
  }
  if (!ok) calls.Unlink(tempName.c_str());
  return ok;
}

}  // namespace

bool ReplaceFileDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string& error,
                        FileCalls& calls) {
  std::filesystem::path temp = path;
  temp += ".new";
  mode_t mode = 0;
  std::optional<mode_t> kept;
  if (calls.PermissionsOf(CallName(path).c_str(), mode) == 0) kept = mode;
  if (!WriteNewFile(temp, bytes, kept, error, calls)) return false;
  if (calls.Rename(CallName(temp).c_str(), CallName(path).c_str()) != 0) {
    error = Reason("rename " + temp.string() + " over", path);
    calls.Unlink(CallName(temp).c_str());
    return false;
  }
  // The rename is only on the disk once the folder that holds the name is.
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  const int dir = calls.Open(CallName(folder).c_str(), FileCalls::kFolder, 0);
  if (dir < 0) {
    error = Reason("open the folder", folder);
    return false;
  }
  bool ok = calls.Sync(dir) == 0;
  if (!ok) error = Reason("flush to disk the folder", folder);
  if (calls.Close(dir) != 0 && ok) {
    ok = false;
    error = Reason("close the folder", folder);
  }
  return ok;
}

}  // namespace gw::store
