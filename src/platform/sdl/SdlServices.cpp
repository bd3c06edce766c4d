#include "platform/sdl/SdlServices.h"

#include <filesystem>
#include <fstream>

namespace gw::platform::sdl {

namespace {

// An internet shortcut file holds its address on a line "URL=...".
std::string ShortcutTarget(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("URL=", 0) == 0) return line.substr(4);
  }
  return {};
}

}  // namespace

void SdlShell::OpenFile(const std::string& path) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  if (ec) return;
  if (absolute.extension() == ".url") {
    const std::string target = ShortcutTarget(absolute);
    if (!target.empty()) OpenUrl(target);
    return;
  }
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
  SurfacePtr rgb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB888, 0));
  if (!rgb) {
    error = SDL_GetError();
    return std::nullopt;
  }
  loaded.reset();  // only one copy of a large picture at a time besides the result
  DecodedImage image;
  image.width = rgb->w;
  image.height = rgb->h;
  image.pixels.resize(static_cast<std::size_t>(rgb->w) * static_cast<std::size_t>(rgb->h));
  SDL_LockSurface(rgb.get());
  for (int y = 0; y < rgb->h; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(rgb->pixels) +
                                                              static_cast<std::ptrdiff_t>(y) * rgb->pitch);
    for (int x = 0; x < rgb->w; ++x) {
      image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(rgb->w) + static_cast<std::size_t>(x)] =
          row[x] & 0x00FFFFFFu;
    }
  }
  SDL_UnlockSurface(rgb.get());
  return image;
}

}  // namespace gw::platform::sdl
