// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every 8-bit text of the game is Windows-1251. Source literals are UTF-8 and are converted here, once.

#include <string>
#include <string_view>

namespace gw::gfx {

// The Unicode code point of one Windows-1251 byte (0 for the one unassigned byte, 0x98).
char32_t Cp1251ToUnicode(unsigned char byte);

// Converts UTF-8 text to Windows-1251; characters the code page lacks become '?'.
std::string ToCp1251(std::string_view utf8);

// The other way, for messages and tests.
std::string Cp1251ToUtf8(std::string_view cp1251);

}  // namespace gw::gfx
