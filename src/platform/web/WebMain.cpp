// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry in a browser page: the game folder and the font come preloaded, Config.cfg lives in the
// browser's storage, and the browser calls the game once per display refresh instead of a message loop.

#include <emscripten.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>

#include "app/Form.h"
#include "app/Program.h"
#include "app/WatchForm.h"
#include "game/RecordingFile.h"
#include "store/ConfigPlace.h"
#include "net/ServerAddress.h"
#include "platform/FrameSchedule.h"
#include "platform/sdl/SdlServices.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/web/SaveSync.h"
#include "platform/web/SoundOnFirstTouch.h"
#include "platform/web/TouchTyping.h"
#include "platform/web/WebClock.h"

namespace {

// Where the page's files are (see the build's preload list and the shell script).
constexpr const char* kGameFolder = "/game";
constexpr const char* kSaveFolder = "/save";
// A recorded game to show instead of play, fetched by the page (pre.js) when it was opened to watch one.
constexpr const char* kWatchFile = "/watch/game.gwr";
constexpr const char* kWatchFolder = "/watch";

// The page's host[:port], in a buffer of malloc's.
EM_JS(char*, gw_page_host, (), {
  const size = lengthBytesUTF8(location.host) + 1;
  const at = _malloc(size);
  stringToUTF8(location.host, at, size);
  return at;
});

// What the page learns from the game (page.js): frames drawn (its benchmark reads the count, and it marks the
// first one), that the player quit, that the game cannot start, how a recorded game shown ended.
EM_JS(void, gw_frames_drawn, (int count), { Module.gwFramesDrawn(count); });
EM_JS(void, gw_leave_page, (), { window.location.href = '/'; });
EM_JS(void, gw_failed, (const char* message), { Module.gwFailed(UTF8ToString(message)); });
EM_JS(void, gw_watched, (int score, int level, int frames), { Module.gwWatched(score, level, frames); });
EM_JS(void, gw_cannot_watch, (), { Module.gwCannotWatch(); });

// The score server is the one that served the page, whatever host the build names.
void UsePageOrigin() {
  const std::unique_ptr<char, decltype(&std::free)> host(gw_page_host(), &std::free);
  ::setenv(gw::net::kScoreServerVariable, host.get(), 1);
}

// The page tells the game by folders (pre.js): the save folder is there only when the browser keeps storage,
// the watch folder only when the page was opened to watch a recorded game (whatever came of its download).
bool FolderExists(const char* folder) {
  std::error_code ec;
  return std::filesystem::is_directory(folder, ec);
}

// The whole game for the page's lifetime, in the order it is made: the game to play, or a recorded one to watch.
struct WebGame {
  WebGame() : font(gw::gfx::GameFont::Load()), saves(std::filesystem::path(kSaveFolder) / gw::store::kConfigFileName) {
    program.Config.file = std::filesystem::path(kSaveFolder) / gw::store::kConfigFileName;
    // Without storage no save can last: the table screen tells the player so.
    program.Config.writable = FolderExists(kSaveFolder);
    UsePageOrigin();
    const gw::app::Services services{clock, window, shell, decoder, sound, *font};
    if (FolderExists(kWatchFolder)) {
      // Throws RecordingError when the page could not fetch it or it is not a whole game.
      watched = std::make_unique<gw::game::WatchableGame>(gw::game::ReadRecordingFile(kWatchFile));
      // The player's settings (music, sound) as they are; nothing is written while watching.
      gw::store::FileCalls files;
      const gw::store::TOptions options = gw::store::ReadSettingsOnly(program.Config.file, kSaveFolder, files);
      watch = std::make_unique<gw::app::WatchForm>(services, watched->recording, options);
      shown = watch.get();
    } else {
      form = std::make_unique<gw::app::MainForm>(services, program);
      shown = form.get();
    }
    window.Attach(*shown);
  }

  // One call of the browser's: the queued input, then every frame due by the tick.
  void Turn() {
    if (!window.DispatchPending()) {
      if (watch) gw_watched(watch->Game().Score, watch->Game().Level, static_cast<int>(watch->FramesShown()));
      Leave();
      return;
    }
    if (clock.TakeSleep()) schedule.Restart(clock.UptimeMs());
    int drawn = 0;
    for (const std::uint64_t ms : schedule.FramesDue(clock.UptimeMs())) {
      clock.SetFrameTime(ms);
      if (shown->OnIdle()) ++drawn;
      if (clock.TakeSleep()) {
        schedule.Restart(clock.UptimeMs());
        break;
      }
    }
    if (drawn > 0) gw_frames_drawn(drawn);
    saves.AfterTurn();
    sound.AfterTurn();
    typing.AfterTurn(program);
  }

  // The player quit, or the recorded game is over: the page goes back to the records it came from.
  static void Leave() {
    emscripten_cancel_main_loop();
    gw_leave_page();
  }

  std::unique_ptr<gw::gfx::GameFont> font;
  gw::platform::sdl::SdlWindow window;
  gw::platform::web::WebClock clock;
  gw::platform::sdl::SdlShell shell;
  gw::platform::sdl::SdlImageDecoder decoder;
  gw::platform::web::SoundOnFirstTouch sound;
  gw::platform::FrameSchedule schedule;
  gw::platform::web::SaveSync saves;
  gw::platform::web::TouchTyping typing;
  gw::app::Program program;
  std::unique_ptr<gw::app::MainForm> form;
  std::unique_ptr<gw::game::WatchableGame> watched;
  std::unique_ptr<gw::app::WatchForm> watch;
  gw::platform::WindowEvents* shown = nullptr;  // whichever of the two the page runs
};

void Turn(void* game) { static_cast<WebGame*>(game)->Turn(); }

}  // namespace

int main() {
  try {
    if (::chdir(kGameFolder) != 0) throw std::runtime_error("the game folder is missing from the page");
    // The game lives as long as the page: the browser's loop owns it from here on.
    auto game = std::make_unique<WebGame>();
    emscripten_set_main_loop_arg(&Turn, game.release(), 0, false);
  } catch (const gw::game::RecordingError& e) {
    std::fprintf(stderr, "Grom Wumbler cannot show the recorded game %s\n", e.what());
    gw_cannot_watch();
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Grom Wumbler cannot run: %s\n", e.what());
    gw_failed(e.what());
    return 1;
  }
  return 0;
}
