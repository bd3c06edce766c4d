// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a BMP file's headers claim, read and checked before the file is decoded, so that a small record
// cannot make the decoder build a huge picture or read pixel rows the record does not hold.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace gw::gfx {

// No picture of the game comes near this on either side (the largest is the 800 x 600 screen); a larger claim
// is a damaged or hostile file. A picture at the limit takes 16 MB in each of its decoded copies.
inline constexpr int kMaxPictureSide = 2048;

struct BmpHeader {
  int width = 0;
  int height = 0;  // rows, whatever their order in the file
  int bitCount = 0;
  std::uint32_t compression = 0;
};

// The header of a BMP file as the decoder will read it, when its sizes are positive and within
// kMaxPictureSide and its uncompressed pixel rows fit in the bytes; otherwise empty with `why` set.
std::optional<BmpHeader> CheckBmpHeader(std::span<const std::uint8_t> file, std::string& why);

}  // namespace gw::gfx
