// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding of one BMP file held in memory.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gw::platform {

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};

class ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;
  // Empty with error set when the bytes are not a BMP file the decoder understands.
  virtual std::optional<DecodedImage> DecodeBmp(std::span<const std::uint8_t> bytes, std::string& error) = 0;
};

}  // namespace gw::platform
