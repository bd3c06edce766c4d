// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl/SdlControllers.h"

#include <cstdio>
#include <optional>

namespace gw::platform::sdl {

namespace {

std::optional<PadButton> ButtonOf(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return PadButton::A;
    case SDL_CONTROLLER_BUTTON_B: return PadButton::B;
    case SDL_CONTROLLER_BUTTON_START: return PadButton::Start;
    case SDL_CONTROLLER_BUTTON_BACK: return PadButton::Back;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadButton::Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadButton::Down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadButton::Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadButton::Right;
    default: return std::nullopt;
  }
}

}  // namespace

SdlControllers::SdlControllers() {
  started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (!started_) {
    std::fprintf(stderr, "Grom Wumbler: no game controllers (%s)\n", SDL_GetError());
    return;
  }
  // SDL also announces these as added; Open skips one already open.
  for (int i = 0; i < SDL_NumJoysticks(); ++i) Open(i);
}

SdlControllers::~SdlControllers() {
  open_.clear();
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlControllers::Open(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || open_.contains(id)) return;
  GameControllerPtr pad(SDL_GameControllerOpen(deviceIndex));
  if (pad) open_.emplace(id, std::move(pad));
}

bool SdlControllers::Handle(const SDL_Event& e, PadEvents& events) {
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
      Open(e.cdevice.which);
      return true;
    case SDL_CONTROLLERDEVICEREMOVED:
      if (open_.erase(e.cdevice.which) > 0) events.OnPadRemoved(e.cdevice.which);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (const std::optional<PadButton> b = ButtonOf(e.cbutton.button); b && open_.contains(e.cbutton.which)) {
        events.OnPadButton(e.cbutton.which, *b, e.type == SDL_CONTROLLERBUTTONDOWN);
      }
      return true;
    case SDL_CONTROLLERAXISMOTION:
      if (!open_.contains(e.caxis.which)) return true;
      if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) events.OnPadAxis(e.caxis.which, PadAxis::LeftX, e.caxis.value);
      if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) events.OnPadAxis(e.caxis.which, PadAxis::LeftY, e.caxis.value);
      return true;
    default:
      return false;
  }
}

}  // namespace gw::platform::sdl
