// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestPack.h"

#include <array>
#include <fstream>
#include <stdexcept>

namespace gw::test {

namespace {

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

constexpr std::array<std::pair<int, int>, 46> kSizes = {{
    {110, 85}, {110, 85}, {8, 8},     {184, 70},  {164, 71},  {148, 63},  {70, 55},   {128, 74},  {80, 40},
    {60, 45},  {124, 79}, {146, 92},  {10, 70},   {24, 22},   {60, 30},   {60, 30},   {8, 8},     {800, 600},
    {391, 39}, {223, 37}, {271, 35},  {261, 36},  {431, 32},  {221, 34},  {742, 444}, {60, 22},   {149, 28},
    {742, 444}, {323, 24}, {506, 24}, {742, 444}, {129, 28},  {218, 30},  {192, 30},  {212, 28},  {75, 22},
    {390, 200}, {172, 125}, {172, 125}, {800, 600}, {572, 27}, {742, 283}, {742, 283}, {742, 283}, {742, 283},
    {742, 283},
}};

}  // namespace

std::vector<std::uint8_t> MakeBmp(int width, int height, const std::function<std::uint32_t(int, int)>& pixel) {
  const int rowBytes = (width * 3 + 3) / 4 * 4;
  const auto dataSize = static_cast<std::uint32_t>(rowBytes * height);
  std::vector<std::uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, 54 + dataSize);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, static_cast<std::uint32_t>(width));
  Put32(b, static_cast<std::uint32_t>(height));
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, dataSize);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixel(x, y);
      b.push_back(static_cast<std::uint8_t>(p));
      b.push_back(static_cast<std::uint8_t>(p >> 8));
      b.push_back(static_cast<std::uint8_t>(p >> 16));
    }
    for (int pad = width * 3; pad < rowBytes; ++pad) b.push_back(0);
  }
  return b;
}

std::vector<std::uint8_t> MakeRle8Bmp(int width, int height, const std::vector<std::uint32_t>& palette,
                                      const std::vector<std::uint8_t>& runs) {
  const auto offset = static_cast<std::uint32_t>(54 + 4 * palette.size());
  std::vector<std::uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + static_cast<std::uint32_t>(runs.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, static_cast<std::uint32_t>(width));
  Put32(b, static_cast<std::uint32_t>(height));
  Put16(b, 1);
  Put16(b, 8);
  Put32(b, 1);  // run-length, 8 bits
  Put32(b, static_cast<std::uint32_t>(runs.size()));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, static_cast<std::uint32_t>(palette.size()));
  Put32(b, 0);
  for (const std::uint32_t colour : palette) Put32(b, colour);
  b.insert(b.end(), runs.begin(), runs.end());
  return b;
}

void WritePackClaiming(const std::filesystem::path& path,
                       const std::vector<std::pair<std::int32_t, std::vector<std::uint8_t>>>& records) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& [claimed, bytes] : records) {
    std::vector<std::uint8_t> length;
    Put32(length, static_cast<std::uint32_t>(claimed));
    out.write(reinterpret_cast<const char*>(length.data()), 4);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  out.close();
  // A pack cut short by a full disk would fail tests far from the cause.
  if (!out) throw std::runtime_error("cannot write the test pack " + path.string());
}

void WritePack(const std::filesystem::path& path, const std::vector<std::vector<std::uint8_t>>& records) {
  std::vector<std::pair<std::int32_t, std::vector<std::uint8_t>>> claimed;
  for (const auto& r : records) claimed.emplace_back(static_cast<std::int32_t>(r.size()), r);
  WritePackClaiming(path, claimed);
}

std::pair<int, int> RecordSize(int index) { return kSizes.at(static_cast<std::size_t>(index)); }

std::uint32_t PatternPixel(int record, int x, int y) {
  if (x == 0 && y == 0) return 0xFF00CC;
  return static_cast<std::uint32_t>(record + 1) << 16 | static_cast<std::uint32_t>(x & 0xFF) << 8 |
         static_cast<std::uint32_t>(y & 0xFF);
}

void WriteStandardTestPack(const std::filesystem::path& path) {
  std::vector<std::vector<std::uint8_t>> records;
  for (int i = 0; i < 46; ++i) {
    const auto [w, h] = RecordSize(i);
    records.push_back(MakeBmp(w, h, [i](int x, int y) { return PatternPixel(i, x, y); }));
  }
  WritePack(path, records);
}

const std::filesystem::path& StandardTestPack() {
  static const std::filesystem::path path{GW_STANDARD_TEST_PACK};
  return path;
}

}  // namespace gw::test
