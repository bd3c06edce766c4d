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

// A run-length code paints at most 255 pixels with two bytes; a compressed picture that claims more pixels
// than its data could paint that way is refused (the game's own pictures are not compressed at all).
inline constexpr std::int64_t kMaxPixelsPerRunLengthByte = 128;

// The header of a BMP file as the decoder will read it, when its sizes are positive and within
// kMaxPictureSide, its uncompressed pixel rows fit in the bytes and its compressed ones could paint it;
// otherwise empty with `why` set.
std::optional<BmpHeader> CheckBmpHeader(std::span<const std::uint8_t> file, std::string& why);
// The same from the file's first bytes (kBmpHeadBytes of them, or all when it is shorter) and its size.
inline constexpr std::size_t kBmpHeadBytes = 64;
std::optional<BmpHeader> CheckBmpHeader(std::span<const std::uint8_t> head, std::int64_t fileBytes, std::string& why);

// What a decoded picture of the header takes in memory: 32-bit pixels.
inline std::int64_t DecodedBytes(const BmpHeader& header) { return std::int64_t{header.width} * header.height * 4; }

}  // namespace gw::gfx
