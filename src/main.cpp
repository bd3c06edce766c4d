// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: the font, the window and its services, the message loop, and the installation's
// outside documents after it; or, asked for, a recorded game shown in the same window.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "app/Form.h"
#include "app/GameFolder.h"
#include "app/StartMessages.h"
#include "app/WatchForm.h"
#include "game/RecordingFile.h"
#include "platform/PlayerFolder.h"
#include "platform/Utf8Path.h"
#include "store/ConfigPlace.h"
#include "store/TableLock.h"
#include "platform/sdl/SdlServices.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/SoundSystem.h"

namespace {

int Fatal(const char* what) {
  std::fprintf(stderr, "Grom Wumbler cannot run: %s\n", what);
  return 1;
}

// The folder the program file is in; empty when the system cannot tell.
std::filesystem::path ProgramFolder() {
  const std::unique_ptr<char, gw::platform::Deleter<SDL_free>> base(SDL_GetBasePath());
  // SDL names it in UTF-8, whatever the system's own code page.
  return base ? gw::platform::PathFromUtf8(base.get()) : std::filesystem::path();
}

// Shows a recorded game. The player's settings are read and nothing is written, so the table is not locked:
// watching may go on beside a game being played.
int Watch(const std::string& file, gw::platform::sdl::SdlWindow& window, gw::gfx::GameFont& font) {
  using namespace gw;
  game::WatchableGame watched;
  try {
    // Read before the game folder becomes the current folder: the name is the player's, from where they are.
    watched = game::ReadRecordingFile(file);
  } catch (const game::RecordingError& e) {
    std::fprintf(stderr, "Grom Wumbler cannot show the recorded game %s\n", e.what());
    window.ShowError(app::CannotWatchMessage(file));
    return 1;
  }
  const std::filesystem::path playerFolder = platform::PlayerFolder();
  const app::GameFolder folder = app::EnterGameFolder(ProgramFolder(), playerFolder);
  store::FileCalls files;
  const store::TOptions options = store::ReadSettingsOnly(folder.configFile, playerFolder, files);
  platform::sdl::SdlClock clock;
  platform::sdl::SdlShell shell;
  platform::sdl::SdlImageDecoder decoder;
  platform::sdl::SoundSystem sound;
  app::WatchForm form({clock, window, shell, decoder, sound.Sound(), font}, watched.recording, options);
  window.RunMessageLoop(form);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gw;
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const app::CommandLineAnswer answer = app::ReadCommandLine(args);
  if (!answer.runGame) {
    std::fputs(answer.out.c_str(), stdout);
    std::fputs(answer.err.c_str(), stderr);
    return answer.exitCode;
  }
  std::unique_ptr<gfx::GameFont> font;
  std::unique_ptr<platform::sdl::SdlWindow> window;
  try {
    // The window first (hidden until set up), so a missing font is told in a box of the game's own.
    window = std::make_unique<platform::sdl::SdlWindow>();
    font = gfx::GameFont::Load();
  } catch (const std::exception& e) {
    const int code = Fatal(e.what());
    if (window) window->ShowError(app::CannotRunMessage(e));
    return code;
  }
  try {
    if (!answer.watch.empty()) return Watch(answer.watch, *window, *font);
    const std::filesystem::path playerFolder = platform::PlayerFolder();
    const app::GameFolder folder = app::EnterGameFolder(ProgramFolder(), playerFolder);
    store::FileCalls files;
    app::Program program;
    program.Config = store::ChooseConfigPlace(folder.configFile, playerFolder, files);
    const std::filesystem::path tableFolder =
        program.Config.file.has_parent_path() ? program.Config.file.parent_path() : std::filesystem::current_path();
    const store::TableLock lock(tableFolder);
    if (lock.HeldByAnother()) {
      std::fprintf(stderr, "Grom Wumbler is already running with the high scores of %s.\n"
                   "Play on in that window, or quit it first.\n", platform::Utf8Name(tableFolder).c_str());
      window->ShowError(app::SecondCopyMessage(tableFolder));
      return 1;
    }
    platform::sdl::SdlClock clock;
    platform::sdl::SdlShell shell;
    platform::sdl::SdlImageDecoder decoder;
    platform::sdl::SoundSystem sound;
    app::MainForm form({clock, *window, shell, decoder, sound.Sound(), *font}, program);
    window->RunMessageLoop(form);
    form.OpenIfExists("tolvex.exe");
    form.OpenIfExists("Play.url");
  } catch (const std::exception& e) {
    const int code = Fatal(e.what());
    window->ShowError(app::CannotRunMessage(e));
    return code;
  }
  return 0;
}
