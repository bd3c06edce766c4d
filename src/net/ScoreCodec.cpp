// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/ScoreCodec.h"

#include <array>
#include <cstdint>

namespace gw::net {

namespace {

constexpr std::size_t kBitsPerLetter = 5;
constexpr std::size_t kLettersPerGroup = 8;

// Letter value by character, -1 for characters outside the alphabet.
constexpr std::array<std::int8_t, 256> LetterValues() {
  std::array<std::int8_t, 256> values{};
  values.fill(-1);
  for (std::size_t i = 0; i < ScoreAlphabet.size(); ++i) {
    values[static_cast<unsigned char>(ScoreAlphabet[i])] = static_cast<std::int8_t>(i);
  }
  return values;
}

}  // namespace

std::string BytesToBits(std::string_view text) {
  std::string bits;
  bits.reserve(text.size() * 8);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    for (int bit = 7; bit >= 0; --bit) bits.push_back((byte >> bit) & 1 ? '1' : '0');
  }
  return bits;
}

std::string BitsToLetters(std::string_view bits) {
  const std::size_t lead = (kBitsPerLetter - bits.size() % kBitsPerLetter) % kBitsPerLetter;
  std::string padded(lead, '0');
  padded.append(bits);
  std::string letters;
  letters.reserve(padded.size() / kBitsPerLetter);
  for (std::size_t at = 0; at < padded.size(); at += kBitsPerLetter) {
    unsigned v = 0;
    for (std::size_t i = 0; i < kBitsPerLetter; ++i) v = v * 2 + (padded[at + i] != '0' ? 1u : 0u);
    letters.push_back(ScoreAlphabet[v]);
  }
  return letters;
}

std::optional<std::string> LettersToBytes(std::string_view letters) {
  static constexpr auto kValues = LetterValues();
  if (letters.size() % kLettersPerGroup != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(letters.size() * kBitsPerLetter / 8);
  unsigned buffer = 0;
  int held = 0;
  for (const char c : letters) {
    const int v = kValues[static_cast<unsigned char>(c)];
    if (v < 0) return std::nullopt;
    buffer = (buffer << kBitsPerLetter) | static_cast<unsigned>(v);
    held += static_cast<int>(kBitsPerLetter);
    if (held >= 8) {
      held -= 8;
      bytes.push_back(static_cast<char>((buffer >> held) & 0xFF));
    }
  }
  return bytes;
}

}  // namespace gw::net
