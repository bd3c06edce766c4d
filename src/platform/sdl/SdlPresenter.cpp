// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/SdlPresenter.h"

#include <algorithm>

namespace gw::platform::sdl {

namespace {

SDL_Rect ToSdl(const ScreenRect& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

const std::uint32_t* At(const std::uint32_t* pixels, int pitchBytes, int x, int y) {
  return reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(pixels) +
                                                static_cast<std::ptrdiff_t>(y) * pitchBytes) + x;
}

}  // namespace

SDL_Rect FrameArea(int windowWidth, int windowHeight) {
  const double scale = std::min(static_cast<double>(windowWidth) / kFrameWidth,
                                static_cast<double>(windowHeight) / kFrameHeight);
  const int w = static_cast<int>(kFrameWidth * scale + 0.5), h = static_cast<int>(kFrameHeight * scale + 0.5);
  return {(windowWidth - w) / 2, (windowHeight - h) / 2, w, h};
}

SDL_Rect ScaledArea(const ScreenRect& r, const SDL_Rect& area) {
  const auto mapX = [&](int x) { return area.x + static_cast<int>(static_cast<long long>(x) * area.w / kFrameWidth); };
  const auto mapY = [&](int y) { return area.y + static_cast<int>(static_cast<long long>(y) * area.h / kFrameHeight); };
  const int left = std::max(area.x, mapX(std::max(r.left - 1, 0)));
  const int top = std::max(area.y, mapY(std::max(r.top - 1, 0)));
  const int right = std::min(area.x + area.w, mapX(std::min(r.right + 1, kFrameWidth)) + 1);
  const int bottom = std::min(area.y + area.h, mapY(std::min(r.bottom + 1, kFrameHeight)) + 1);
  return {left, top, right - left, bottom - top};
}

Presenter::Presenter(SDL_Window* window) : window_(window) { SDL_AddEventWatch(&Presenter::WatchEvents, this); }

Presenter::~Presenter() { SDL_DelEventWatch(&Presenter::WatchEvents, this); }

int Presenter::WatchEvents(void* self, SDL_Event* e) {
  auto* presenter = static_cast<Presenter*>(self);
  if (e->type == SDL_RENDER_TARGETS_RESET || e->type == SDL_RENDER_DEVICE_RESET) presenter->Invalidate();
  if (e->type == SDL_WINDOWEVENT && e->window.windowID == SDL_GetWindowID(presenter->window_)) {
    switch (e->window.event) {
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
      case SDL_WINDOWEVENT_RESTORED: presenter->Invalidate(); break;
      default: break;
    }
  }
  return 1;
}

void Presenter::Present(const std::uint32_t* pixels, int pitchBytes, std::span<const ColumnRange> mayDiffer) {
  if (LostShownFrame()) Invalidate();
  const std::span<const ScreenRect> changes = diff_.Changes(pixels, pitchBytes, mayDiffer);
  if (!changes.empty()) Show(pixels, pitchBytes, changes);
}

TexturePresenter::TexturePresenter(SDL_Window* window, RendererPtr renderer)
    : Presenter(window), renderer_(std::move(renderer)) {
  SDL_RenderSetLogicalSize(renderer_.get(), kFrameWidth, kFrameHeight);
  texture_ = Checked(TexturePtr(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                                  kFrameWidth, kFrameHeight)),
                     "cannot make the frame texture");
}

void TexturePresenter::Show(const std::uint32_t* pixels, int pitchBytes, std::span<const ScreenRect> changes) {
  for (const ScreenRect& r : changes) {
    const SDL_Rect area = ToSdl(r);
    SDL_UpdateTexture(texture_.get(), &area, At(pixels, pitchBytes, r.left, r.top), pitchBytes);
  }
  // The GPU redraws the whole window from the texture; only the upload was cut to what changed.
  SDL_RenderClear(renderer_.get());
  SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr);
  SDL_RenderPresent(renderer_.get());
}

SurfacePresenter::SurfacePresenter(SDL_Window* window) : Presenter(window) {
  if (!SDL_GetWindowSurface(window)) throw SdlError("cannot draw into the game window");
}

SDL_Point SurfacePresenter::ToFrame(int x, int y) {
  int w = 0, h = 0;
  SDL_GetWindowSize(Window(), &w, &h);
  const SDL_Rect area = FrameArea(w, h);
  if (area.w <= 0 || area.h <= 0) return {x, y};
  const auto scale = [](int v, int from, int size, int frame) {
    const long long offset = static_cast<long long>(v - from) * frame;
    return static_cast<int>(offset >= 0 ? offset / size : -((-offset + size - 1) / size));
  };
  return {scale(x, area.x, area.w, kFrameWidth), scale(y, area.y, area.h, kFrameHeight)};
}

bool SurfacePresenter::LostShownFrame() {
  const SDL_Surface* now = SDL_GetWindowSurface(Window());
  return !now || now != shownOn_ || now->w != shownWidth_ || now->h != shownHeight_;
}

void SurfacePresenter::Show(const std::uint32_t* pixels, int pitchBytes, std::span<const ScreenRect> changes) {
  SDL_Surface* target = SDL_GetWindowSurface(Window());
  if (!target) return;
  SurfacePtr frame(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels), kFrameWidth, kFrameHeight,
                                                      32, pitchBytes, SDL_PIXELFORMAT_RGB888));
  if (!frame) return;
  // After a loss the diff reports exactly the whole frame; the window around a scaled frame is then blank too.
  const bool whole = changes.size() == 1 && changes[0].left == 0 && changes[0].top == 0 &&
                     changes[0].right == kFrameWidth && changes[0].bottom == kFrameHeight;
  shownOn_ = target;
  shownWidth_ = target->w;
  shownHeight_ = target->h;
  sent_.clear();
  if (target->w == kFrameWidth && target->h == kFrameHeight) {
    for (const ScreenRect& r : changes) {
      SDL_Rect from = ToSdl(r), to = from;
      SDL_BlitSurface(frame.get(), &from, target, &to);
      sent_.push_back(ToSdl(r));
    }
  } else {
    // Scaled (full screen, or a window of another size): a filtered area depends on its neighbours, so the
    // whole frame is scaled again, and only the window pixels the changes reach are sent.
    const SDL_Rect area = FrameArea(target->w, target->h);
    SDL_Rect to = area;
    if (whole) SDL_FillRect(target, nullptr, 0);
    if (target->format->format != SDL_PIXELFORMAT_RGB888 || SDL_SoftStretchLinear(frame.get(), nullptr, target, &to) != 0) {
      to = area;
      SDL_BlitScaled(frame.get(), nullptr, target, &to);
    }
    if (whole) {
      sent_.push_back({0, 0, target->w, target->h});
    } else {
      for (const ScreenRect& r : changes) sent_.push_back(ScaledArea(r, area));
    }
  }
  SDL_UpdateWindowSurfaceRects(Window(), sent_.data(), static_cast<int>(sent_.size()));
}

}  // namespace gw::platform::sdl
