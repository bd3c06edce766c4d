// SPDX-License-Identifier: GPL-3.0-or-later
// Which way a desktop window's frames go: the GPU's, when there is a real one.
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/sdl/SdlPresenter.h"

namespace gw::platform::sdl {

namespace {

// A GPU can only be there when the kernel offers a DRM device; without one OpenGL would be emulated on the
// CPU, and merely trying it maps tens of megabytes of compiler into the process.
bool MayHaveGpu() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) return false;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec)) {
    if (entry.path().filename().string().rfind("render", 0) == 0) return true;
  }
  return false;
}

// True when the renderer draws through OpenGL emulated on the CPU (as on a machine without a GPU, or under a
// virtual X server).
bool IsSoftwareOpenGl(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned int);
  constexpr unsigned int kGlRenderer = 0x1F01;
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
  if (!name) return false;
  const std::string rendererName(reinterpret_cast<const char*>(name));
  return rendererName.find("llvmpipe") != std::string::npos || rendererName.find("softpipe") != std::string::npos ||
         rendererName.find("Software") != std::string::npos;
}

}  // namespace

std::unique_ptr<Presenter> MakePresenter(SDL_Window* window) {
  if (MayHaveGpu()) {
    RendererPtr renderer(SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED));
    if (renderer && !IsSoftwareOpenGl(renderer.get())) return std::make_unique<TexturePresenter>(window, std::move(renderer));
  }
  // A CPU-emulated GPU costs several times what a plain copy to the window does; and the window surface must
  // not be made through a renderer behind our back.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  return std::make_unique<SurfacePresenter>(window);
}

}  // namespace gw::platform::sdl
