// SPDX-License-Identifier: GPL-3.0-or-later
// The game played with a controller: a virtual one plugged into SDL, read by the game's own controller layer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "net/ServerAddress.h"
#include "gfx/Cp1251.h"
#include "gfx/Draw.h"
#include "platform/sdl/SdlControllers.h"
#include "store/ConfigFile.h"
#include "support/Headless.h"

namespace gw::app {
namespace {

// A controller in SDL's virtual joystick driver, with the standard buttons and axes; unplugged when it goes.
class VirtualPad {
 public:
  VirtualPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    joystick_ = SDL_JoystickOpen(index);
    EXPECT_NE(joystick_, nullptr) << SDL_GetError();
    id_ = SDL_JoystickInstanceID(joystick_);
  }
  ~VirtualPad() { Unplug(); }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  void Set(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
  }
  void Set(SDL_GameControllerAxis axis, Sint16 value) { SDL_JoystickSetVirtualAxis(joystick_, axis, value); }
  void Unplug() {
    if (!joystick_) return;
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id_) SDL_JoystickDetachVirtual(i);
    }
  }

 private:
  SDL_Joystick* joystick_ = nullptr;
  SDL_JoystickID id_ = -1;
};

// The headless game with the real controller layer; SDL's events go to the game as the window's loop sends them.
struct PadGame : test::HeadlessGame {
  void Pump() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) controllers.Handle(e, *form);
  }
  void Press(SDL_GameControllerButton button, VirtualPad* on = nullptr) {
    VirtualPad& p = on ? *on : *pad;
    p.Set(button, true);
    Pump();
    p.Set(button, false);
    Pump();
  }
  void Presses(SDL_GameControllerButton button, int times) {
    for (int i = 0; i < times; ++i) Press(button);
  }
  // One pass of the message loop's idle work, a tick step later.
  void Idle() {
    clock.tick += 15;
    form->OnIdle();
  }
  void IdleUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) Idle();
  }
  std::int32_t State() const { return program.ScreenState; }

  // The subsystem first, so the pad is already there when the controllers are opened.
  platform::sdl::SdlSubsystems joysticks{SDL_INIT_GAMECONTROLLER};
  std::unique_ptr<VirtualPad> pad = std::make_unique<VirtualPad>();
  platform::sdl::SdlControllers controllers;
};

int YellowPixelsIn(const std::vector<std::uint32_t>& frame, const gfx::Rect& r) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) n += frame[static_cast<std::size_t>(y * 800 + x)] == gfx::kYellow;
  }
  return n;
}

