// SPDX-License-Identifier: GPL-3.0-or-later
// gw_packtool <manifest> <pictures folder> <output pack>
// Renders the SVG drawings named by the manifest, composes its scenes and writes the picture
// pack the game loads: records 0..45, each a length-prefixed 24-bit BMP file.

#include <filesystem>
#include <iostream>
#include <system_error>

#include "Manifest.h"
#include "PackWriter.h"
#include "Render.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: gw_packtool <manifest> <pictures folder> <output pack>\n";
    return 2;
  }
  const std::filesystem::path manifestFile = argv[1];
  const std::filesystem::path picturesDir = argv[2];
  const std::filesystem::path output = argv[3];
  try {
    const gw::pack::Manifest manifest = gw::pack::ReadManifest(manifestFile);
    gw::pack::Renderer renderer(manifest, picturesDir);
    std::vector<gw::pack::Bytes> records;
    for (const gw::pack::Record& record : manifest.records) {
      const gw::pack::Picture picture = renderer.RenderRecord(record);
      const auto rgb = gw::pack::ApplyMode(picture, record.mode, record, std::cerr);
      records.push_back(gw::pack::EncodeBmp(picture.width, picture.height, rgb));
    }
    gw::pack::WritePack(records, output);
  } catch (const std::exception& e) {
    // A stale pack would look up to date to the build; remove it so the failure is not hidden.
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    std::cerr << "gw_packtool: error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
