// SPDX-License-Identifier: GPL-3.0-or-later
// Windows has no fontconfig: the game's stand-in face ships in the program's folder and is loaded from there.
#include "platform/FontLookup.h"

#include <system_error>

#include "platform/Utf8Path.h"
#include "platform/windows/ProgramPath.h"

namespace gw::platform {

namespace {

constexpr const char* kShippedFace = "Comfortaa-Bold.ttf";

}  // namespace

std::optional<FontLocation> FindGameFace(std::string_view, std::string_view) {
  const std::filesystem::path file = windows::ProgramFolder() / kShippedFace;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  return FontLocation{Utf8Name(file), 0, true};
}

std::string MissingFontAdvice() {
  return std::string(kShippedFace) + " belongs beside gromwumbler.exe; unpack or install the game again";
}

}  // namespace gw::platform
