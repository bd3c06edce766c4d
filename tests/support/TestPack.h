// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture packs made by the tests: BMP files written byte by byte, and a whole 46-record pack whose pictures
// have the game's sizes and a pixel pattern a test can predict.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

namespace gw::test {

// A complete 24-bit bottom-up BMP file of the given size; pixel(x, y) gives 0x00RRGGBB.
std::vector<std::uint8_t> MakeBmp(int width, int height, const std::function<std::uint32_t(int, int)>& pixel);

// An 8-bit run-length BMP file that claims width x height pixels: the palette, then the run data as given
// (count, index pairs; 00 00 ends a row, 00 01 the picture). A few bytes can claim a picture of any size.
std::vector<std::uint8_t> MakeRle8Bmp(int width, int height, const std::vector<std::uint32_t>& palette,
                                      const std::vector<std::uint8_t>& runs);

// Writes records as length-prefixed files.
void WritePack(const std::filesystem::path& path, const std::vector<std::vector<std::uint8_t>>& records);

// Writes records each behind a length of the test's choosing, which may differ from the bytes that follow.
void WritePackClaiming(const std::filesystem::path& path,
                       const std::vector<std::pair<std::int32_t, std::vector<std::uint8_t>>>& records);

// The size of each of the 46 pictures of the game's pack.
std::pair<int, int> RecordSize(int index);

// The pattern of the standard test pack: the key colour at (0, 0), elsewhere a colour made of the record, x, y.
std::uint32_t PatternPixel(int record, int x, int y);

// Writes the standard test pack: all 46 pictures with their sizes and the pattern.
void WriteStandardTestPack(const std::filesystem::path& path);

// The standard test pack, written once by the build next to the test program (tests only read it).
const std::filesystem::path& StandardTestPack();

}  // namespace gw::test
