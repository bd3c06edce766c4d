// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pixel routines that work on locked surfaces without the blitter: the left-right mirror made once per
// enemy picture at load time, and the rotated draw of the tongue's pictures.

#include <cstdint>

#include "gfx/Surface.h"

namespace gw::gfx {

struct Point {
  int x = 0;
  int y = 0;
};

// Dest pixel (r, k) := Source pixel (r, w - 1 - k) over Dest's size; both are the same size in the game.
// Rows or columns Source lacks are left alone. Nothing happens when either surface cannot be locked.
void MirrorSurface(const Surface& source, Surface& dest);

// Draws the top-left width x height part of source turned about pivot (a point of source): each pixel lands
// at (x - pivot.x, y - pivot.y) minus its offset from the pivot turned by angle (radians, clockwise on screen),
// so the picture appears turned by angle + pi. Pixels equal to 0 are transparent. One extra pixel is written
// below (or to the right, by angle) of each drawn pixel to fill the holes of the rotated grid.
// Writes that would fall outside dest are dropped.
void DrawRotated(const Surface& source, Surface& dest, Point pivot, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                 std::uint16_t height, long double angle);

}  // namespace gw::gfx
