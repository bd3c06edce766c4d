// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OutsideDocument.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace gw::app {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// No shortcut file of the game is anywhere near this long.
constexpr std::streamsize kMaxShortcutBytes = 64 * 1024;

}  // namespace

DocumentKind KindOf(const std::filesystem::path& file) {
  const std::string extension = Lower(file.extension().string());
  if (extension == ".url") return DocumentKind::Shortcut;
  if (extension == ".exe") return DocumentKind::Program;
  return DocumentKind::Other;
}

bool IsWebAddress(std::string_view address) {
  const std::string lower = Lower(address);
  const std::size_t rest = StartsWith(lower, "https://") ? 8 : StartsWith(lower, "http://") ? 7 : 0;
  if (rest == 0 || address.size() == rest) return false;
  return std::none_of(address.begin(), address.end(),
                      [](unsigned char c) { return c <= ' ' || c == 0x7F; });
}

std::optional<std::string> ShortcutAddress(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string text(static_cast<std::size_t>(kMaxShortcutBytes), '\0');
  in.read(text.data(), kMaxShortcutBytes);
  text.resize(static_cast<std::size_t>(in.gcount()));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (StartsWith(line, "URL=")) {
      const std::string_view address = line.substr(4);
      if (IsWebAddress(address)) return std::string(address);
      return std::nullopt;
    }
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace gw::app
