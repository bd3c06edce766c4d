// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/BmpHeader.h"

#include <algorithm>
#include <cstdlib>

namespace gw::gfx {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;  // the old header with 16-bit sizes
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

std::uint32_t Le(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(b[at + static_cast<std::size_t>(i)]) << (8 * i);
  return v;
}

std::string Size(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

}  // namespace

std::optional<BmpHeader> CheckBmpHeader(std::span<const std::uint8_t> file, std::string& why) {
  return CheckBmpHeader(file, static_cast<std::int64_t>(file.size()), why);
}

std::optional<BmpHeader> CheckBmpHeader(std::span<const std::uint8_t> file, std::int64_t fileBytes, std::string& why) {
  if (file.size() < kFileHeaderBytes + 4 || file[0] != 'B' || file[1] != 'M') {
    why = "no BMP file header";
    return std::nullopt;
  }
  const std::uint32_t pixelOffset = Le(file, 10, 4);
  const std::uint32_t infoBytes = Le(file, 14, 4);
  if ((infoBytes != kCoreHeaderBytes && infoBytes < kInfoHeaderBytes) ||
      fileBytes - static_cast<std::int64_t>(kFileHeaderBytes) < infoBytes ||
      file.size() < kFileHeaderBytes + std::min<std::size_t>(infoBytes, kInfoHeaderBytes - 6)) {
    why = "a picture header of " + std::to_string(infoBytes) + " bytes, which is unknown or longer than the record";
    return std::nullopt;
  }
  std::int64_t width = 0;
  std::int64_t height = 0;
  BmpHeader header;
  if (infoBytes == kCoreHeaderBytes) {
    width = Le(file, 18, 2);
    height = Le(file, 20, 2);
    header.bitCount = static_cast<int>(Le(file, 24, 2));
    header.compression = kRgb;
  } else {
    width = static_cast<std::int32_t>(Le(file, 18, 4));
    height = static_cast<std::int32_t>(Le(file, 22, 4));
    header.bitCount = static_cast<int>(Le(file, 28, 2));
    header.compression = Le(file, 30, 4);
  }
  // A negative height stores the rows top to bottom; the picture has as many rows either way.
  const std::int64_t rows = std::llabs(height);
  if (width <= 0 || rows == 0) {
    why = "it claims a picture of " + Size(width, height) + "; both sides must be positive";
    return std::nullopt;
  }
  if (width > kMaxPictureSide || rows > kMaxPictureSide) {
    why = "it claims a picture of " + Size(width, height) + ", more than " + std::to_string(kMaxPictureSide) +
          " on a side";
    return std::nullopt;
  }
  header.width = static_cast<int>(width);
  header.height = static_cast<int>(rows);
  const std::int64_t start = pixelOffset != 0 ? pixelOffset : static_cast<std::int64_t>(kFileHeaderBytes + infoBytes);
  const std::int64_t held = fileBytes - start;
  if (header.compression == kRle8 || header.compression == kRle4) {
    if (width * rows > std::max<std::int64_t>(held, 0) * kMaxPixelsPerRunLengthByte) {
      why = "its " + Size(width, height) + " are more than " + std::to_string(std::max<std::int64_t>(held, 0)) +
            " bytes of run-length data can paint";
      return std::nullopt;
    }
  }
  if (header.compression == kRgb || header.compression == kBitFields || header.compression == kAlphaBitFields) {
    // Rows are padded to whole 32-bit words.
    const std::int64_t rowBytes = (width * header.bitCount + 31) / 32 * 4;
    if (held < rowBytes * rows) {
      why = "its " + Size(width, height) + " at " + std::to_string(header.bitCount) + " bits need " +
            std::to_string(rowBytes * rows) + " bytes of pixels, but the record holds " +
            std::to_string(held < 0 ? 0 : held) + " after offset " + std::to_string(start);
      return std::nullopt;
    }
  }
  return header;
}

}  // namespace gw::gfx
