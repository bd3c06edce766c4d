// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the game's typeface lies: found among the system's fonts where the system has a font catalogue, or the
// file that ships with the game where it does not.

#include <optional>
#include <string>
#include <string_view>

namespace gw::platform {

struct FontLocation {
  std::string file;  // UTF-8
  int index = 0;     // the face within the file
  bool substituted = false;  // the stand-in, not the wanted family
};

// The wanted family when it is there, else the stand-in named by a fontconfig-style pattern ("Family:style");
// nothing when neither is found.
std::optional<FontLocation> FindGameFace(std::string_view wantedFamily, std::string_view fallbackPattern);

// What the player should install or restore when nothing is found.
std::string MissingFontAdvice();

}  // namespace gw::platform
