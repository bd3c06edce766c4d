// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/Cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <memory>
#include <string>

namespace gw::gfx {
namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); }

// The C library's own converter is an independent copy of the code page to check our table against.
struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvPtr = std::unique_ptr<void, IconvCloser>;

char32_t IconvToUnicode(iconv_t cd, unsigned char byte) {
  char in[1] = {static_cast<char>(byte)};
  char32_t out[2] = {};
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(out);
  std::size_t inLeft = 1;
  std::size_t outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return 0;
  return out[0];
}

TEST(Cp1251Test, EveryByteMatchesTheSystemCodePage) {
  iconv_t raw = iconv_open("UTF-32LE", "CP1251");
  if (raw == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "the C library has no CP1251 converter";
  const IconvPtr cd{raw};
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    EXPECT_EQ(Cp1251ToUnicode(byte), IconvToUnicode(cd.get(), byte)) << "byte 0x" << std::hex << b;
  }
}

TEST(Cp1251Test, GameTextsConvertToTheirBytes) {
  struct Case {
    const char* utf8;
    std::string cp1251;
  };
  const Case cases[] = {
      {"Россия", Bytes({0xD0, 0xEE, 0xF1, 0xF1, 0xE8, 0xFF})},
      {"Ваня", Bytes({0xC2, 0xE0, 0xED, 0xFF})},
      {"ПРЕДСТАВЛЯЕТ", Bytes({0xCF, 0xD0, 0xC5, 0xC4, 0xD1, 0xD2, 0xC0, 0xC2, 0xCB, 0xDF, 0xC5, 0xD2})},
      {"Ёё", Bytes({0xA8, 0xB8})},
      {"Ваш результат: 120", Bytes({0xC2, 0xE0, 0xF8, ' ', 0xF0, 0xE5, 0xE7, 0xF3, 0xEB, 0xFC, 0xF2, 0xE0, 0xF2, ':',
                                     ' ', '1', '2', '0'})},
      {"№ €", Bytes({0xB9, ' ', 0x88})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(ToCp1251(c.utf8), c.cp1251);
    EXPECT_EQ(Cp1251ToUtf8(c.cp1251), c.utf8);
  }
}

TEST(Cp1251Test, MissingAndMalformedCharactersBecomeQuestionMarks) {
  struct Case {
    std::string utf8;
    std::string cp1251;
  };
  const Case cases[] = {
      {"日本", "??"},                          // not in the code page
      {"\xC3\xA4", "?"},                       // ä: Latin-1, but not Windows-1251
      {"a\xF0\x9F\x98\x80z", "a?z"},           // outside the Basic Multilingual Plane, one character
      {"\xFF", "?"},                           // never valid in UTF-8
      {"\xD0", "?"},                           // cut off at the end
      {"\xE2\x82" "A", "??A"},                 // cut off in the middle: each stray byte
      {"\xC0\xAF", "??"},                      // overlong form of '/'
      {"\xED\xA0\x80", "???"},                 // a surrogate
      {"\x80" "\xD0\x96", "?" + Bytes({0xC6})},  // stray continuation before a good Ж
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.utf8));
    EXPECT_EQ(ToCp1251(c.utf8), c.cp1251);
  }
}

TEST(Cp1251Test, AllAssignedBytesRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    if (b != 0x98) all.push_back(static_cast<char>(b));
  }
  EXPECT_EQ(ToCp1251(Cp1251ToUtf8(all)), all);
  EXPECT_EQ(Cp1251ToUtf8(Bytes({0x98})), "\xEF\xBF\xBD");  // the unassigned byte shows as U+FFFD
}

}  // namespace
}  // namespace gw::gfx
