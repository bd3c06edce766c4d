// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's typeface, rendered with FreeType into our surfaces. Sizes mean what they mean to GDI:
// a request for height h and width w gives a character cell (win ascent + win descent) of h pixels
// and an average character width (OS/2 xAvgCharWidth) of w pixels, so x and y scale separately.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "gfx/Surface.h"

namespace gw::gfx {

class FontError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class GameFont {
 public:
  // The face the game asks for, and the one used where it is missing.
  static constexpr std::string_view kWantedFamily = "DS SonOf";
  static constexpr std::string_view kFallbackPattern = "Comfortaa:bold";

  // Finds the face through fontconfig; throws FontError naming what was looked for when none is found.
  static std::unique_ptr<GameFont> Load();
  // Opens one font file directly; throws FontError when it cannot be read.
  static std::unique_ptr<GameFont> LoadFile(const std::string& path);

  virtual ~GameFont() = default;

  virtual const std::string& FamilyName() const = 0;
  // True when the wanted family was missing and another face stands in for it.
  virtual bool Substituted() const = 0;

  // Draws Windows-1251 text with the top-left corner of its first cell at (x, y), anti-aliased and
  // blended over what is there, clipped to the surface. An empty text draws nothing.
  // weight: 400 normal, 700 bold.
  virtual void Draw(Surface& dst, int x, int y, int height, int width, int weight, std::string_view text,
                    Pixel colour) = 0;
  // Advance width of the text in pixels, as the text-extent query reports it.
  virtual int TextWidth(int height, int width, int weight, std::string_view text) = 0;
};

}  // namespace gw::gfx
