// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "platform/Window.h"
#include "platform/sdl/SdlControllers.h"
#include "platform/sdl/SdlHandles.h"
#include "platform/sdl/SdlPresenter.h"

namespace gw::platform::sdl {

// The game window over SDL2: frames go out through a presenter that sends only what changed and scales the
// frame to the window (full screen, or a window the player has resized) with its aspect kept; mouse
// positions come back in frame coordinates.
class SdlWindow final : public Window {
 public:
  // now: milliseconds since start; the window's own clock for how long a display change takes to settle.
  explicit SdlWindow(std::function<std::uint64_t()> now = SDL_GetTicks64);

  void Setup(bool windowed) override;
  void Present(const std::uint32_t* pixels, int pitchBytes) override;
  void PresentChanged(const std::uint32_t* pixels, int pitchBytes, std::span<const ColumnRange> mayDiffer) override;
  bool IsActive() override;
  int ShowCursor(bool show) override;
  void WarpMouse(int x, int y) override;
  bool IsLetterKeyDown(char letter) override;
  std::pair<int, int> DesktopSize() override;
  ScreenRect WindowRect() override;
  void MoveWindowTo(int left, int top) override;
  void Minimize() override;
  void RunMessageLoop(WindowEvents& events) override;
  // The message loop's parts, for a loop that someone else drives (the browser's frame callback): the events
  // to dispatch to, then once per turn the queued messages; false once the window is to close.
  void Attach(WindowEvents& events);
  bool DispatchPending();
  bool PumpWhileBusy(std::uint32_t waitMs) override;
  void Close() override;
  void ShowError(const std::string& message) override;

 private:
  void Dispatch(const SDL_Event& e, WindowEvents& events);
  void DispatchWindowEvent(const SDL_WindowEvent& e, WindowEvents& events);
  // Motion events also come when our warp moves the cursor or the window changes under a still cursor;
  // neither is the player's movement. They are told apart by where the cursor is on the screen.
  std::pair<int, int> PointerOnScreen();
  bool IsPlayersMove();

  SdlSubsystems video_{SDL_INIT_VIDEO | SDL_INIT_EVENTS};
  SdlControllers controllers_;
  WindowPtr window_;
  std::unique_ptr<Presenter> presenter_;
  WindowEvents* events_ = nullptr;
  bool quit_ = false;
  int cursorCounter_ = 0;
  std::optional<std::pair<int, int>> heldPointer_;  // screen point the cursor was left at, not by the player
  // How long after a display change the motion it causes keeps coming (the window manager answers late).
  static constexpr std::uint64_t kSettleMs = 500;
  std::function<std::uint64_t()> now_;
  std::uint64_t settleUntil_ = 0;
  bool minimized_ = false;
};

}  // namespace gw::platform::sdl
