// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/Cp1251.h"

#include <array>
#include <cstddef>
#include <optional>

namespace gw::gfx {

namespace {

// Unicode for bytes 0x80..0xFF; below that the code page is ASCII. 0 marks the unassigned 0x98.
constexpr std::array<char32_t, 128> kHighHalf = {
    // 0x80
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    // 0x90
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    // 0xA0
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    // 0xB0
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..я in alphabetical order, without Ё/ё (those sit at 0xA8/0xB8).
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr char kMissing = '?';

std::optional<unsigned char> FromUnicode(char32_t cp) {
  if (cp < 0x80) return static_cast<unsigned char>(cp);
  for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
    if (kHighHalf[i] == cp) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// One well-formed UTF-8 sequence at the front of text: its code point and length. Overlong forms,
// surrogates and values past U+10FFFF are refused, so each of their bytes is reported as malformed.
struct Decoded {
  char32_t cp;
  std::size_t length;
};

std::optional<Decoded> DecodeOne(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return Decoded{lead, 1};

  std::size_t length = 0;
  unsigned char low = 0x80;  // allowed range of the second byte
  unsigned char high = 0xBF;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return std::nullopt;
  }
  if (text.size() < length) return std::nullopt;
  if (byte(1) < low || byte(1) > high) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuation(byte(i))) return std::nullopt;
    cp = (cp << 6) | (byte(i) & 0x3Fu);
  }
  return Decoded{cp, length};
}

void AppendUtf8(std::string& out, char32_t cp) {
  const auto put = [&](char32_t v) { out.push_back(static_cast<char>(static_cast<unsigned char>(v))); };
  if (cp < 0x80) {
    put(cp);
  } else if (cp < 0x800) {
    put(0xC0 | (cp >> 6));
    put(0x80 | (cp & 0x3F));
  } else {
    // Every character of the code page lies in the Basic Multilingual Plane.
    put(0xE0 | (cp >> 12));
    put(0x80 | ((cp >> 6) & 0x3F));
    put(0x80 | (cp & 0x3F));
  }
}

}  // namespace

char32_t Cp1251ToUnicode(unsigned char byte) { return byte < 0x80 ? char32_t{byte} : kHighHalf[byte - 0x80u]; }

std::string ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    const auto decoded = DecodeOne(utf8);
    if (!decoded) {
      out.push_back(kMissing);
      utf8.remove_prefix(1);
      continue;
    }
    const auto byte = FromUnicode(decoded->cp);
    out.push_back(byte ? static_cast<char>(*byte) : kMissing);
    utf8.remove_prefix(decoded->length);
  }
  return out;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (const char c : cp1251) {
    const char32_t cp = Cp1251ToUnicode(static_cast<unsigned char>(c));
    // The unassigned byte becomes the replacement character rather than vanishing.
    AppendUtf8(out, cp == 0 && c != '\0' ? char32_t{0xFFFD} : cp);
  }
  return out;
}

}  // namespace gw::gfx
