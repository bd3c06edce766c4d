// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/SdlWindow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gw::platform::sdl {
namespace {

// Runs the window's message loop for a script of idle passes and records the mouse moves it hands on.
class Script final : public WindowEvents {
 public:
  Script(SdlWindow& window, std::vector<std::function<void()>> steps) : window_(window), steps_(std::move(steps)) {}

  void OnKeyDown(std::uint16_t key, bool, std::string_view typed) override { keys.emplace_back(key, typed); }
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
  void OnPadButton(PadId, PadButton button, bool down) override {
    if (down) padPresses.push_back(button);
  }
  void OnPadAxis(PadId, PadAxis, std::int16_t) override {}
  void OnPadRemoved(PadId) override { ++padsRemoved; }

  std::vector<std::pair<int, int>> moves;
  std::vector<PadButton> padPresses;
  int padsRemoved = 0;
  std::vector<std::pair<std::uint16_t, std::string>> keys;

 private:
  SdlWindow& window_;
  std::vector<std::function<void()>> steps_;
  std::size_t next_ = 0;
};

SDL_Window* GameWindow() {
  for (Uint32 id = 1; id < 16; ++id) {
    SDL_Window* w = SDL_GetWindowFromID(id);
    if (w && std::string_view(SDL_GetWindowTitle(w)) == "Grom Wumbler") return w;
  }
  return nullptr;
}

// The player's hand moves the cursor: the system moves it and reports the motion.
void PlayerMovesTo(int x, int y) { SDL_WarpMouseInWindow(GameWindow(), x, y); }

// The window changes under a cursor that stays put (a display switch): a motion event, the cursor still.
void WindowMovesUnderTheCursor(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  SDL_PushEvent(&e);
}

TEST(SdlWindowMouse, OnlyThePlayersMovesReachTheGame) {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::uint64_t now = 0;
  SdlWindow window([&] { return now; });
  window.Setup(true);
  ASSERT_NE(GameWindow(), nullptr);
  Script script(window, {
                            [&] { WindowMovesUnderTheCursor(400, 300); },  // it appears under the cursor
                            [&] { now = 1000; },
                            [&] { window.WarpMouse(400, 300); },  // held in the middle during play
                            [&] { PlayerMovesTo(120, 80); },
                            [&] { window.WarpMouse(400, 300); },
                            [&] { WindowMovesUnderTheCursor(250, 167); },
                            [&] { PlayerMovesTo(250, 190); },
                            [&] { PlayerMovesTo(260, 200); },
                            // A display switch: whatever moves meanwhile is the switch's doing.
                            [&] { window.Setup(true); },
                            [&] { PlayerMovesTo(500, 400); },
                            [&] { now = 1499; },
                            [&] { WindowMovesUnderTheCursor(250, 167); },
                            [&] { now = 1500; },
                            [&] { WindowMovesUnderTheCursor(500, 400); },
                            [&] { PlayerMovesTo(510, 410); },
                        });
  window.RunMessageLoop(script);
  const std::vector<std::pair<int, int>> expected = {{120, 80}, {250, 190}, {260, 200}, {510, 410}};
  EXPECT_EQ(script.moves, expected);
}

void KeyPress(SDL_Scancode key, const char* text = nullptr) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.scancode = key;
  SDL_PushEvent(&e);
  if (!text) return;
  SDL_Event t{};
  t.type = SDL_TEXTINPUT;
  SDL_strlcpy(t.text.text, text, sizeof t.text.text);
  SDL_PushEvent(&t);
}

TEST(SdlWindowKeys, AKeyPressCarriesTheTextTypedRightAfterIt) {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  SdlWindow window;
  window.Setup(true);
  Script script(window, {[] {
                  KeyPress(SDL_SCANCODE_A, "\xD1\x84");  // ф on a Russian layout
                  KeyPress(SDL_SCANCODE_SEMICOLON);  // a dead key: no text of its own
                  KeyPress(SDL_SCANCODE_LEFT);
                  KeyPress(SDL_SCANCODE_GRAVE, "\xD1\x91");  // ё
                }});
  window.RunMessageLoop(script);
  const std::vector<std::pair<std::uint16_t, std::string>> expected = {
      {vk::Letter('A'), "\xD1\x84"}, {vk::kSemicolon, ""}, {vk::kLeft, ""}, {vk::kGrave, "\xD1\x91"}};
  EXPECT_EQ(script.keys, expected);
}

TEST(SdlWindowPads, AControllerPluggedInWhileTheGameRunsReachesTheGameUntilPulledOut) {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  // The dummy display gives no window the focus, which SDL otherwise asks of controller input.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  SdlWindow window;
  window.Setup(true);
  SDL_Joystick* pad = nullptr;
  int index = -1;
  Script script(window, {[&] {
                           SDL_VirtualJoystickDesc desc{};
                           desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
                           desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
                           desc.naxes = SDL_CONTROLLER_AXIS_MAX;
                           desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
                           index = SDL_JoystickAttachVirtualEx(&desc);
                           pad = SDL_JoystickOpen(index);
                         },
                         [&] { SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 1); },
                         [&] { SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 0); },
                         [&] { SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_X, 1); },
                         [&] { SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1); },
                         [&] {
                           SDL_JoystickClose(pad);
                           SDL_JoystickDetachVirtual(index);
                         },
                         [] {}});
  window.RunMessageLoop(script);
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, nullptr);
  EXPECT_EQ(script.padPresses, (std::vector<PadButton>{PadButton::Start, PadButton::Left})) << "X means nothing";
  EXPECT_EQ(script.padsRemoved, 1);
}

}  // namespace
}  // namespace gw::platform::sdl