TEST(Controller, AWholeGameFromTheSplashToANameSpelledWithTheDPad) {
  PadGame g;
  ASSERT_EQ(g.controllers.OpenCount(), 1u) << "a controller present at start";
  g.Idle();
  g.Press(SDL_CONTROLLER_BUTTON_A);
  ASSERT_EQ(g.State(), screen::kMenu);
  g.Press(SDL_CONTROLLER_BUTTON_A);  // new game
  ASSERT_EQ(g.State(), screen::kInGame);
  g.program.Game->Score = 5000;
  g.IdleUntil([&] { return g.program.Game->Phase == game::Playing; });
  g.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_TRUE(g.program.Game->Up.TongueOut) << "A fires";
  g.Press(SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(g.State(), screen::kPause);
  g.Press(SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(g.State(), screen::kInGame);
  g.Press(SDL_CONTROLLER_BUTTON_B);
  EXPECT_EQ(g.State(), screen::kInGame) << "B beside the fire button asks nothing in play";
  const int cursor = g.window.cursorCounter;
  g.Press(SDL_CONTROLLER_BUTTON_BACK);
  EXPECT_EQ(g.State(), screen::kQuitGameConfirm);
  g.Press(SDL_CONTROLLER_BUTTON_B);
  EXPECT_EQ(g.State(), screen::kInGame);
  EXPECT_EQ(g.window.cursorCounter, cursor);
  g.Press(SDL_CONTROLLER_BUTTON_BACK);
  g.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);  // "ДА"
  g.Press(SDL_CONTROLLER_BUTTON_A);
  g.IdleUntil([&] { return g.State() != screen::kInGame; });
  ASSERT_EQ(g.State(), screen::kNameEntry);
  const std::int32_t score = g.program.Game->Score;  // the tongue may have caught something

  ui::TDDEdit& name = *g.program.Controls.NameEdit;
  name.Text.clear();
  name.CharCount = 0;
  g.Presses(SDL_CONTROLLER_BUTTON_DPAD_UP, 4);  // А Б В Г
  g.Idle();
  EXPECT_GT(YellowPixelsIn(g.window.lastFrame, name.Bounds), 20) << "the letter being chosen stands apart";
  EXPECT_EQ(name.Text, "") << "not taken yet";
  g.Press(SDL_CONTROLLER_BUTTON_A);
  g.Idle();
  EXPECT_EQ(name.Text, gfx::ToCp1251("Г"));
  EXPECT_EQ(YellowPixelsIn(g.window.lastFrame, name.Bounds), 0);
  g.Presses(SDL_CONTROLLER_BUTTON_DPAD_DOWN, 16);  // Я, back to Р
  g.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  g.Presses(SDL_CONTROLLER_BUTTON_DPAD_UP, 3);  // a slip: В
  g.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  g.Press(SDL_CONTROLLER_BUTTON_B);  // deleted
  g.Presses(SDL_CONTROLLER_BUTTON_DPAD_UP, 16);  // О
  g.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(name.Text, gfx::ToCp1251("ГРО"));
  g.Presses(SDL_CONTROLLER_BUTTON_DPAD_UP, 14);  // М, confirmed as it is shown
  g.Press(SDL_CONTROLLER_BUTTON_START);
  // The send question only when the game knows a score server.
  EXPECT_EQ(g.State(), net::ConfiguredScoreServer() ? screen::kSendConfirm : screen::kHiScores);
  store::ConfigData saved;
  std::string error;
  ASSERT_EQ(store::ReadConfigFile("Config.cfg", saved, error), store::LoadStatus::Loaded);
  EXPECT_EQ(saved.hiScores[0].Name, gfx::ToCp1251("ГРОМ"));
  EXPECT_EQ(saved.hiScores[0].Score, score);
  g.Press(SDL_CONTROLLER_BUTTON_B);  // not sent
  EXPECT_EQ(g.State(), screen::kMenu);
}

TEST(Controller, TheOptionsRowsAndTheCountryFieldWithTheStickAndDPad) {
  PadGame g;
  g.program.ScreenState = screen::kMenu;
  g.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  g.Press(SDL_CONTROLLER_BUTTON_A);
  ASSERT_EQ(g.State(), screen::kOptions);
  ui::TDDOptBtnCollection& o = *g.program.Controls.OptionButtons;
  // The mouse rests over the display row; the controller takes over from it as the keys do.
  g.form->FormMouseMove(250, 250);
  g.Idle();
  ASSERT_EQ(o.ItemIndex, 0);
  g.Press(SDL_CONTROLLER_BUTTON_DPAD_UP);  // as the Up key: the next row on screen
  g.Idle();
  EXPECT_EQ(o.ItemIndex, 2);
  g.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  EXPECT_FALSE(g.program.Options.Music);
  g.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  EXPECT_TRUE(g.program.Options.Music);
  // The stick held up runs down the rows with a repeat: the sound row, then the field.
  g.pad->Set(SDL_CONTROLLER_AXIS_LEFTY, Sint16{-30000});
  g.Pump();
  EXPECT_EQ(o.ItemIndex, 4);
  g.IdleUntil([&] { return o.ItemIndex != 4; });
  g.pad->Set(SDL_CONTROLLER_AXIS_LEFTY, Sint16{0});
  g.Pump();
  ASSERT_EQ(o.ItemIndex, ui::TDDOptBtnCollection::kFieldItem);
  g.Press(SDL_CONTROLLER_BUTTON_A);
  ASSERT_TRUE(o.Edit.Editing);
  const std::string country = o.Edit.Text;
  g.Press(SDL_CONTROLLER_BUTTON_B);  // deletes the last letter
  g.Presses(SDL_CONTROLLER_BUTTON_DPAD_DOWN, 2);  // Я, Ю
  g.Press(SDL_CONTROLLER_BUTTON_START);  // takes it and ends typing
  EXPECT_FALSE(o.Edit.Editing);
  EXPECT_EQ(o.Edit.Text, country.substr(0, country.size() - 1) + gfx::ToCp1251("Ю"));
  g.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);  // out of the field again, as the Down key
  EXPECT_EQ(o.ItemIndex, 4);
  g.Press(SDL_CONTROLLER_BUTTON_B);
  EXPECT_EQ(g.State(), screen::kMenu);
}

TEST(Controller, PluggedInAndPulledOutMidGameThePlayersOwnControllerPausesTheGame) {
  PadGame g;
  g.pad->Unplug();
  g.Pump();
  ASSERT_EQ(g.controllers.OpenCount(), 0u);
  g.program.ScreenState = screen::kMenu;
  g.form->FormKeyDown(platform::vk::kReturn, false);
  ASSERT_EQ(g.State(), screen::kInGame);
  g.IdleUntil([&] { return g.program.Game->Phase == game::Playing; });

  VirtualPad first;
  VirtualPad second;
  g.Pump();
  EXPECT_EQ(g.controllers.OpenCount(), 2u);
  g.Press(SDL_CONTROLLER_BUTTON_A, &first);
  EXPECT_TRUE(g.program.Game->Up.TongueOut) << "a controller plugged in mid-game plays at once";
  g.form->FormKeyDown(platform::vk::kControl, false);  // then the keyboard
  first.Unplug();
  g.Pump();
  g.Idle();
  EXPECT_EQ(g.State(), screen::kInGame) << "the keyboard was the player's last input";
  EXPECT_EQ(g.controllers.OpenCount(), 1u);

  g.IdleUntil([&] { return !g.program.Game->Up.TongueOut; });
  VirtualPad third;
  g.Pump();
  g.Press(SDL_CONTROLLER_BUTTON_A, &third);
  second.Unplug();
  g.Pump();
  EXPECT_EQ(g.State(), screen::kInGame) << "not the player's controller";
  third.Unplug();
  g.Pump();
  EXPECT_EQ(g.State(), screen::kPause);
  EXPECT_EQ(g.controllers.OpenCount(), 0u);
  g.form->FormKeyDown(platform::vk::kEscape, false);
  EXPECT_EQ(g.State(), screen::kInGame) << "the game goes on from where it stopped";
}

}  // namespace
}  // namespace gw::app
