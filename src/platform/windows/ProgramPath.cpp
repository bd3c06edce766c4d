// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/ProgramPath.h"

#include <windows.h>

#include <vector>

namespace gw::platform::windows {

std::filesystem::path ProgramFolder() {
  // Long paths are allowed (the manifest says so), so the buffer grows until the name fits.
  std::vector<wchar_t> name(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) return std::filesystem::path(std::wstring(name.data(), length)).parent_path();
    if (name.size() >= 32768) return {};
    name.resize(name.size() * 2);
  }
}

}  // namespace gw::platform::windows
