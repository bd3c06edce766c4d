// SPDX-License-Identifier: GPL-3.0-or-later
// The game's face among the fonts fontconfig knows.
#include "platform/FontLookup.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Deleter.h"

namespace gw::platform {

namespace {

using FcConfigPtr = std::unique_ptr<FcConfig, Deleter<FcConfigDestroy>>;
using FcPatternPtr = std::unique_ptr<FcPattern, Deleter<FcPatternDestroy>>;

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

struct FaceLocation {
  std::string file;
  int index = 0;
  std::vector<std::string> families;  // a face may carry its family name in several languages

  bool IsFamily(std::string_view family) const {
    return std::ranges::any_of(families, [&](const std::string& f) { return SameNameIgnoringCase(f, family); });
  }
};

// What fontconfig would hand out for the pattern; it always answers with something, the nearest face it has.
std::optional<FaceLocation> MatchFace(FcConfig& config, FcPatternPtr pattern) {
  if (!pattern) return std::nullopt;
  FcConfigSubstitute(&config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  const FcPatternPtr match{FcFontMatch(&config, pattern.get(), &result)};
  if (!match) return std::nullopt;

  FaceLocation location;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr) return std::nullopt;
  location.file = reinterpret_cast<const char*>(file);
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &location.index);
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    location.families.emplace_back(reinterpret_cast<const char*>(family));
  }
  return location;
}

FcPatternPtr FamilyPattern(std::string_view family) {
  FcPatternPtr pattern{FcPatternCreate()};
  if (pattern) {
    const std::string name{family};
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  }
  return pattern;
}

FcPatternPtr ParsedPattern(std::string_view text) {
  const std::string name{text};
  return FcPatternPtr{FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()))};
}

}  // namespace

std::optional<FontLocation> FindGameFace(std::string_view wantedFamily, std::string_view fallbackPattern) {
  const FcConfigPtr config{FcInitLoadConfigAndFonts()};
  if (!config) return std::nullopt;
  if (const auto wanted = MatchFace(*config, FamilyPattern(wantedFamily)); wanted && wanted->IsFamily(wantedFamily)) {
    return FontLocation{wanted->file, wanted->index, false};
  }
  const std::string_view fallbackFamily = fallbackPattern.substr(0, fallbackPattern.find(':'));
  if (const auto fallback = MatchFace(*config, ParsedPattern(fallbackPattern));
      fallback && fallback->IsFamily(fallbackFamily)) {
    return FontLocation{fallback->file, fallback->index, true};
  }
  return std::nullopt;
}

std::string MissingFontAdvice() { return "Debian package fonts-comfortaa"; }

}  // namespace gw::platform
