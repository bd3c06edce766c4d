// SPDX-License-Identifier: GPL-3.0-or-later
#include "PackWriter.h"

#include <fstream>
#include <string>
#include <system_error>

namespace gw::pack {
namespace {

constexpr std::uint32_t Channel(std::uint32_t rgb, int shift) { return (rgb >> shift) & 0xFF; }

// Straight colour c at alpha a over an opaque background colour.
std::uint32_t Over(std::uint32_t argb, std::uint32_t background) {
  const std::uint32_t a = argb >> 24;
  std::uint32_t out = 0;
  for (int shift : {16, 8, 0})
    out |= ((Channel(argb, shift) * a + Channel(background, shift) * (255 - a) + 127) / 255) << shift;
  return out;
}

void PutU16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutU32(Bytes& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

}  // namespace

std::vector<std::uint32_t> ApplyMode(const Picture& picture, Mode mode, const Record& record, std::ostream& warnings) {
  std::vector<std::uint32_t> rgb;
  rgb.reserve(picture.pixels.size());
  std::size_t seeThrough = 0;
  for (std::uint32_t argb : picture.pixels) {
    const std::uint32_t alpha = argb >> 24;
    switch (mode) {
      case Mode::Opaque:
        if (alpha < 255) ++seeThrough;
        rgb.push_back(Over(argb, 0));
        break;
      case Mode::Keyed: {
        std::uint32_t c = alpha < 128 ? kKeyColour : Over(argb, kOutlineColour);
        // A drawn pixel must never read as transparent.
        if (alpha >= 128 && c == kKeyColour) c -= 1;
        rgb.push_back(c);
        break;
      }
      case Mode::Black: {
        // The rotated tongue pictures treat black as transparent.
        std::uint32_t c = alpha < 128 ? 0 : Over(argb, kOutlineColour);
        if (alpha >= 128 && c == 0) c = 0x010101;
        rgb.push_back(c);
        break;
      }
    }
  }
  if (seeThrough > 0)
    warnings << "gw_packtool: warning: " << record.origin.Describe() << ": record " << record.index << " has "
             << seeThrough << " pixels that are not opaque; they are put over black\n";
  return rgb;
}

Bytes EncodeBmp(int width, int height, const std::vector<std::uint32_t>& rgb) {
  constexpr std::uint32_t kHeadersSize = 14 + 40;
  const auto w = static_cast<std::uint32_t>(width);
  const auto h = static_cast<std::uint32_t>(height);
  const std::uint32_t rowSize = (w * 3 + 3) & ~3u;
  const std::uint32_t imageSize = rowSize * h;

  Bytes out;
  out.reserve(kHeadersSize + imageSize);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  PutU32(out, kHeadersSize + imageSize);
  PutU32(out, 0);  // two reserved words
  PutU32(out, kHeadersSize);
  // BITMAPINFOHEADER: positive height, so rows run bottom-up
  PutU32(out, 40);
  PutU32(out, w);
  PutU32(out, h);
  PutU16(out, 1);   // planes
  PutU16(out, 24);  // bits per pixel
  PutU32(out, 0);   // BI_RGB, uncompressed
  PutU32(out, imageSize);
  PutU32(out, 2835);  // 72 dpi, in pixels per metre
  PutU32(out, 2835);
  PutU32(out, 0);  // colours used
  PutU32(out, 0);  // important colours

  for (std::uint32_t y = h; y-- > 0;) {
    const std::size_t rowStart = out.size();
    for (std::uint32_t x = 0; x < w; ++x) {
      const std::uint32_t c = rgb[static_cast<std::size_t>(y) * w + x];
      out.push_back(static_cast<std::uint8_t>(Channel(c, 0)));
      out.push_back(static_cast<std::uint8_t>(Channel(c, 8)));
      out.push_back(static_cast<std::uint8_t>(Channel(c, 16)));
    }
    while (out.size() - rowStart < rowSize) out.push_back(0);
  }
  return out;
}

void WritePack(const std::vector<Bytes>& records, const std::filesystem::path& output) {
  std::filesystem::path temp = output;
  temp += ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw PackError(temp.string() + ": cannot create");
    for (const Bytes& record : records) {
      Bytes length;
      PutU32(length, static_cast<std::uint32_t>(record.size()));
      out.write(reinterpret_cast<const char*>(length.data()), static_cast<std::streamsize>(length.size()));
      out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
    }
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      throw PackError(temp.string() + ": cannot write");
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, output, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    throw PackError(output.string() + ": cannot replace: " + ec.message());
  }
}

}  // namespace gw::pack
