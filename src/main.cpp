// Program entry: the font, the window and its services, the message loop, and the installation's
// outside documents after it.

#include <cstdio>
#include <exception>
#include <memory>

#include "app/Form.h"
#include "platform/sdl/SdlServices.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/SoundSystem.h"

namespace {

int Fatal(const char* what) {
  std::fprintf(stderr, "Grom Wumbler cannot run: %s\n", what);
  return 1;
}

}  // namespace

int main(int, char**) {
  using namespace gw;
  std::unique_ptr<gfx::GameFont> font;
  std::unique_ptr<platform::sdl::SdlWindow> window;
  try {
    font = gfx::GameFont::Load();
    window = std::make_unique<platform::sdl::SdlWindow>();
  } catch (const std::exception& e) {
    return Fatal(e.what());
  }
  try {
    platform::sdl::SdlClock clock;
    platform::sdl::SdlShell shell;
    platform::sdl::SdlImageDecoder decoder;
    platform::sdl::SoundSystem sound;
    app::Program program;
    app::MainForm form({clock, *window, shell, decoder, sound.Sound(), *font}, program);
    window->RunMessageLoop(form);
    form.OpenIfExists("tolvex.exe");
    form.OpenIfExists("Play.url");
  } catch (const std::exception& e) {
    const int code = Fatal(e.what());
    window->ShowError(std::string("Grom Wumbler cannot run:\n") + e.what());
    return code;
  }
  return 0;
}
