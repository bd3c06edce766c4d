// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>

#include "platform/Pad.h"
#include "platform/sdl/SdlHandles.h"

namespace gw::platform::sdl {

using GameControllerPtr = std::unique_ptr<SDL_GameController, Deleter<SDL_GameControllerClose>>;

// Every connected game controller, through SDL's mapping database so any common pad has its buttons in the
// same places: those present at start and those plugged in later are opened, a removed one is closed.
// Without the controller subsystem the game runs on the keyboard and mouse alone.
class SdlControllers {
 public:
  SdlControllers();
  ~SdlControllers();
  SdlControllers(const SdlControllers&) = delete;
  SdlControllers& operator=(const SdlControllers&) = delete;

  // Handles one event if it is a controller's; returns whether it was.
  bool Handle(const SDL_Event& e, PadEvents& events);
  std::size_t OpenCount() const { return open_.size(); }

 private:
  void Open(int deviceIndex);

  bool started_ = false;
  std::map<SDL_JoystickID, GameControllerPtr> open_;
};

}  // namespace gw::platform::sdl
