// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the game may hand to the desktop from its folder. A shortcut file (.url) is opened only as the web
// address it holds, and only an http or https one: a file: or other address could start anything on this
// system. A Windows program (.exe) is never handed over; the desktop would run it or open it in some tool.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace gw::app {

enum class DocumentKind { Shortcut, Program, Other };
DocumentKind KindOf(const std::filesystem::path& file);

// The http or https address on the "URL=" line of a shortcut file; empty when there is none, when it names
// another scheme, or when it holds spaces or control characters.
std::optional<std::string> ShortcutAddress(const std::filesystem::path& file);
bool IsWebAddress(std::string_view address);

}  // namespace gw::app
