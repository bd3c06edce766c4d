// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's strings are UTF-8; a path built from a narrow string would be read in the system's code page where
// file names are wide (Windows), so names cross over through these two.

#include <filesystem>
#include <string>
#include <string_view>

namespace gw::platform {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8Name(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

}  // namespace gw::platform
