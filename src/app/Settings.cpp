// SPDX-License-Identifier: GPL-3.0-or-later
// Settings and the table between the file and the running program.

#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/Form.h"
#include "store/ConfigFile.h"

namespace gw::app {

void MainForm::LoadOptions() {
  p_.FirstCreate = false;
  const std::filesystem::path& path = p_.ConfigFile;
  store::ConfigData data;
  std::string error;
  switch (store::ReadConfigFile(path, data, error)) {
    case store::LoadStatus::Loaded:
      p_.Options = std::move(data.options);
      p_.HiScores = std::move(data.hiScores);
      break;
    case store::LoadStatus::Damaged: {
      // Start as on a first run, but never lose the player's file: it is moved aside, not overwritten.
      p_.Options = store::InitialOptions();
      const auto aside = store::KeepDamagedFile(path);
      std::cerr << "Grom Wumbler: " << path.string() << " is unusable (" << error
                << "); starting with the initial settings and the default high scores; ";
      if (aside.empty()) {
        std::cerr << "the damaged file could not be moved aside and is left as it is\n";
        store::ResetHiScores(p_.HiScores);
      } else {
        std::cerr << "the damaged file is kept as " << aside.string() << "\n";
        SaveOptions();
      }
      break;
    }
    case store::LoadStatus::Missing:
      SaveOptions();
      break;
  }
  ApplyOptions();
}

void MainForm::ApplyOptions() {
  FormCreate();
  SetSoundOn(p_.Options.Sound);
  ui::TDDOptBtnCollection& options = *p_.Controls.OptionButtons;
  options.Rows[0].IsOn = p_.Options.Windowed;
  options.Rows[1].IsOn = p_.Options.Music;
  options.Rows[2].IsOn = p_.Options.Sound;
  options.Edit.Text = p_.Options.Country;
  options.Edit.CharCount = static_cast<std::uint8_t>(p_.Options.Country.size());
}

void MainForm::SaveOptions() {
  std::error_code ec;
  if (std::filesystem::exists(p_.ConfigFile, ec)) {
    // The options screen's field reaches the settings only here.
    if (p_.Controls.OptionButtons) p_.Options.Country = p_.Controls.OptionButtons->Edit.Text;
  } else {
    // A new file starts with the default table; the country line keeps what the settings hold.
    store::ResetHiScores(p_.HiScores);
  }
  WriteSettings();
}

void MainForm::WriteSettings() {
  std::string error;
  if (!store::WriteConfigFile(p_.ConfigFile, p_.Options, p_.HiScores, error)) {
    std::cerr << "Grom Wumbler: the settings were not saved: " << error << "\n";
  }
}

void MainForm::AddHiScore() {
  store::AddHiScore(p_.HiScores, p_.Controls.NameEdit ? p_.Controls.NameEdit->Text : std::string(),
                    p_.Game ? p_.Game->Score : 0);
  SaveOptions();
}

}  // namespace gw::app
