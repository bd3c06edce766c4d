// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/SdlWindow.h"

#include <algorithm>
#include <span>
#include <string>

#include "platform/Clock.h"
#include "platform/WindowIcon.h"

namespace gw::platform::sdl {

namespace {

std::uint16_t VirtualKey(const SDL_Keysym& key) {
  const SDL_Scancode sc = key.scancode;
  // Letters by physical position, so they do not depend on the keyboard layout.
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return static_cast<std::uint16_t>(65 + (sc - SDL_SCANCODE_A));
  switch (sc) {
    case SDL_SCANCODE_BACKSPACE: return vk::kBack;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return vk::kReturn;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return vk::kControl;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return vk::kMenu;
    case SDL_SCANCODE_ESCAPE: return vk::kEscape;
    case SDL_SCANCODE_SPACE: return vk::kSpace;
    case SDL_SCANCODE_LEFT: return vk::kLeft;
    case SDL_SCANCODE_UP: return vk::kUp;
    case SDL_SCANCODE_RIGHT: return vk::kRight;
    case SDL_SCANCODE_DOWN: return vk::kDown;
    case SDL_SCANCODE_F1: return vk::kF1;
    case SDL_SCANCODE_SEMICOLON: return vk::kSemicolon;
    case SDL_SCANCODE_COMMA: return vk::kComma;
    case SDL_SCANCODE_PERIOD: return vk::kPeriod;
    case SDL_SCANCODE_GRAVE: return vk::kGrave;
    case SDL_SCANCODE_LEFTBRACKET: return vk::kLeftBracket;
    case SDL_SCANCODE_RIGHTBRACKET: return vk::kRightBracket;
    case SDL_SCANCODE_APOSTROPHE: return vk::kApostrophe;
    default: return vk::kOther;
  }
}

// The text a key press typed: SDL queues it as the event right after the key's own.
std::string TextOfKeyPress() {
  SDL_Event next;
  if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1 || next.type != SDL_TEXTINPUT) {
    return {};
  }
  return next.text.text;
}

// The game's own icon, so a window manager shows it and not a generic one (SDL copies the pixels).
void SetIcon(SDL_Window* window) {
  const std::span<const std::uint32_t> pixels = WindowIconPixels();
  const int size = WindowIconSize();
  const SurfacePtr icon(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels.data()), size, size, 32,
                                                           size * 4, SDL_PIXELFORMAT_ARGB8888));
  if (icon) SDL_SetWindowIcon(window, icon.get());
}

}  // namespace

SdlWindow::SdlWindow(std::function<std::uint64_t()> now) : now_(std::move(now)) {
  SDL_SetHint(SDL_HINT_APP_NAME, "GromWumbler");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  window_ = Checked(WindowPtr(SDL_CreateWindow("Grom Wumbler", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                               kFrameWidth, kFrameHeight, SDL_WINDOW_HIDDEN)),
                    "cannot open the game window");
  SetIcon(window_.get());
  presenter_ = MakePresenter(window_.get());
}

