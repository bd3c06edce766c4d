// SPDX-License-Identifier: GPL-3.0-or-later
// The picture pack loader on any bytes, read as a whole pack: the budget check over the records the game
// loads, then each of the 46 records through the real BMP decoder, either refused with a PackError or made
// into a surface. A pack that passes the budget must decode within it.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "gfx/BmpHeader.h"
#include "gfx/ImagePack.h"
#include "gfx/ImageTables.h"
#include "platform/sdl/SdlServices.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gw::platform::sdl::SdlImageDecoder decoder;
  std::istringstream pack(std::string(reinterpret_cast<const char*>(data), size));
  bool withinBudget = true;
  try {
    gw::gfx::CheckPackBudget(pack, "fuzz.pp", gw::gfx::RecordsLoaded());
  } catch (const gw::gfx::PackError&) {
    // The game stops here; the records are still decoded below, so that short packs reach the decoder too.
    withinBudget = false;
  }
  constexpr int kRecords = gw::gfx::ImageTables::kFirstScreenRecord + gw::gfx::ImageTables::kScreenCount;
  std::int64_t decoded = 0;
  for (int index = 0; index < kRecords; ++index) {
    try {
      const auto surface = gw::gfx::ReadPackImage(pack, "fuzz.pp", index, decoder);
      if (surface->Width() > gw::gfx::kMaxPictureSide || surface->Height() > gw::gfx::kMaxPictureSide) std::abort();
      decoded += std::int64_t{surface->Width()} * surface->Height() * 4;
    } catch (const gw::gfx::PackError&) {
      // Refused, as damaged packs are.
    }
  }
  if (withinBudget && decoded > gw::gfx::kMaxPackPixelBytes) std::abort();
  return 0;
}
