#pragma once

#include "platform/Window.h"
#include "platform/sdl/SdlHandles.h"

namespace gw::platform::sdl {

// The game window over SDL2: a streaming texture holds the frame, the renderer scales it to full screen
// with its aspect kept, and mouse positions come back in frame coordinates.
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
  bool PumpWhileBusy(std::uint32_t waitMs) override;
  void Close() override;
  void ShowError(const std::string& message) override;

 private:
  void Dispatch(const SDL_Event& e, WindowEvents& events);

  SdlSubsystems video_{SDL_INIT_VIDEO | SDL_INIT_EVENTS};
  WindowPtr window_;
  RendererPtr renderer_;
  TexturePtr texture_;
  WindowEvents* events_ = nullptr;
  bool quit_ = false;
  int cursorCounter_ = 0;
};

}  // namespace gw::platform::sdl