void SdlWindow::Setup(bool windowed) {
  SDL_Window* w = window_.get();
  // The window changes under the cursor now, and the system may move the cursor with it: the motion
  // reported meanwhile is not the player's.
  heldPointer_ = PointerOnScreen();
  settleUntil_ = now_() + kSettleMs;
  if (windowed) {
    SDL_SetWindowFullscreen(w, 0);
    // Full screen may have come from the maximise button; the window goes back to its own size.
    if ((SDL_GetWindowFlags(w) & SDL_WINDOW_MAXIMIZED) != 0) SDL_RestoreWindow(w);
    SDL_SetWindowBordered(w, SDL_TRUE);
    // Resizable, or the window manager offers no maximise (which switches to full screen); a dragged
    // edge scales the picture with its aspect kept.
    SDL_SetWindowResizable(w, SDL_TRUE);
    SDL_SetWindowSize(w, kFrameWidth, kFrameHeight);
    SDL_SetWindowPosition(w, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  } else {
    SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  SDL_ShowWindow(w);
  presenter_->Invalidate();
}

void SdlWindow::Present(const std::uint32_t* pixels, int pitchBytes) { presenter_->Present(pixels, pitchBytes); }

void SdlWindow::PresentChanged(const std::uint32_t* pixels, int pitchBytes, std::span<const ColumnRange> mayDiffer) {
  presenter_->Present(pixels, pitchBytes, mayDiffer);
}

bool SdlWindow::IsActive() { return (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_INPUT_FOCUS) != 0; }

int SdlWindow::ShowCursor(bool show) {
  cursorCounter_ += show ? 1 : -1;
  SDL_ShowCursor(cursorCounter_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCounter_;
}

void SdlWindow::WarpMouse(int x, int y) {
  // The frame may be scaled in full screen: map the frame point to window pixels.
  int ww = 0, wh = 0;
  SDL_GetWindowSize(window_.get(), &ww, &wh);
  const SDL_Rect area = FrameArea(ww, wh);
  const int wx = area.x + x * area.w / kFrameWidth;
  const int wy = area.y + y * area.h / kFrameHeight;
  SDL_WarpMouseInWindow(window_.get(), wx, wy);
  int left = 0, top = 0;
  SDL_GetWindowPosition(window_.get(), &left, &top);
  heldPointer_ = {left + wx, top + wy};
}

std::pair<int, int> SdlWindow::PointerOnScreen() {
  // SDL's own record of the cursor in the window, updated as each motion arrives, plus where the window
  // is. (SDL's global cursor query may answer from a cache that real moves do not refresh.)
  int left = 0, top = 0, x = 0, y = 0;
  SDL_GetWindowPosition(window_.get(), &left, &top);
  SDL_GetMouseState(&x, &y);
  return {left + x, top + y};
}

bool SdlWindow::IsPlayersMove() {
  if (now_() < settleUntil_) {
    heldPointer_ = PointerOnScreen();
    return false;
  }
  if (!heldPointer_) return true;
  if (PointerOnScreen() == *heldPointer_) return false;
  // The player has moved the cursor away: from now on every motion is theirs, also the ones still queued
  // (the later ones end where the hand did).
  heldPointer_.reset();
  return true;
}

bool SdlWindow::IsLetterKeyDown(char letter) {
  if (letter < 'A' || letter > 'Z') return false;
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  return state && state[SDL_SCANCODE_A + (letter - 'A')] != 0;
}

std::pair<int, int> SdlWindow::DesktopSize() {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {kFrameWidth, kFrameHeight};
  return {mode.w, mode.h};
}

ScreenRect SdlWindow::WindowRect() {
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(window_.get(), &x, &y);
  SDL_GetWindowSize(window_.get(), &w, &h);
  return {x, y, x + w, y + h};
}

void SdlWindow::MoveWindowTo(int left, int top) { SDL_SetWindowPosition(window_.get(), left, top); }

void SdlWindow::Minimize() { SDL_MinimizeWindow(window_.get()); }

void SdlWindow::Close() {
  // Closing asks the game first, as the window's own close button does.
  if (events_ && events_->OnCloseQuery()) quit_ = true;
}

void SdlWindow::ShowError(const std::string& message) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Grom Wumbler", message.c_str(), window_.get());
}

void SdlWindow::Dispatch(const SDL_Event& e, WindowEvents& events) {
  switch (e.type) {
    case SDL_QUIT:
      Close();
      break;
    case SDL_KEYDOWN:
      events.OnKeyDown(VirtualKey(e.key.keysym), (e.key.keysym.mod & KMOD_ALT) != 0, TextOfKeyPress());
      break;
    case SDL_MOUSEMOTION: {
      if (!IsPlayersMove()) break;
      const SDL_Point at = presenter_->ToFrame(e.motion.x, e.motion.y);
      events.OnMouseMove(at.x, at.y);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
      events.OnMouseDown();
      break;
    case SDL_WINDOWEVENT:
      DispatchWindowEvent(e.window, events);
      break;
    default:
      controllers_.Handle(e, events);
      break;
  }
}

void SdlWindow::DispatchWindowEvent(const SDL_WindowEvent& e, WindowEvents& events) {
  switch (e.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // The window manager answers a display change late and in steps; the change settles from the last.
      settleUntil_ = std::max(settleUntil_, now_() + kSettleMs);
      break;
    default:
      break;
  }
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: Close(); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: events.OnActivate(); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: events.OnDeactivate(); break;
    case SDL_WINDOWEVENT_MINIMIZED: minimized_ = true; break;
    case SDL_WINDOWEVENT_RESTORED:
      // Also sent when a maximised window gets its size back; only the return from the taskbar counts.
      if (minimized_) {
        minimized_ = false;
        events.OnRestore();
      }
      break;
    case SDL_WINDOWEVENT_MAXIMIZED:
      if ((SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_FULLSCREEN) == 0) events.OnMaximize();
      break;
    case SDL_WINDOWEVENT_MOVED: events.OnMove(); break;
    default: break;
  }
}

void SdlWindow::RunMessageLoop(WindowEvents& events) {
  Attach(events);
  while (DispatchPending()) {
    // When no frame was due, wait for the next tick step or the next event instead of spinning a core.
    if (!events.OnIdle()) SDL_WaitEventTimeout(nullptr, static_cast<int>(MsUntilNextTick(SDL_GetTicks64())));
  }
  events_ = nullptr;
}

void SdlWindow::Attach(WindowEvents& events) {
  events_ = &events;
  quit_ = false;
}

bool SdlWindow::DispatchPending() {
  SDL_Event e;
  while (!quit_ && events_ && SDL_PollEvent(&e)) Dispatch(e, *events_);
  return !quit_;
}

bool SdlWindow::PumpWhileBusy(std::uint32_t waitMs) {
  bool closeAsked = false;
  SDL_Event e;
  if (!SDL_WaitEventTimeout(&e, static_cast<int>(waitMs))) return false;
  do {
    if (e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
      closeAsked = true;
    } else if (e.type == SDL_WINDOWEVENT && events_) {
      DispatchWindowEvent(e.window, *events_);
    } else if (events_) {
      // Controllers come and go, and the game keeps track of what is held; the wait screen gives no button
      // a meaning.
      controllers_.Handle(e, *events_);
    }
    // Keys, clicks and mouse motion are not taken while the game waits.
  } while (SDL_PollEvent(&e));
  return closeAsked;
}

}  // namespace gw::platform::sdl
