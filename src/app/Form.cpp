// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form.h"

#include <filesystem>

#include "app/OutsideDocument.h"
#include "gfx/ImagePack.h"

namespace gw::app {

MainForm::MainForm(Services services, Program& program) : s_(services), p_(program), display_(services.window) {
  FormCreate();
}

MainForm::~MainForm() {
  // Pictures and controls first, then the game with everything it owns.
  p_.Images.ReleaseAll();
  p_.Controls.ReleaseAll();
  p_.Game.reset();
}

ui::UiContext MainForm::Ui() const { return {p_.Images, s_.sound, s_.font, p_.Mouse, s_.clock}; }

game::GameHost MainForm::GameHostFor() {
  return {p_.Images, s_.font, s_.sound, s_.clock, s_.window, p_.Rng, p_.HiScores, p_.Options, p_.ScreenState};
}

void MainForm::FormCreate() {
  if (p_.FirstCreate) {
    const auto [w, h] = s_.window.DesktopSize();
    p_.DesktopWidth = static_cast<std::uint16_t>(w);
    p_.DesktopHeight = static_cast<std::uint16_t>(h);
    LoadOptions();
    if (p_.Options.Music) {
      s_.sound.PlaySong("2.xm");
    } else {
      s_.sound.StopSong();
    }
  }
  Ready = false;
  display_.SetupDisplay(p_.Options.Windowed);
  LoadAllImages();
  Ready = true;
  p_.FirstCreate = false;
}

void MainForm::LoadAllImages() {
  gfx::LoadAllImages(p_.Images, gfx::kPackPath, s_.decoder);
  p_.Controls.CreateMissing(Ui());
}

bool MainForm::FormCloseQuery() {
  switch (p_.ScreenState) {
    case screen::kSplash:
    case screen::kInGame:
    case screen::kPause:
    case screen::kNameEntry:
    case screen::kSendConfirm:
      return false;
    default:
      p_.ScreenState = screen::kQuitConfirm;
      return p_.CloseAllowed;
  }
}

void MainForm::OpenIfExists(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  switch (KindOf(path)) {
    case DocumentKind::Shortcut:
      if (const auto address = ShortcutAddress(path)) s_.shell.OpenUrl(*address);
      break;
    case DocumentKind::Program:
      break;
    case DocumentKind::Other:
      s_.shell.OpenFile(path);
      break;
  }
}

void MainForm::OpenLink(const std::string& url) { s_.shell.OpenUrl(url); }

void MainForm::SetSoundOn(bool on) {
  p_.Options.Sound = on;
  s_.sound.SetEffectsOn(on);
}

void MainForm::SetWindowed(bool windowed) {
  p_.Options.Windowed = windowed;
  if (p_.Controls.OptionButtons) p_.Controls.OptionButtons->Rows[0].IsOn = windowed;
  FormCreate();
}

void MainForm::OnActivate() {
  Ready = true;
  p_.Mouse.active = true;
}

void MainForm::OnDeactivate() {
  Ready = false;
  p_.Mouse.active = false;
  if (p_.Options.Windowed) {
    p_.SavedWindowRect = s_.window.WindowRect();
    p_.SkipNextMinimize = true;
  } else if (!p_.SkipNextMinimize) {
    s_.window.Minimize();
  } else {
    p_.SkipNextMinimize = false;
  }
}

void MainForm::OnRestore() {
  Ready = false;
  if (p_.Options.Windowed) {
    s_.window.MoveWindowTo(p_.SavedWindowRect.left, p_.SavedWindowRect.top);
  } else {
    FormCreate();
  }
  Ready = true;
}

void MainForm::OnMaximize() {
  p_.Options.Windowed = false;
  SetWindowed(false);
}

}  // namespace gw::app
