// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Players' texts arrive in Windows-1251; the page and the store hold UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace gw::scores {

// Nothing for a byte the code page does not define.
std::optional<std::string> Cp1251ToUtf8(std::string_view text);

// Text made safe inside HTML elements and attribute values.
std::string HtmlEscape(std::string_view text);

}  // namespace gw::scores
