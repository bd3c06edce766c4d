// SPDX-License-Identifier: GPL-3.0-or-later
// gw_icontool <drawing.svg> <output folder> <size>...
// gw_icontool --source <drawing.svg> <output.cpp> <size>
// Renders the game's icon drawing into square PNG files <output folder>/<size>.png, one per size, for the
// desktop's icon theme. Small sizes are rendered from the drawing itself, never scaled down from a big one.
// With --source, one size becomes a C++ source of the game's window icon (platform/WindowIcon.h): the window
// carries its own icon, so every window manager shows it, wherever the game runs from.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <fstream>
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

SurfacePtr Render(RsvgHandle* drawing, int size) {
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
  cairo_surface_flush(surface.get());
  return surface;
}

void WritePng(cairo_surface_t* picture, const std::filesystem::path& file) {
  if (cairo_surface_write_to_png(picture, file.c_str()) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot write " + file.string());
}

// Cairo keeps colours multiplied by their alpha; a window icon wants them straight.
std::uint32_t Unpremultiplied(std::uint32_t argb) {
  const std::uint32_t a = argb >> 24;
  if (a == 0) return 0;
  std::uint32_t out = a << 24;
  for (int shift : {16, 8, 0}) {
    const std::uint32_t c = (argb >> shift) & 0xFFu;
    out |= std::min<std::uint32_t>(255u, (c * 255u + a / 2) / a) << shift;
  }
  return out;
}

void WriteSource(cairo_surface_t* picture, int size, const std::filesystem::path& file) {
  const unsigned char* data = cairo_image_surface_get_data(picture);
  const int stride = cairo_image_surface_get_stride(picture);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::trunc);
  out << "// SPDX-License-Identifier: GPL-3.0-or-later\n"
         "// Made by gw_icontool from the icon's drawing.\n"
         "#include \"platform/WindowIcon.h\"\n\n"
         "namespace gw::platform {\nnamespace {\n\n"
         "constexpr std::uint32_t kPixels[] = {\n";
  for (int y = 0; y < size; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < size; ++x) {
      char word[16];
      std::snprintf(word, sizeof word, "0x%08Xu,", Unpremultiplied(row[x]));
      out << word << ((x + 1) % 8 == 0 ? "\n" : "");
    }
  }
  out << "};\n\n}  // namespace\n\n"
         "int WindowIconSize() { return " << size << "; }\n"
         "std::span<const std::uint32_t> WindowIconPixels() { return kPixels; }\n\n"
         "}  // namespace gw::platform\n";
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

HandlePtr LoadDrawing(const std::filesystem::path& svg) {
  GError* raw = nullptr;
  HandlePtr drawing(rsvg_handle_new_from_file(svg.c_str(), &raw));
  const ErrorPtr error(raw);
  if (!drawing) throw std::runtime_error("not a valid SVG: " + std::string(error ? error->message : "unknown reason"));
  return drawing;
}

}  // namespace

int main(int argc, char** argv) {
  const bool source = argc > 1 && std::string(argv[1]) == "--source";
  if (argc < 4 || (source && argc != 5)) {
    std::cerr << "usage: gw_icontool <drawing.svg> <output folder> <size>...\n"
                 "       gw_icontool --source <drawing.svg> <output.cpp> <size>\n";
    return 2;
  }
  const int first = source ? 2 : 1;
  const std::filesystem::path svg = argv[first];
  const std::filesystem::path out = argv[first + 1];
  try {
    std::vector<int> sizes;
    for (int i = first + 2; i < argc; ++i) sizes.push_back(ParseSize(argv[i]));
    const HandlePtr drawing = LoadDrawing(svg);
    if (source) {
      WriteSource(Render(drawing.get(), sizes[0]).get(), sizes[0], out);
      return 0;
    }
    std::filesystem::create_directories(out);
    for (int size : sizes) WritePng(Render(drawing.get(), size).get(), out / (std::to_string(size) + ".png"));
  } catch (const std::exception& e) {
    std::cerr << "gw_icontool: " << svg.string() << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
