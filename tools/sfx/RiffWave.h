// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A complete in-memory RIFF WAVE file for 8-bit mono PCM, the form the mixer loads from memory.

#include <cstdint>
#include <span>
#include <vector>

namespace gw::sfx {

// Header, "fmt " chunk and "data" chunk; an odd-sized data chunk is followed by the pad byte RIFF requires
// (counted in the RIFF size, not in the data size).
std::vector<std::uint8_t> MakeRiffWave(std::span<const std::uint8_t> pcm, std::uint32_t sampleRate);

}  // namespace gw::sfx
