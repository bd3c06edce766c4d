#include "platform/sdl/SdlWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace gw::platform::sdl {
namespace {

// Runs the window's message loop for a script of idle passes and records the mouse moves it hands on.
class Script final : public WindowEvents {
 public:
  Script(SdlWindow& window, std::vector<std::function<void()>> steps) : window_(window), steps_(std::move(steps)) {}

  void OnKeyDown(std::uint16_t, bool) override {}
  void OnMouseMove(int x, int y) override { moves.emplace_back(x, y); }
  void OnMouseDown() override {}
  bool OnCloseQuery() override { return true; }
  bool OnIdle() override {
    if (next_ < steps_.size()) {
      steps_[next_++]();
    } else {
      window_.Close();
    }
    return true;
  }
  void OnActivate() override {}
  void OnDeactivate() override {}
  void OnRestore() override {}
  void OnMaximize() override {}
  void OnMove() override {}

  std::vector<std::pair<int, int>> moves;

 private:
  SdlWindow& window_;
  std::vector<std::function<void()>> steps_;
  std::size_t next_ = 0;
};

// A motion event as the system reports the player's hand on the mouse.
void PlayerMovesTo(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  e.motion.xrel = 1;
  SDL_PushEvent(&e);
}

TEST(SdlWindowMouse, OnlyThePlayersMovesReachTheGameNotTheProgramsOwnWarps) {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  SdlWindow window;
  window.Setup(true);
  Script script(window, {
                            [&] { window.WarpMouse(400, 300); },  // held in the middle during play
                            [&] { PlayerMovesTo(120, 80); },
                            [&] { window.WarpMouse(400, 300); },
                            [&] { window.WarpMouse(400, 300); },
                            [&] { PlayerMovesTo(250, 190); },
                        });
  window.RunMessageLoop(script);
  const std::vector<std::pair<int, int>> expected = {{120, 80}, {250, 190}};
  EXPECT_EQ(script.moves, expected);
}

}  // namespace
}  // namespace gw::platform::sdl
