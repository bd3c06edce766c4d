// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConfigPlace.h"

#include <system_error>
#include <vector>

namespace gw::store {

namespace fs = std::filesystem;

namespace {

fs::path FolderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// A save makes a new file in the folder and renames it over the old one, so the folder must be writable.
bool CanWrite(const fs::path& folder, FileCalls& calls) {
  return calls.Access(CallName(folder).c_str(), FileCalls::kWritableFolder) == 0;
}

}  // namespace

ConfigPlace ChooseConfigPlace(const fs::path& gameFile, const fs::path& playerFolder, FileCalls& calls) {
  if (CanWrite(FolderOf(gameFile), calls)) return {gameFile, {}, true};
  if (!playerFolder.empty()) {
    std::error_code ec;
    fs::create_directories(playerFolder, ec);
    const fs::path own = playerFolder / kConfigFileName;
    if (!ec && CanWrite(playerFolder, calls) && !fs::equivalent(FolderOf(gameFile), playerFolder, ec)) {
      return {own, gameFile, true};
    }
  }
  return {gameFile, {}, false};
}

TOptions ReadSettingsOnly(const fs::path& gameFile, const fs::path& playerFolder, FileCalls& calls) {
  std::vector<fs::path> candidates;
  if (!CanWrite(FolderOf(gameFile), calls) && !playerFolder.empty()) candidates.push_back(playerFolder / kConfigFileName);
  candidates.push_back(gameFile);
  for (const fs::path& file : candidates) {
    ConfigData data;
    std::string error;
    if (ReadConfigFile(file, data, error) == LoadStatus::Loaded) return data.options;
  }
  return InitialOptions();
}

fs::path KeptInstead(const fs::path& file) {
  fs::path kept = file;
  kept += ".saved";
  return kept;
}

ConfigStart LoadConfig(const ConfigPlace& place) {
  ConfigStart start;
  start.saveTo = place.file;
  ConfigData data;
  std::string error;
  switch (ReadConfigFile(place.file, data, error)) {
    case LoadStatus::Loaded:
      start.data = std::move(data);
      return start;
    case LoadStatus::Missing:
      start.saveNow = true;
      if (place.startFrom.empty()) return start;
      // The game folder cannot be written: its own file is where this player's table starts.
      if (ReadConfigFile(place.startFrom, data, error) == LoadStatus::Loaded) start.data = std::move(data);
      start.report = place.startFrom.string() + " cannot be written; the settings and high scores are kept in " +
                     place.file.string() + " from now on";
      return start;
    case LoadStatus::Damaged:
      break;
  }
  start.report = place.file.string() + " is unusable (" + error + "); ";
  const fs::path kept = KeptInstead(place.file);
  // The table of a run that met this file damaged before, if there was one.
  ConfigData earlier;
  std::string ignored;
  const bool haveEarlier = ReadConfigFile(kept, earlier, ignored) == LoadStatus::Loaded;
  start.report += haveEarlier ? "starting with the table kept in " + kept.string()
                              : std::string("starting with the initial settings and the default high scores");
  if (haveEarlier) start.data = std::move(earlier);
  const fs::path aside = KeepDamagedFile(place.file);
  start.damagedKept = aside.empty() ? place.file : aside;
  if (!aside.empty()) {
    start.report += "; the damaged file is kept as " + aside.string();
    start.saveNow = true;
    return start;
  }
  // Never written over: it may be all that is left of the player's table.
  start.saveTo = kept;
  start.saveNow = !haveEarlier;
  start.report += "; the damaged file could not be moved aside and is left as it is; the settings and high "
                  "scores are saved in " + kept.string() + " instead";
  return start;
}

}  // namespace gw::store
