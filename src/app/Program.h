// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything the game keeps program-wide, in one place: the shell's flags, the screen state, the settings
// and the table, the picture tables, the controls and the one game.

#include <cstdint>
#include <filesystem>
#include <memory>

#include "game/Game.h"
#include "game/Random.h"
#include "gfx/ImageTables.h"
#include "platform/Window.h"
#include "store/ConfigFile.h"
#include "store/ConfigPlace.h"
#include "store/Options.h"
#include "ui/Controls.h"
#include "ui/UiContext.h"

namespace gw::app {

// Screen states: what is drawn, which keys mean what, whether the window may close.
namespace screen {
inline constexpr std::int32_t kSplash = 0, kMenu = 1, kInGame = 2, kOptions = 3, kHiScores = 4, kHelpPage1 = 5,
                              kQuitConfirm = 7, kClearConfirm = 8, kPause = 33, kNameEntry = 34, kSendConfirm = 35,
                              kQuitGameConfirm = 36, kRetryConfirm = 38, kWait = 39, kHelpPage2 = 51,
                              kHelpPage3 = 52, kHelpPage4 = 53, kHelpPage5 = 54;
}

struct Program {
  bool FirstCreate = true;
  bool SkipNextMinimize = true;
  bool CloseAllowed = false;
  std::int32_t ScreenState = screen::kSplash;
  store::TOptions Options = store::InitialOptions();
  store::HiScoreTable HiScores{};
  // Where Config.cfg is read at start (store/ConfigPlace.h), and where this run's saves go.
  store::ConfigPlace Config;
  std::filesystem::path ConfigFile{store::kConfigFileName};
  // No save can be made, or the last one failed: the table screen tells the player their scores are not kept.
  bool SavesFail = false;
  // The file met at start was damaged and the table started over: told on the table screen's first showing.
  std::filesystem::path DamagedKeptAs;
  bool DamagedToldOnce = false;
  // The online records were asked for on the table screen, but the game knows no score server.
  bool NoOnlineRecordsAsked = false;
  // A new high score went into the table with no score server to send it to: the table screen, just after,
  // tells the player it is kept on this computer only.
  bool ScoreKeptHereOnly = false;
  std::uint16_t DesktopWidth = 0;
  std::uint16_t DesktopHeight = 0;
  std::int32_t SplashColour = 0;
  std::unique_ptr<game::TGame> Game;
  ui::Mouse Mouse;  // MouseX, MouseY and the window's MouseActive
  platform::ScreenRect SavedWindowRect;
  gfx::ImageTables Images;
  ui::Controls Controls;
  game::Random Rng;
};

}  // namespace gw::app
