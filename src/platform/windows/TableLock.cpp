// SPDX-License-Identifier: GPL-3.0-or-later
// Windows has no lock on a folder: a named mutex of the session, named after the folder, stands for it. Windows
// releases it when the process ends in any way.
#include "store/TableLock.h"

#include <windows.h>

#include <cstdint>
#include <cwctype>
#include <string>
#include <system_error>

namespace gw::store {

namespace {

// FNV-1a over the folder's full name, case folded as Windows folds names: a stable name of bounded length.
std::uint64_t NameHash(const std::wstring& name) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const wchar_t c : name) {
    hash ^= static_cast<std::uint64_t>(std::towlower(static_cast<std::wint_t>(c)));
    hash *= 1099511628211ULL;
  }
  return hash;
}

}  // namespace

TableLock::TableLock(const std::filesystem::path& folder) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::weakly_canonical(folder, ec);
  if (ec || !std::filesystem::is_directory(full, ec)) return;
  wchar_t name[64];
  swprintf(name, 64, L"Local\\GromWumbler-table-%016llx",
           static_cast<unsigned long long>(NameHash(full.wstring())));
  const HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
  if (mutex == nullptr) return;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    heldByAnother_ = true;
    CloseHandle(mutex);
    return;
  }
  held_ = reinterpret_cast<std::intptr_t>(mutex);
}

TableLock::~TableLock() {
  if (held_ == -1) return;
  const auto mutex = reinterpret_cast<HANDLE>(held_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace gw::store
