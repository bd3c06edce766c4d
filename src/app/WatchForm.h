// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Showing a recorded game in the game's window: its frames one a tick step, as they were played, with the game's
// sound, and the end of the run at the game's end or on Escape. The settings (window or full screen, music,
// sound) are the player's, read by the caller; nothing is written: no table entry, no save.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "app/Form.h"
#include "game/Game.h"
#include "game/Random.h"
#include "game/Recording.h"
#include "game/Replay.h"
#include "gfx/Display.h"
#include "gfx/ImageTables.h"
#include "store/Options.h"

namespace gw::app {

class WatchForm final : public platform::WindowEvents {
 public:
  // Sets the window up for the settings' mode, loads the pictures (throws as the game's start does) and starts
  // the song of play; the first frame comes with the first idle pass. The recording must outlive the form.
  WatchForm(Services services, const game::Recording& recording, const store::TOptions& options);
  ~WatchForm() override;
  WatchForm(const WatchForm&) = delete;
  WatchForm& operator=(const WatchForm&) = delete;

  const game::TGame& Game() const { return driver_->Game(); }
  std::uint32_t FramesShown() const { return shown_; }
  // The recording is over, or Escape ended it: the window has been asked to close.
  bool Over() const { return over_; }

  void OnKeyDown(std::uint16_t key, bool alt, std::string_view typed) override;
  void OnMouseMove(int, int) override {}
  void OnMouseDown() override {}
  bool OnCloseQuery() override { return true; }
  bool OnIdle() override;
  void OnActivate() override {}
  void OnDeactivate() override {}
  void OnRestore() override;
  void OnMaximize() override {}
  void OnMove() override {}
  void OnPadButton(platform::PadId, platform::PadButton, bool) override {}
  void OnPadAxis(platform::PadId, platform::PadAxis, std::int16_t) override {}
  void OnPadRemoved(platform::PadId) override {}

 private:
  void LoadImages();
  void End();

  // The window as the game core sees it while it is only watched: the same window, but the mouse is the viewer's
  // and is never held in the middle.
  class LooseMouseWindow final : public platform::Window {
   public:
    explicit LooseMouseWindow(platform::Window& window) : w_(window) {}
    void Setup(bool windowed) override { w_.Setup(windowed); }
    void Present(const std::uint32_t* pixels, int pitchBytes) override { w_.Present(pixels, pitchBytes); }
    void PresentChanged(const std::uint32_t* pixels, int pitchBytes,
                        std::span<const platform::ColumnRange> mayDiffer) override {
      w_.PresentChanged(pixels, pitchBytes, mayDiffer);
    }
    bool IsActive() override { return w_.IsActive(); }
    int ShowCursor(bool show) override { return w_.ShowCursor(show); }
    void WarpMouse(int, int) override {}
    bool IsLetterKeyDown(char letter) override { return w_.IsLetterKeyDown(letter); }
    std::pair<int, int> DesktopSize() override { return w_.DesktopSize(); }
    platform::ScreenRect WindowRect() override { return w_.WindowRect(); }
    void MoveWindowTo(int left, int top) override { w_.MoveWindowTo(left, top); }
    void Minimize() override { w_.Minimize(); }
    void RunMessageLoop(platform::WindowEvents& events) override { w_.RunMessageLoop(events); }
    bool PumpWhileBusy(std::uint32_t waitMs) override { return w_.PumpWhileBusy(waitMs); }
    void Close() override { w_.Close(); }
    void ShowError(const std::string& message) override { w_.ShowError(message); }

   private:
    platform::Window& w_;
  };

  Services s_;
  LooseMouseWindow gameWindow_;
  store::TOptions options_;
  gfx::ImageTables images_;
  gfx::Display display_;
  // What the game core is handed besides the recording: the draws and the table come from elsewhere in a
  // recorded game (the recording; nobody's table), and the screen state is the replay's own.
  game::Random unusedRandom_;
  store::HiScoreTable noTable_{};
  std::int32_t screenState_ = 0;
  std::unique_ptr<game::ReplayDriver> driver_;
  std::uint32_t lastFrameEnd_ = 0;
  std::uint32_t shown_ = 0;
  bool over_ = false;
};

}  // namespace gw::app
