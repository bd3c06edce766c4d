// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture manifest: scenes composed from drawings, and the pack records cut from them.

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gw::pack {

// Every failure of the tool; the text names the manifest line or the file at fault.
class PackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The game reads exactly these records, so the pack holds all of them and no others.
inline constexpr int kRecordCount = 46;

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Where a manifest entry was written, for error messages.
struct Origin {
  std::string file;
  int line = 0;
  std::string Describe() const { return file + ":" + std::to_string(line); }
};

struct Layer {
  std::string source;  // an SVG path relative to the pictures folder, or an earlier scene's name
  int x = 0;
  int y = 0;
  std::optional<Rect> crop;  // the part of the source to take
  Origin origin;
};

struct Scene {
  std::string name;
  int width = 0;
  int height = 0;
  std::vector<Layer> layers;
  Origin origin;
};

enum class Mode { Opaque, Keyed, Black };

struct Record {
  int index = 0;
  Mode mode = Mode::Opaque;
  std::string source;  // a scene name or an SVG path
  std::optional<Rect> crop;
  Origin origin;
};

struct Manifest {
  std::map<std::string, Scene> scenes;
  std::vector<Record> records;  // sorted by index, exactly kRecordCount of them
};

// A source naming an SVG file (by its extension) rather than a scene.
bool IsDrawing(const std::string& source);

// Reads and checks the manifest's structure; throws PackError naming the line on any fault.
Manifest ReadManifest(const std::filesystem::path& file);

}  // namespace gw::pack
