// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One owning pointer type per SDL handle, and a loud failure when SDL cannot make one.

#include <SDL.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/Deleter.h"

namespace gw::platform::sdl {

class SdlError : public std::runtime_error {
 public:
  explicit SdlError(const std::string& what) : std::runtime_error(what + ": " + SDL_GetError()) {}
};

using WindowPtr = std::unique_ptr<SDL_Window, Deleter<SDL_DestroyWindow>>;
using RendererPtr = std::unique_ptr<SDL_Renderer, Deleter<SDL_DestroyRenderer>>;
using TexturePtr = std::unique_ptr<SDL_Texture, Deleter<SDL_DestroyTexture>>;
using SurfacePtr = std::unique_ptr<SDL_Surface, Deleter<SDL_FreeSurface>>;
using RWopsPtr = std::unique_ptr<SDL_RWops, Deleter<SDL_RWclose>>;

template <typename Ptr>
Ptr Checked(Ptr p, const char* what) {
  if (!p) throw SdlError(what);
  return p;
}

// SDL_Init for the subsystems asked for, undone when the owner goes.
class SdlSubsystems {
 public:
  explicit SdlSubsystems(Uint32 flags) : flags_(flags) {
    // Ctrl+C and SIGTERM end the program as for any other; only the window's own close asks first.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(flags) != 0) throw SdlError("SDL could not start");
  }
  ~SdlSubsystems() { SDL_QuitSubSystem(flags_); }
  SdlSubsystems(const SdlSubsystems&) = delete;
  SdlSubsystems& operator=(const SdlSubsystems&) = delete;

 private:
  Uint32 flags_;
};

}  // namespace gw::platform::sdl
