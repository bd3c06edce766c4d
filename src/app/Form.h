// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's logic: creation and destruction, the close and resize questions, the frame loop with
// its screens, the menu actions, input, activation and the display mode.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/PadDirections.h"
#include "app/Program.h"
#include "audio/Sound.h"
#include "gfx/Display.h"
#include "gfx/Draw.h"
#include "gfx/Font.h"
#include "net/HttpClient.h"
#include "net/ScoreExchange.h"
#include "net/ServerAddress.h"
#include "platform/Clock.h"
#include "platform/ImageDecoder.h"
#include "platform/Shell.h"
#include "platform/Window.h"

namespace gw::app {

// The colour of a high-score table row's texts (row 0 the best).
gfx::Pixel HiScoreRowColour(int row);

// The table screen's warnings drawn straight on its cream picture: a dark red, which reads there.
inline constexpr gfx::Pixel kTableWarningColour = gfx::Rgb(176, 0, 0);

// The lines that tell of the damaged file met at start (UTF-8): where it is now, and where the table goes, or
// that it goes nowhere when the saves fail.
std::vector<std::string> DamagedFileNotice(const Program& program);

struct Services {
  platform::Clock& clock;
  platform::Window& window;
  platform::Shell& shell;
  platform::ImageDecoder& decoder;
  audio::Sound& sound;
  gfx::GameFont& font;
};

class MainForm final : public platform::WindowEvents {
 public:
  // The window's creation: runs FormCreate with its one-time part.
  MainForm(Services services, Program& program);
  ~MainForm() override;
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  void FormCreate();
  bool FormCloseQuery();
  bool RunFrame();
  void DoMenuAction();
  // typed: the UTF-8 text the keyboard layout gave the key press (the fields take a Russian letter from it).
  void FormKeyDown(std::uint16_t key, bool alt, std::string_view typed = {});
  void FormMouseMove(int x, int y);
  void FormMouseDown();
  // Game controllers speak through the keys' actions of each screen.
  void FormPadButton(platform::PadId pad, platform::PadButton button, bool down);
  void FormPadAxis(platform::PadId pad, platform::PadAxis axis, std::int16_t value);
  void FormPadRemoved(platform::PadId pad);
  // Presses of directions held long enough to repeat.
  void PollPads();
  void SetWindowed(bool windowed);
  // A document of the game folder (the current folder), by its bare name; see app/OutsideDocument.h.
  void OpenIfExists(const std::string& path);
  void OpenLink(const std::string& url);
  void SetSoundOn(bool on);
  void LoadOptions();
  void ApplyOptions();
  void SaveOptions();
  void AddHiScore();
  void SubmitScore();

  // Window events.
  void OnKeyDown(std::uint16_t key, bool alt, std::string_view typed) override { FormKeyDown(key, alt, typed); }
  void OnMouseMove(int x, int y) override { FormMouseMove(x, y); }
  void OnMouseDown() override { FormMouseDown(); }
  bool OnCloseQuery() override { return FormCloseQuery(); }
  void OnPadButton(platform::PadId pad, platform::PadButton button, bool down) override {
    FormPadButton(pad, button, down);
  }
  void OnPadAxis(platform::PadId pad, platform::PadAxis axis, std::int16_t value) override {
    FormPadAxis(pad, axis, value);
  }
  void OnPadRemoved(platform::PadId pad) override { FormPadRemoved(pad); }
  bool OnIdle() override {
    PollPads();
    return RunFrame();
  }
  void OnActivate() override;
  void OnDeactivate() override;
  void OnRestore() override;
  void OnMaximize() override;
  void OnMove() override {}

  gfx::Display& Display() { return display_; }
  ui::UiContext Ui() const;
  game::GameHost GameHostFor();

  std::uint32_t FrameStartTick = 0;
  std::uint32_t LastFrameEndTick = 0;
  bool Ready = false;

 private:
  void DrawScreen(gfx::Surface& dst);
  // An opaque background copy whose failure starts the restoration of lost surfaces.
  void DrawGuarded(gfx::Surface& dst, const gfx::Surface* picture);
  // A question's panel over a guarded background.
  void DrawDialogOver(gfx::Surface& dst, const gfx::Surface* background);
  void DrawDialogText(gfx::Surface& dst, int x, int y, int h, int w, const char* utf8, gfx::Pixel colour);
  void DrawGameStatus(gfx::Surface& dst);
  // Beside the table: the damaged file met at start (its first showing), else that the scores are not kept, or
  // that the new score stays on this computer.
  void DrawTableNotice(gfx::Surface& dst);
  void DrawHiScores(gfx::Surface& dst);
  void LoadAllImages();
  // The game has just asked for a name: the entry starts afresh on "OK".
  void OpenNameEntry();
  // One press of a controller's button or direction, as the current screen takes it.
  void PadPress(platform::PadId pad, platform::PadButton button);
  void StartNewGame();
  void WriteSettings();
  // The new game's ticket: asked for as it starts, dealt to it when the answer comes before its first draw.
  void AskTicket();
  void DealTicket();

  Services s_;
  Program& p_;
  gfx::Display display_;
  // The score server for this run, for the exchange and the records page alike.
  // None: no score is sent and the table screen has no online records to open.
  std::optional<net::ServerAddress> scoreServer_ = net::ConfiguredScoreServer();
  // Made at the first submission; keeps the server's cookies for the rest of the run.
  std::unique_ptr<net::HttpClient> http_;
  // http_ is asking for a ticket in the background. Whichever game is on when it comes takes it, if that game's
  // luck is still undecided: a ticket no game has used is as good for the next one.
  bool ticketAsked_ = false;
  // A recorded game the server was too busy for: sent before the next score.
  std::optional<net::PendingReplay> pendingReplay_;
  PadDirections padDirections_;
  // The controller that gave the player's last input; none when it was the keyboard or the mouse.
  std::optional<platform::PadId> lastPad_;
};

}  // namespace gw::app
