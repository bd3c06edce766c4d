// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small SDL-backed services: the clock, opening documents, BMP decoding.

#include "platform/Clock.h"
#include "platform/ImageDecoder.h"
#include "platform/Shell.h"
#include "platform/sdl/SdlHandles.h"

namespace gw::platform::sdl {

class SdlClock final : public Clock {
 public:
  std::uint32_t TickCount() override { return QuantiseTick(SDL_GetTicks64()); }
  std::uint64_t PerformanceCounter() override { return SDL_GetPerformanceCounter(); }
  void Sleep(std::uint32_t ms) override { SDL_Delay(ms); }
};

class SdlShell final : public Shell {
 public:
  void OpenFile(const std::string& path) override;
  void OpenUrl(const std::string& url) override;
};

class SdlImageDecoder final : public ImageDecoder {
 public:
  std::optional<DecodedImage> DecodeBmp(std::span<const std::uint8_t> bytes, std::string& error) override;
};

}  // namespace gw::platform::sdl
