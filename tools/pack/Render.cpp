// SPDX-License-Identifier: GPL-3.0-or-later
#include "Render.h"

#include <librsvg/rsvg.h>

#include <cmath>
#include <cstring>

namespace gw::pack {
namespace {

using svg::CairoPtr;
using svg::ErrorPtr;
using svg::HandlePtr;

// Drawings are rendered at 96 dpi, so that "px", "pt" and "mm" mean what a browser makes of them.
constexpr double kDpi = 96.0;

SurfacePtr NewSurface(int width, int height, const std::string& what) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
    throw PackError(what + ": cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " picture");
  return surface;
}

int WidthOf(cairo_surface_t* s) { return cairo_image_surface_get_width(s); }
int HeightOf(cairo_surface_t* s) { return cairo_image_surface_get_height(s); }

bool Inside(const Rect& r, int width, int height) {
  return r.x >= 0 && r.y >= 0 && r.x + r.width <= width && r.y + r.height <= height;
}

std::string Describe(const Rect& r) {
  return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) + "x" +
         std::to_string(r.height) + ")";
}

int WholePixels(double value) {
  double whole = std::round(value);
  return std::fabs(value - whole) < 1e-6 && whole >= 1.0 && whole <= 16384.0 ? static_cast<int>(whole) : 0;
}

std::uint32_t Unpremultiply(std::uint32_t p) {
  const std::uint32_t a = p >> 24;
  if (a == 0) return 0;
  auto channel = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
  return (a << 24) | (channel((p >> 16) & 0xFF) << 16) | (channel((p >> 8) & 0xFF) << 8) | channel(p & 0xFF);
}

}  // namespace

Renderer::Renderer(const Manifest& manifest, std::filesystem::path picturesDir)
    : manifest_(manifest), picturesDir_(std::move(picturesDir)) {}

cairo_surface_t* Renderer::Source(const std::string& name, const Origin& origin) {
  if (IsDrawing(name)) return Drawing(name, origin);
  auto scene = manifest_.scenes.find(name);
  if (scene == manifest_.scenes.end()) throw PackError(origin.Describe() + ": unknown scene '" + name + "'");
  return Composed(scene->second);
}

cairo_surface_t* Renderer::Drawing(const std::string& path, const Origin& origin) {
  if (auto it = drawings_.find(path); it != drawings_.end()) return it->second.get();

  const std::filesystem::path file = picturesDir_ / path;
  const std::string where = origin.Describe() + ": " + file.string();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) throw PackError(where + ": unknown file");

  GError* raw = nullptr;
  HandlePtr handle(rsvg_handle_new_from_file(file.c_str(), &raw));
  ErrorPtr error(raw);
  if (!handle) throw PackError(where + ": not a valid SVG: " + (error ? error->message : "unknown reason"));
  rsvg_handle_set_dpi(handle.get(), kDpi);

  gdouble width = 0, height = 0;
  const bool sized = rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &width, &height);
  const int w = sized ? WholePixels(width) : 0;
  const int h = sized ? WholePixels(height) : 0;
  if (w == 0 || h == 0) throw PackError(where + ": the canvas needs a whole-pixel width and height");

  SurfacePtr surface = NewSurface(w, h, where);
  CairoPtr cr(cairo_create(surface.get()));
  const RsvgRectangle viewport{0.0, 0.0, static_cast<double>(w), static_cast<double>(h)};
  if (!rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &raw)) {
    error.reset(raw);
    throw PackError(where + ": cannot render: " + (error ? error->message : "unknown reason"));
  }
  cr.reset();
  cairo_surface_flush(surface.get());
  return drawings_.emplace(path, std::move(surface)).first->second.get();
}

cairo_surface_t* Renderer::Composed(const Scene& scene) {
  if (auto it = scenes_.find(scene.name); it != scenes_.end()) return it->second.get();

  SurfacePtr surface = NewSurface(scene.width, scene.height, scene.origin.Describe());
  CairoPtr cr(cairo_create(surface.get()));
  for (const Layer& layer : scene.layers) {
    cairo_surface_t* source = Source(layer.source, layer.origin);
    const Rect crop = layer.crop.value_or(Rect{0, 0, WidthOf(source), HeightOf(source)});
    if (!Inside(crop, WidthOf(source), HeightOf(source)))
      throw PackError(layer.origin.Describe() + ": source crop " + Describe(crop) + " is outside '" + layer.source +
                      "' (" + std::to_string(WidthOf(source)) + "x" + std::to_string(HeightOf(source)) + ")");
    // Whole-pixel offsets only, so every layer is copied pixel for pixel, never resampled.
    cairo_save(cr.get());
    cairo_rectangle(cr.get(), layer.x, layer.y, crop.width, crop.height);
    cairo_clip(cr.get());
    cairo_set_source_surface(cr.get(), source, layer.x - crop.x, layer.y - crop.y);
    cairo_paint(cr.get());
    cairo_restore(cr.get());
  }
  cr.reset();
  cairo_surface_flush(surface.get());
  return scenes_.emplace(scene.name, std::move(surface)).first->second.get();
}

Picture Renderer::RenderRecord(const Record& record) {
  cairo_surface_t* source = Source(record.source, record.origin);
  const int width = WidthOf(source);
  const int height = HeightOf(source);
  const Rect crop = record.crop.value_or(Rect{0, 0, width, height});
  if (!Inside(crop, width, height))
    throw PackError(record.origin.Describe() + ": crop " + Describe(crop) + " is outside '" + record.source + "' (" +
                    std::to_string(width) + "x" + std::to_string(height) + ")");

  const unsigned char* data = cairo_image_surface_get_data(source);
  const int stride = cairo_image_surface_get_stride(source);
  Picture picture{crop.width, crop.height, {}};
  picture.pixels.reserve(static_cast<std::size_t>(crop.width) * static_cast<std::size_t>(crop.height));
  for (int y = 0; y < crop.height; ++y) {
    const unsigned char* row = data + static_cast<std::ptrdiff_t>(crop.y + y) * stride;
    for (int x = 0; x < crop.width; ++x) {
      std::uint32_t premultiplied = 0;
      std::memcpy(&premultiplied, row + static_cast<std::ptrdiff_t>(crop.x + x) * 4, sizeof premultiplied);
      picture.pixels.push_back(Unpremultiply(premultiplied));
    }
  }
  return picture;
}

}  // namespace gw::pack
