// SPDX-License-Identifier: GPL-3.0-or-later
// The picture pack loader on any bytes, read as a whole pack: each of the first records is loaded as the game
// loads it, through the real BMP decoder, and either refused with a PackError or made into a surface.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "gfx/BmpHeader.h"
#include "gfx/ImagePack.h"
#include "platform/sdl/SdlServices.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gw::platform::sdl::SdlImageDecoder decoder;
  std::istringstream pack(std::string(reinterpret_cast<const char*>(data), size));
  // A few records are enough to reach the skipping of earlier ones.
  for (int index = 0; index < 4; ++index) {
    try {
      const auto surface = gw::gfx::ReadPackImage(pack, "fuzz.pp", index, decoder);
      if (surface->Width() > gw::gfx::kMaxPictureSide || surface->Height() > gw::gfx::kMaxPictureSide) std::abort();
    } catch (const gw::gfx::PackError&) {
      // Refused, as damaged packs are.
    }
  }
  return 0;
}
