// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/web/CanvasPresenter.h"

#include <emscripten.h>

#include <bit>

namespace gw::platform::web {

namespace {

// Puts the rectangle (x, y, w, h) of the 800x600 RGBA frame at `rgba` onto the page's canvas. The image over the
// game's memory is made again when that memory has grown (growing replaces its buffer).
EM_JS(void, gw_put_frame, (const void* rgba, int x, int y, int w, int h), {
  const canvas = Module.canvas;
  if (!Module.gwFrame || Module.gwFrame.data.buffer !== HEAPU8.buffer || Module.gwFrameAt !== rgba) {
    Module.gwFrame = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, 800 * 600 * 4), 800, 600);
    Module.gwFrameAt = rgba;
    Module.gwContext = canvas.getContext('2d', {alpha: false});
  }
  Module.gwContext.putImageData(Module.gwFrame, 0, 0, x, y, w, h);
});

}  // namespace

CanvasPresenter::CanvasPresenter(SDL_Window* window)
    : Presenter(window), rgba_(static_cast<std::size_t>(kFrameWidth) * kFrameHeight) {}

void CanvasPresenter::Show(const std::uint32_t* pixels, int pitchBytes, std::span<const ScreenRect> changes) {
  static_assert(std::endian::native == std::endian::little, "RGBA bytes are built as a little-endian word");
  for (const ScreenRect& r : changes) {
    for (int y = r.top; y < r.bottom; ++y) {
      const auto* from = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(pixels) +
                                                                static_cast<std::ptrdiff_t>(y) * pitchBytes);
      std::uint32_t* to = rgba_.data() + static_cast<std::ptrdiff_t>(y) * kFrameWidth;
      for (int x = r.left; x < r.right; ++x) {
        const std::uint32_t p = from[x];
        // 0x00RRGGBB to the bytes R, G, B, 255.
        to[x] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
      }
    }
    gw_put_frame(rgba_.data(), r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
}

}  // namespace gw::platform::web

namespace gw::platform::sdl {

// A page has no GPU choice to make: the canvas is the display.
std::unique_ptr<Presenter> MakePresenter(SDL_Window* window) { return std::make_unique<web::CanvasPresenter>(window); }

}  // namespace gw::platform::sdl
