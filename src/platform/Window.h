// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one game window as the game needs it: set up for a display mode, show a finished 800x600 frame,
// the cursor, the physical keyboard state, and the message loop that calls WindowEvents.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Pad.h"

namespace gw::platform {

inline constexpr int kFrameWidth = 800;
inline constexpr int kFrameHeight = 600;

// Virtual-key codes the game's key handling is written against.
namespace vk {
inline constexpr std::uint16_t kBack = 8, kReturn = 13, kControl = 17, kMenu = 18, kEscape = 27, kSpace = 32,
                               kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kF1 = 112,
                               kOther = 255;  // any key the game gives no meaning
// The punctuation keys that carry letters on a Russian keyboard, named by what they carry on a US one.
inline constexpr std::uint16_t kSemicolon = 0xBA, kComma = 0xBC, kPeriod = 0xBE, kGrave = 0xC0, kLeftBracket = 0xDB,
                               kRightBracket = 0xDD, kApostrophe = 0xDE;
constexpr std::uint16_t Letter(char c) { return static_cast<std::uint16_t>(c - 'A' + 65); }
}  // namespace vk

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Columns left to right (exclusive) of one row of the frame; none when right <= left.
struct ColumnRange {
  int left = 0, right = 0;
};

// Handlers the message loop calls, named after the window events they stand for; game controllers come
// through the same loop.
class WindowEvents : public PadEvents {
 public:
  virtual ~WindowEvents() = default;
  // typed: the UTF-8 text the player's keyboard layout typed with this key press, empty when none.
  virtual void OnKeyDown(std::uint16_t key, bool alt, std::string_view typed) = 0;
  virtual void OnMouseMove(int x, int y) = 0;
  virtual void OnMouseDown() = 0;
  // Returns whether the window may close.
  virtual bool OnCloseQuery() = 0;
  // One idle pass; returns true when a frame was drawn (the loop waits a little otherwise).
  virtual bool OnIdle() = 0;
  virtual void OnActivate() = 0;
  virtual void OnDeactivate() = 0;
  virtual void OnRestore() = 0;
  virtual void OnMaximize() = 0;
  virtual void OnMove() = 0;
};

class Window {
 public:
  virtual ~Window() = default;
  // Makes the window fit the mode: a framed, centred window with an 800x600 client area, or full screen.
  virtual void Setup(bool windowed) = 0;
  // Shows one 800x600 frame of 0x00RRGGBB pixels; pitch in bytes.
  virtual void Present(const std::uint32_t* pixels, int pitchBytes) = 0;
  // The same, told for each of the 600 rows the columns that may differ from the frame presented before;
  // every other pixel is as it was then. A window that has no use for this shows the whole frame.
  virtual void PresentChanged(const std::uint32_t* pixels, int pitchBytes, std::span<const ColumnRange> mayDiffer) {
    (void)mayDiffer;
    Present(pixels, pitchBytes);
  }
  virtual bool IsActive() = 0;
  // The show-cursor counter: +1 or -1; the cursor is visible while the counter is >= 0. Returns the counter.
  virtual int ShowCursor(bool show) = 0;
  // Moves the mouse to a point of the 800x600 picture.
  virtual void WarpMouse(int x, int y) = 0;
  // Physical key state of a letter key A..Z, independent of the keyboard layout.
  virtual bool IsLetterKeyDown(char letter) = 0;
  virtual std::pair<int, int> DesktopSize() = 0;
  virtual ScreenRect WindowRect() = 0;
  virtual void MoveWindowTo(int left, int top) = 0;
  virtual void Minimize() = 0;
  // Runs the message loop until Close is called.
  virtual void RunMessageLoop(WindowEvents& events) = 0;
  // While the game waits for work on another thread: handles the window's messages for at most waitMs so the
  // desktop sees a live window, drops the player's keys and clicks, and returns whether the user asked to close
  // the window (the caller answers that request once the wait is over).
  virtual bool PumpWhileBusy(std::uint32_t waitMs) = 0;
  virtual void Close() = 0;
  // A message box over the window, for the error that stops the game.
  virtual void ShowError(const std::string& message) = 0;
};

}  // namespace gw::platform
