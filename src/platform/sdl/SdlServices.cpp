// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/SdlServices.h"

#include <filesystem>

namespace gw::platform::sdl {

void SdlShell::OpenFile(const std::string& path) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  if (ec) return;
  SDL_OpenURL(("file://" + absolute.string()).c_str());
}

void SdlShell::OpenUrl(const std::string& url) { SDL_OpenURL(url.c_str()); }

std::optional<DecodedImage> SdlImageDecoder::DecodeBmp(std::span<const std::uint8_t> bytes, std::string& error) {
  RWopsPtr rw(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())));
  if (!rw) {
    error = SDL_GetError();
    return std::nullopt;
  }
  SurfacePtr loaded(SDL_LoadBMP_RW(rw.get(), 0));
  if (!loaded) {
    error = SDL_GetError();
    return std::nullopt;
  }
  // Converted straight into the image's own pixels: no third copy of the picture while the pack loads.
  DecodedImage image;
  image.width = loaded->w;
  image.height = loaded->h;
  image.pixels.resize(static_cast<std::size_t>(loaded->w) * static_cast<std::size_t>(loaded->h));
  SurfacePtr rgb(SDL_CreateRGBSurfaceWithFormatFrom(image.pixels.data(), loaded->w, loaded->h, 32, loaded->w * 4,
                                                    SDL_PIXELFORMAT_RGB888));
  SDL_SetSurfaceBlendMode(loaded.get(), SDL_BLENDMODE_NONE);
  SDL_SetColorKey(loaded.get(), SDL_FALSE, 0);
  if (!rgb || SDL_BlitSurface(loaded.get(), nullptr, rgb.get(), nullptr) != 0) {
    error = SDL_GetError();
    return std::nullopt;
  }
  for (std::uint32_t& p : image.pixels) p &= 0x00FFFFFFu;
  return image;
}

}  // namespace gw::platform::sdl
