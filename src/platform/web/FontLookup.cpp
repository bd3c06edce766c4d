// SPDX-License-Identifier: GPL-3.0-or-later
// A page has no font catalogue: the face the Linux build finds through fontconfig comes preloaded with the game
// folder (see the build's preload list) and stands in for the wanted family.
#include "platform/FontLookup.h"

#include <filesystem>
#include <system_error>

namespace gw::platform {

namespace {

constexpr const char* kPreloadedFace = "/game/font/Comfortaa-Regular.ttf";

}  // namespace

std::optional<FontLocation> FindGameFace(std::string_view, std::string_view) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(kPreloadedFace, ec)) return std::nullopt;
  return FontLocation{kPreloadedFace, 0, true};
}

std::string MissingFontAdvice() { return std::string(kPreloadedFace) + " is missing from the page's data"; }

}  // namespace gw::platform
