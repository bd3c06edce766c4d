// Program entry: the font, the window and its services, the message loop, and the installation's
// outside documents after it.

#include <cstdio>
#include <exception>

#include "app/Form.h"
#include "platform/sdl/SdlServices.h"
#include "platform/sdl/SdlWindow.h"

int main(int, char**) {
  using namespace gw;
  try {
    auto font = gfx::GameFont::Load();
    platform::sdl::SdlWindow window;
    platform::sdl::SdlClock clock;
    platform::sdl::SdlShell shell;
    platform::sdl::SdlImageDecoder decoder;
    audio::SilentSound sound;
    app::Program program;
    app::MainForm form({clock, window, shell, decoder, sound, *font}, program);
    window.RunMessageLoop(form);
    form.OpenIfExists("tolvex.exe");
    form.OpenIfExists("Play.url");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Grom Wumbler cannot run: %s\n", e.what());
    return 1;
  }
  return 0;
}
