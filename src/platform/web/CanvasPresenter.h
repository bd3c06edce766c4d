// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A page's frames go straight onto its canvas: the changed areas, turned into the canvas's byte order, are put
// there by the canvas's own call. SDL's window surface would copy and convert the whole frame in script on
// every frame, whatever changed.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/sdl/SdlPresenter.h"

namespace gw::platform::web {

class CanvasPresenter final : public sdl::Presenter {
 public:
  explicit CanvasPresenter(SDL_Window* window);

 private:
  void Show(const std::uint32_t* pixels, int pitchBytes, std::span<const ScreenRect> changes) override;

  // The frame as the canvas takes it: R, G, B, A bytes.
  std::vector<std::uint32_t> rgba_;
};

}  // namespace gw::platform::web
