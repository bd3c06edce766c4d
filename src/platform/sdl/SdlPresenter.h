// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two ways a finished frame reaches the window, each sending only what changed since the frame before:
// through an accelerated renderer (a streaming texture the GPU scales), or, where the GPU is only emulated on
// the CPU, as a plain copy into the window's own surface.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/FrameDiff.h"
#include "platform/sdl/SdlHandles.h"

namespace gw::platform::sdl {

// Where the frame lands in a window of the given size: scaled to fit, aspect kept, centred.
SDL_Rect FrameArea(int windowWidth, int windowHeight);
// The window pixels that a changed frame area can touch once the frame is scaled into `area`: one frame pixel
// beyond it on every side, since a filtered window pixel mixes its neighbours.
SDL_Rect ScaledArea(const ScreenRect& changed, const SDL_Rect& area);

class Presenter {
 public:
  explicit Presenter(SDL_Window* window);
  virtual ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // Shows the 800x600 frame of 0x00RRGGBB pixels (pitch in bytes); mayDiffer as Window::PresentChanged
  // has it, or empty when any pixel may have changed.
  void Present(const std::uint32_t* pixels, int pitchBytes, std::span<const ColumnRange> mayDiffer = {});
  // The next frame is sent whole: the window was rebuilt, resized or uncovered.
  void Invalidate() { diff_.Invalidate(); }
  // A mouse position from SDL in frame coordinates.
  virtual SDL_Point ToFrame(int x, int y) { return {x, y}; }

 protected:
  SDL_Window* Window() const { return window_; }

 private:
  // True when the window lost what was shown, so the next frame must go out whole.
  virtual bool LostShownFrame() { return false; }
  // Sends the changed areas (never none) of the frame.
  virtual void Show(const std::uint32_t* pixels, int pitchBytes, std::span<const ScreenRect> changes) = 0;
  static int WatchEvents(void* self, SDL_Event* e);

  SDL_Window* window_;
  FrameDiff diff_;
};

// The accelerated renderer: changed areas go into the texture, the GPU scales it into the window.
class TexturePresenter final : public Presenter {
 public:
  TexturePresenter(SDL_Window* window, RendererPtr renderer);

 private:
  void Show(const std::uint32_t* pixels, int pitchBytes, std::span<const ScreenRect> changes) override;

  RendererPtr renderer_;
  TexturePtr texture_;
};

// The plain copy: changed areas go into the window surface and only they are sent to the display.
class SurfacePresenter final : public Presenter {
 public:
  explicit SurfacePresenter(SDL_Window* window);
  // Window pixels to frame pixels (the renderer's logical size does this for the other path).
  SDL_Point ToFrame(int x, int y) override;

 private:
  bool LostShownFrame() override;
  void Show(const std::uint32_t* pixels, int pitchBytes, std::span<const ScreenRect> changes) override;

  // The window surface last drawn on; a new one, or one of a new size, starts blank.
  SDL_Surface* shownOn_ = nullptr;
  int shownWidth_ = 0, shownHeight_ = 0;
  std::vector<SDL_Rect> sent_;
};

// The accelerated renderer where a real GPU draws, else the plain copy.
std::unique_ptr<Presenter> MakePresenter(SDL_Window* window);

}  // namespace gw::platform::sdl
