// SPDX-License-Identifier: GPL-3.0-or-later
#include "Manifest.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace gw::pack {
namespace {

std::vector<std::string> SplitWords(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

[[noreturn]] void Fail(const Origin& origin, const std::string& what) {
  throw PackError(origin.Describe() + ": " + what);
}

int ParseInt(const std::string& word, const Origin& origin, const char* what) {
  int value = 0;
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, value);
  if (ec != std::errc() || ptr != end) Fail(origin, std::string("bad ") + what + " '" + word + "'");
  return value;
}

Rect ParseRect(const std::vector<std::string>& words, std::size_t first, const Origin& origin) {
  Rect r{ParseInt(words[first], origin, "x"), ParseInt(words[first + 1], origin, "y"),
         ParseInt(words[first + 2], origin, "width"), ParseInt(words[first + 3], origin, "height")};
  if (r.width <= 0 || r.height <= 0) Fail(origin, "a rectangle needs a positive width and height");
  return r;
}

Mode ParseMode(const std::string& word, const Origin& origin) {
  if (word == "opaque") return Mode::Opaque;
  if (word == "keyed") return Mode::Keyed;
  if (word == "black") return Mode::Black;
  Fail(origin, "unknown mode '" + word + "' (opaque, keyed or black)");
}

}  // namespace

bool IsDrawing(const std::string& source) { return source.ends_with(".svg"); }

Manifest ReadManifest(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw PackError(file.string() + ": cannot open the manifest");

  Manifest manifest;
  std::optional<Scene> open;  // the scene whose layers are being read
  std::map<int, Origin> seen;
  Origin origin{file.filename().string(), 0};

  for (std::string line; std::getline(in, line);) {
    ++origin.line;
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    const auto words = SplitWords(line);
    if (words.empty()) continue;
    const std::string& verb = words[0];

    if (verb == "scene") {
      if (open) Fail(origin, "scene '" + open->name + "' is not closed with 'end'");
      if (words.size() != 4) Fail(origin, "expected: scene <name> <width> <height>");
      if (manifest.scenes.contains(words[1])) Fail(origin, "scene '" + words[1] + "' is defined twice");
      Scene scene{words[1], ParseInt(words[2], origin, "width"), ParseInt(words[3], origin, "height"), {}, origin};
      if (scene.width <= 0 || scene.height <= 0) Fail(origin, "a scene needs a positive size");
      open = std::move(scene);
    } else if (verb == "layer") {
      if (!open) Fail(origin, "'layer' outside a scene");
      if (words.size() != 4 && words.size() != 8)
        Fail(origin, "expected: layer <svg or scene> <x> <y> [<sx> <sy> <sw> <sh>]");
      Layer layer{words[1], ParseInt(words[2], origin, "x"), ParseInt(words[3], origin, "y"), std::nullopt, origin};
      if (words.size() == 8) layer.crop = ParseRect(words, 4, origin);
      // A scene may only use scenes defined before it, which also rules out cycles.
      if (!IsDrawing(layer.source) && !manifest.scenes.contains(layer.source))
        Fail(origin, "unknown scene '" + layer.source + "' (scenes must be defined before use)");
      open->layers.push_back(std::move(layer));
    } else if (verb == "end") {
      if (!open) Fail(origin, "'end' without a scene");
      if (words.size() != 1) Fail(origin, "'end' takes no arguments");
      std::string name = open->name;
      manifest.scenes.emplace(std::move(name), std::move(*open));
      open.reset();
    } else if (verb == "record") {
      if (open) Fail(origin, "scene '" + open->name + "' is not closed with 'end'");
      if (words.size() != 4 && words.size() != 8)
        Fail(origin, "expected: record <index> <mode> <scene or svg> [<x> <y> <w> <h>]");
      Record record{ParseInt(words[1], origin, "index"), ParseMode(words[2], origin), words[3], std::nullopt, origin};
      if (record.index < 0 || record.index >= kRecordCount)
        Fail(origin, "record index " + words[1] + " is outside 0.." + std::to_string(kRecordCount - 1));
      if (auto it = seen.find(record.index); it != seen.end())
        Fail(origin, "record " + words[1] + " is already given at line " + std::to_string(it->second.line));
      if (words.size() == 8) record.crop = ParseRect(words, 4, origin);
      seen.emplace(record.index, origin);
      manifest.records.push_back(std::move(record));
    } else {
      Fail(origin, "unknown keyword '" + verb + "'");
    }
  }
  if (open) Fail(open->origin, "scene '" + open->name + "' is not closed with 'end'");
  for (const Record& record : manifest.records)
    if (!IsDrawing(record.source) && !manifest.scenes.contains(record.source))
      Fail(record.origin, "unknown scene '" + record.source + "'");

  std::string missing;
  for (int i = 0; i < kRecordCount; ++i)
    if (!seen.contains(i)) missing += (missing.empty() ? "" : ", ") + std::to_string(i);
  if (!missing.empty()) throw PackError(origin.file + ": no record for index " + missing);

  std::ranges::sort(manifest.records, {}, &Record::index);
  return manifest;
}

}  // namespace gw::pack
