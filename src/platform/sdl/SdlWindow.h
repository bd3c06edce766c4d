#pragma once

#include "platform/Window.h"
#include "platform/sdl/SdlHandles.h"
#include "platform/sdl/SdlPresenter.h"

namespace gw::platform::sdl {

// The game window over SDL2: frames go out through a presenter that sends only what changed and scales to
// full screen with the aspect kept; mouse positions come back in frame coordinates.
class SdlWindow final : public Window {
 public:
  SdlWindow();

  void Setup(bool windowed) override;
  void Present(const std::uint32_t* pixels, int pitchBytes) override;
  bool IsActive() override;
  int ShowCursor(bool show) override;
  void WarpMouse(int x, int y) override;
  bool IsLetterKeyDown(char letter) override;
  std::pair<int, int> DesktopSize() override;
  ScreenRect WindowRect() override;
  void MoveWindowTo(int left, int top) override;
  void Minimize() override;
  void RunMessageLoop(WindowEvents& events) override;
  void Close() override;
  void ShowError(const std::string& message) override;

 private:
  void Dispatch(const SDL_Event& e, WindowEvents& events);

  SdlSubsystems video_{SDL_INIT_VIDEO | SDL_INIT_EVENTS};
  WindowPtr window_;
  std::unique_ptr<Presenter> presenter_;
  WindowEvents* events_ = nullptr;
  bool quit_ = false;
  int cursorCounter_ = 0;
};

}  // namespace gw::platform::sdl
