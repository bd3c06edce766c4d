// SPDX-License-Identifier: GPL-3.0-or-later
// gw_icontool <drawing.svg> <output folder> <size>...
// Renders the game's icon drawing into square PNG files <output folder>/<size>.png, one per size, for the
// desktop's icon theme. Small sizes are rendered from the drawing itself, never scaled down from a big one.

#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "svg/SvgHandles.h"

namespace {

using gw::svg::CairoPtr;
using gw::svg::ErrorPtr;
using gw::svg::HandlePtr;
using gw::svg::SurfacePtr;

int ParseSize(const std::string& text) {
  int size = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
  if (ec != std::errc() || end != text.data() + text.size() || size < 8 || size > 1024)
    throw std::runtime_error("'" + text + "' is not an icon size (8 to 1024)");
  return size;
}

void Render(RsvgHandle* drawing, int size, const std::filesystem::path& file) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot make a " + std::to_string(size) + " pixel picture");
  CairoPtr cr(cairo_create(surface.get()));
  const RsvgRectangle viewport{0.0, 0.0, static_cast<double>(size), static_cast<double>(size)};
  GError* raw = nullptr;
  if (!rsvg_handle_render_document(drawing, cr.get(), &viewport, &raw)) {
    const ErrorPtr error(raw);
    throw std::runtime_error("cannot render: " + std::string(error ? error->message : "unknown reason"));
  }
  cr.reset();
  if (cairo_surface_write_to_png(surface.get(), file.c_str()) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: gw_icontool <drawing.svg> <output folder> <size>...\n";
    return 2;
  }
  const std::filesystem::path svg = argv[1];
  const std::filesystem::path outDir = argv[2];
  try {
    std::vector<int> sizes;
    for (int i = 3; i < argc; ++i) sizes.push_back(ParseSize(argv[i]));
    GError* raw = nullptr;
    const HandlePtr drawing(rsvg_handle_new_from_file(svg.c_str(), &raw));
    const ErrorPtr error(raw);
    if (!drawing) throw std::runtime_error("not a valid SVG: " + std::string(error ? error->message : "unknown reason"));
    std::filesystem::create_directories(outDir);
    for (int size : sizes) Render(drawing.get(), size, outDir / (std::to_string(size) + ".png"));
  } catch (const std::exception& e) {
    std::cerr << "gw_icontool: " << svg.string() << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
