// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rendering of the SVG drawings and composition of the scenes, with cairo and librsvg.

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Manifest.h"
#include "svg/SvgHandles.h"

namespace gw::pack {

using svg::SurfacePtr;

// A record's picture before its mode is applied: 0xAARRGGBB with straight (not premultiplied)
// colour, rows top to bottom.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

class Renderer {
 public:
  Renderer(const Manifest& manifest, std::filesystem::path picturesDir);

  // The record's source (a scene or a single drawing), cropped to the record's rectangle.
  Picture RenderRecord(const Record& record);

 private:
  cairo_surface_t* Source(const std::string& name, const Origin& origin);
  cairo_surface_t* Drawing(const std::string& path, const Origin& origin);
  cairo_surface_t* Composed(const Scene& scene);

  const Manifest& manifest_;
  std::filesystem::path picturesDir_;
  // Drawings are shared by many scenes and scenes by other scenes: each is made once per run.
  std::map<std::string, SurfacePtr> drawings_;
  std::map<std::string, SurfacePtr> scenes_;
};

}  // namespace gw::pack
