// SPDX-License-Identifier: GPL-3.0-or-later
// %APPDATA%\GromWumbler, the place SDL's preference path names, without making it before the game needs it.
#include "platform/PlayerFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "platform/Deleter.h"

namespace gw::platform {

std::filesystem::path PlayerFolder() {
  PWSTR raw = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &raw);
  const std::unique_ptr<wchar_t, Deleter<CoTaskMemFree>> owned(raw);
  if (FAILED(result) || !raw) return {};
  return std::filesystem::path(raw) / "GromWumbler";
}

}  // namespace gw::platform
