// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's logic: creation and destruction, the close and resize questions, the frame loop with
// its screens, the menu actions, input, activation and the display mode.

#include <cstdint>
#include <memory>
#include <string>

#include "app/Program.h"
#include "audio/Sound.h"
#include "gfx/Display.h"
#include "gfx/Font.h"
#include "net/HttpClient.h"
#include "net/ServerAddress.h"
#include "platform/Clock.h"
#include "platform/ImageDecoder.h"
#include "platform/Shell.h"
#include "platform/Window.h"

namespace gw::app {

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
  void FormKeyDown(std::uint16_t key, bool alt);
  void FormMouseMove(int x, int y);
  void FormMouseDown();
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
  void OnKeyDown(std::uint16_t key, bool alt) override { FormKeyDown(key, alt); }
  void OnMouseMove(int x, int y) override { FormMouseMove(x, y); }
  void OnMouseDown() override { FormMouseDown(); }
  bool OnCloseQuery() override { return FormCloseQuery(); }
  bool OnIdle() override { return RunFrame(); }
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
  void DrawHiScores(gfx::Surface& dst);
  void LoadAllImages();
  void StartNewGame();
  void WriteSettings();

  Services s_;
  Program& p_;
  gfx::Display display_;
  // The score server for this run, for the exchange and the records page alike.
  net::ServerAddress scoreServer_ = net::ConfiguredScoreServer();
  // Made at the first submission; keeps the server's cookies for the rest of the run.
  std::unique_ptr<net::HttpClient> http_;
};

}  // namespace gw::app
