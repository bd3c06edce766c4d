// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the game's face among the system's fonts, through fontconfig.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/Font.h"

namespace gw::gfx {

namespace {

struct FcConfigDeleter {
  void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct FcPatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using FcConfigPtr = std::unique_ptr<FcConfig, FcConfigDeleter>;
using FcPatternPtr = std::unique_ptr<FcPattern, FcPatternDeleter>;

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

std::unique_ptr<GameFont> GameFont::Load() {
  const FcConfigPtr config{FcInitLoadConfigAndFonts()};
  if (!config) throw FontError("fontconfig could not be initialised");

  if (const auto wanted = MatchFace(*config, FamilyPattern(kWantedFamily)); wanted && wanted->IsFamily(kWantedFamily)) {
    return LoadFace(wanted->file, wanted->index, false);
  }
  const std::string_view fallbackFamily = kFallbackPattern.substr(0, kFallbackPattern.find(':'));
  if (const auto fallback = MatchFace(*config, ParsedPattern(kFallbackPattern));
      fallback && fallback->IsFamily(fallbackFamily)) {
    return LoadFace(fallback->file, fallback->index, true);
  }
  throw FontError("neither font \"" + std::string{kWantedFamily} + "\" nor its stand-in \"" +
                  std::string{kFallbackPattern} + "\" is installed (Debian package fonts-comfortaa)");
}

}  // namespace gw::gfx
