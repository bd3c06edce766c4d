// SPDX-License-Identifier: GPL-3.0-or-later
// The calls of a durable replacement with their POSIX meanings, made of Windows' wide-character file functions.
#include "store/DurableFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/Utf8Path.h"

namespace gw::store {

namespace {

// A flag of our own, outside the C library's: open the folder itself.
constexpr int kFolderBit = 0x40000000;

std::wstring Wide(const char* path) { return platform::PathFromUtf8(path).wstring(); }

void SetErrno(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: errno = EACCES; break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
    case ERROR_WRITE_PROTECT: errno = EROFS; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
    default: errno = EIO; break;
  }
}

bool IsFolder(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// Windows handles are not inherited unless asked for, _O_NOINHERIT makes sure of it.
const int FileCalls::kNewFile = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT;
const int FileCalls::kFolder = _O_RDONLY | kFolderBit;
const int FileCalls::kWritableFolder = 2;

int FileCalls::Open(const char* path, int flags, mode_t mode) {
  if ((flags & kFolderBit) == 0) return ::_wopen(Wide(path).c_str(), flags, (mode & 0222) ? _S_IREAD | _S_IWRITE : _S_IREAD);
  const HANDLE folder = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) {
    SetErrno(GetLastError());
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(folder), _O_RDONLY);
  if (fd < 0) CloseHandle(folder);
  return fd;
}

ssize_t FileCalls::Write(int fd, const void* data, std::size_t size) {
  return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

int FileCalls::Sync(int fd) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return -1;
  }
  if (FlushFileBuffers(handle)) return 0;
  // A folder's names are on the disk once the rename that wrote through has returned.
  if (IsFolder(handle)) return 0;
  SetErrno(GetLastError());
  return -1;
}

int FileCalls::Close(int fd) { return ::_close(fd); }

int FileCalls::Rename(const char* from, const char* to) {
  // Unlike rename(), Windows' own call replaces the target, and with write-through it returns once the new
  // name is on the disk.
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  SetErrno(GetLastError());
  return -1;
}

int FileCalls::Unlink(const char* path) {
  // Windows refuses to remove a read-only file, which POSIX removes when the folder may be written: a stale one left
  // by a crash must not stop the next save.
  const std::wstring name = Wide(path);
  if (::_wunlink(name.c_str()) == 0) return 0;
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (errno != EACCES || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
      !SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    return -1;
  }
  return ::_wunlink(name.c_str());
}

int FileCalls::Access(const char* path, int) {
  // Windows' access() only reads the read-only attribute, which folders ignore; the folder's permissions answer
  // only to a try: a file made there and removed at once.
  const std::wstring probe = Wide(path) + L"\\.gromwumbler-probe";
  const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // Left by a copy that was killed: the folder could be written then.
    if (error == ERROR_FILE_EXISTS && DeleteFileW(probe.c_str())) return 0;
    SetErrno(error);
    return -1;
  }
  CloseHandle(file);
  return 0;
}

int FileCalls::PermissionsOf(const char*, mode_t&) {
  // Windows has only the read-only attribute, and keeping it would make the next save's replacement fail:
  // every save makes a file that may be written, as before.
  errno = ENOSYS;
  return -1;
}

int FileCalls::SetPermissions(int, mode_t) { return 0; }

int FileCalls::OpenToRead(const char* path) {
  // The reparse point itself is opened, not what it names, so that a link is seen and refused.
  const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetErrno(GetLastError());
    return -1;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    CloseHandle(file);
    errno = ELOOP;
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
  if (fd < 0) CloseHandle(file);
  return fd;
}

}  // namespace gw::store
