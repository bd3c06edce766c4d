// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The score record's letter text: every 5 bytes become 8 letters of a 32-letter alphabet (the bit grouping of
// base32, most significant bit first, with no padding characters).

#include <optional>
#include <string>
#include <string_view>

namespace gw::net {

// A to Y without I and O, then the digits 1 to 9: no two letters that a reader could mix up.
inline constexpr std::string_view ScoreAlphabet = "ABCDEFGHJKLMNPQRSTUVWXY123456789";

// Eight "0"/"1" characters per byte, most significant bit first.
std::string BytesToBits(std::string_view text);

// Five binary digits per letter; a length that is not a multiple of 5 is filled with leading "0"s first.
std::string BitsToLetters(std::string_view bits);

// The way back, for the server: the bytes of a letter text whose length is a multiple of 8 and whose
// characters all come from the alphabet; nothing otherwise.
std::optional<std::string> LettersToBytes(std::string_view letters);

}  // namespace gw::net
