// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextConversion.h"

#include "gfx/Cp1251.h"

namespace gw::scores {

std::optional<std::string> Cp1251ToUtf8(std::string_view text) {
  // The game's own table; the one byte it leaves unassigned makes the text unusable here.
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte != 0 && gfx::Cp1251ToUnicode(byte) == 0) return std::nullopt;
  }
  return gfx::Cp1251ToUtf8(text);
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c); break;
    }
  }
  return out;
}

}  // namespace gw::scores
