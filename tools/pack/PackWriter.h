// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning rendered pictures into the game's picture records, and writing the pack file.

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <vector>

#include "Manifest.h"
#include "Render.h"

namespace gw::pack {

using Bytes = std::vector<std::uint8_t>;

// The game's transparent colour, and the outline colour that anti-aliased edges are blended
// toward instead of it (a blend toward the key would show as a pink fringe).
inline constexpr std::uint32_t kKeyColour = 0xFF00CC;
inline constexpr std::uint32_t kOutlineColour = 0x2B1A10;

// Applies the record's mode: 0x00RRGGBB per pixel, rows top to bottom. Reports the pixels an
// opaque record had to composite over black to `warnings`.
std::vector<std::uint32_t> ApplyMode(const Picture& picture, Mode mode, const Record& record, std::ostream& warnings);

// A complete 24-bit uncompressed BMP file (bottom-up rows, each padded to 4 bytes).
Bytes EncodeBmp(int width, int height, const std::vector<std::uint32_t>& rgb);

// Writes the records, each prefixed by its length, through a temporary file that replaces
// `output` only when everything is written.
void WritePack(const std::vector<Bytes>& records, const std::filesystem::path& output);

}  // namespace gw::pack
