// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small drawing helpers used by every screen: shadowed text, frames drawn with a thick pen, thick lines,
// and the strict point-in-rectangle test of the controls.

#include <cstdint>
#include <string_view>

#include "gfx/Font.h"
#include "gfx/Surface.h"

namespace gw::gfx {

// The game's text colours and the frame colours of its controls.
inline constexpr Pixel kYellow = Rgb(243, 243, 0);
inline constexpr Pixel kGreen = Rgb(0, 128, 0);
inline constexpr Pixel kRed = Rgb(255, 85, 85);
inline constexpr Pixel kBlack = 0;
inline constexpr Pixel kFrameGreen = Rgb(112, 170, 94);
inline constexpr Pixel kFocusGreen = Rgb(0, 103, 32);

// The normal weight, which DrawShadowText draws in.
inline constexpr int kNormalWeight = 400;

// Text in the normal weight with a black copy 2 pixels right and 1 down behind it; (x, y) is the cell's top-left.
void DrawShadowText(GameFont& font, int x, int y, int fontHeight, int fontWidth, std::string_view text, Surface& dst,
                    Pixel colour);

// Text in the normal weight on a black outline kOutlineWidth pixels wide all round: for colours that no shadow
// makes readable on the sky behind them.
inline constexpr int kOutlineWidth = 2;
void DrawOutlinedText(GameFont& font, int x, int y, int fontHeight, int fontWidth, std::string_view text, Surface& dst,
                      Pixel colour);
// The outline alone, in the given colour.
void DrawTextOutline(GameFont& font, int x, int y, int fontHeight, int fontWidth, std::string_view text, Surface& dst,
                     Pixel colour);

// The pixels that DrawShadowText with these arguments would touch (text and shadow), as a rectangle; empty for
// an empty text.
Rect ShadowTextInk(GameFont& font, int x, int y, int fontHeight, int fontWidth, std::string_view text);

// A filled rectangle with corners rounded by the given radius.
void FillRoundRect(const Rect& r, double cornerRadius, Pixel colour, Surface& dst);

// A 3-pixel frame centred on the outline of (x, y, x + width, y + height), corners rounded by a 5 by 5 ellipse;
// the inside stays untouched.
void DrawRoundFrame(int x, int y, int width, int height, Pixel colour, Surface& dst);

// A frame drawn with a pen of the given width centred on the outline of the rectangle, square corners.
void DrawFrameRect(const Rect& r, int penWidth, Pixel colour, Surface& dst);

// A line with round ends, penWidth pixels thick, from (x0, y0) to (x1, y1).
void DrawThickLine(int x0, int y0, int x1, int y1, int penWidth, Pixel colour, Surface& dst);

// True exactly when Left < X < Right and Top < Y < Bottom: points on any edge are outside.
constexpr bool PointInRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, std::int32_t x,
                           std::int32_t y) {
  return left < x && x < right && top < y && y < bottom;
}
constexpr bool PointInRect(const Rect& r, std::int32_t x, std::int32_t y) {
  return PointInRect(r.left, r.top, r.right, r.bottom, x, y);
}

}  // namespace gw::gfx
