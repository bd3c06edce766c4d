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
  store::ConfigStart start = store::LoadConfig(p_.Config);
  p_.ConfigFile = start.saveTo;
  p_.DamagedKeptAs = start.damagedKept;
  p_.SavesFail = !p_.Config.writable;
  if (start.data) {
    p_.Options = std::move(start.data->options);
    p_.HiScores = std::move(start.data->hiScores);
  } else {
    // As on a first run; the country line keeps what the settings hold.
    p_.Options = store::InitialOptions();
    store::ResetHiScores(p_.HiScores);
  }
  if (start.saveNow) WriteSettings();
  // Told after the first save, so that it never names as the table's home a file that could not be written.
  if (!start.report.empty()) {
    if (start.saveNow && p_.SavesFail) {
      start.report += "; but " + p_.ConfigFile.string() +
                      " cannot be written: the settings and high scores of this run are not kept";
    }
    std::cerr << "Grom Wumbler: " << start.report << "\n";
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
  // A file that never could be saved is not a new one: the table of this run stays.
  if (std::filesystem::exists(p_.ConfigFile, ec) || p_.SavesFail) {
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
  p_.SavesFail = !store::WriteConfigFile(p_.ConfigFile, p_.Options, p_.HiScores, error);
  if (p_.SavesFail) std::cerr << "Grom Wumbler: the settings were not saved: " << error << "\n";
}

void MainForm::AddHiScore() {
  store::AddHiScore(p_.HiScores, p_.Controls.NameEdit ? p_.Controls.NameEdit->Text : std::string(),
                    p_.Game ? p_.Game->Score : 0);
  SaveOptions();
}

}  // namespace gw::app
