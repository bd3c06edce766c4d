// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/Draw.h"

#include <algorithm>
#include <cmath>

namespace gw::gfx {

namespace {

// Signed distance of the point from the outline of a rounded rectangle of half sizes hx, hy centred at the
// origin (negative inside).
double RoundedDistance(double px, double py, double hx, double hy, double radius) {
  const double qx = std::abs(px) - (hx - radius), qy = std::abs(py) - (hy - radius);
  const double outside = qx > 0 && qy > 0 ? std::hypot(qx, qy) : std::max(qx, 0.0) + std::max(qy, 0.0);
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// Marks every pixel whose centre lies within half a pen of the rounded rectangle through the pixel centres
// of the rectangle's border columns and rows.
void StrokeRoundedRect(const Rect& r, double cornerRadius, int penWidth, Pixel colour, Surface& dst) {
  if (r.right - 1 < r.left || r.bottom - 1 < r.top) return;
  const double half = penWidth / 2.0;
  const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  const double hx = (r.right - 1 - r.left) / 2.0, hy = (r.bottom - 1 - r.top) / 2.0;
  const double radius = std::min({cornerRadius, hx, hy});
  const int reach = static_cast<int>(std::ceil(half));
  const int x0 = std::max(r.left - reach, 0), x1 = std::min(r.right + reach, dst.Width());
  const int y0 = std::max(r.top - reach, 0), y1 = std::min(r.bottom + reach, dst.Height());
  auto test = [&](Pixel* row, int x, int y) {
    if (std::abs(RoundedDistance(x + 0.5 - cx, y + 0.5 - cy, hx, hy, radius)) <= half) row[x] = colour;
  };
  // Columns inside this band can only lie on the pen in the rows near the top and bottom borders.
  const int innerL = static_cast<int>(std::ceil(cx - (hx - half) + 1)), innerR = static_cast<int>(std::floor(cx + (hx - half) - 1));
  for (int y = y0; y < y1; ++y) {
    Pixel* row = dst.RowSpan(y, x0, x1);
    const double qy = std::abs(y + 0.5 - cy) - (hy - radius);
    if (qy >= radius - half - 1 || innerL >= innerR) {
      for (int x = x0; x < x1; ++x) test(row, x, y);
    } else {
      for (int x = x0; x < std::min(innerL, x1); ++x) test(row, x, y);
      for (int x = std::max(innerR, x0); x < x1; ++x) test(row, x, y);
    }
  }
}

}  // namespace

Rect ShadowTextInk(GameFont& font, int x, int y, int fontHeight, int fontWidth, std::string_view text) {
  if (text.empty()) return {};
  // Room on every side for glyphs that reach past their cells.
  const int pad = fontHeight;
  Surface scratch(font.TextWidth(fontHeight, fontWidth, kNormalWeight, text) + 2 * pad, fontHeight + 2 * pad);
  scratch.Fill(kBlack);
  font.Draw(scratch, pad, pad, fontHeight, fontWidth, kNormalWeight, text, Rgb(255, 255, 255));
  Rect ink{scratch.Width(), scratch.Height(), 0, 0};
  for (int sy = 0; sy < scratch.Height(); ++sy)
    for (int sx = 0; sx < scratch.Width(); ++sx) {
      if (scratch.At(sx, sy) == kBlack) continue;
      ink = {std::min(ink.left, sx), std::min(ink.top, sy), std::max(ink.right, sx + 1), std::max(ink.bottom, sy + 1)};
    }
  if (ink.Empty()) return {};
  // The shadow lies 2 right and 1 down.
  return {x + ink.left - pad, y + ink.top - pad, x + ink.right - pad + 2, y + ink.bottom - pad + 1};
}

void FillRoundRect(const Rect& r, double cornerRadius, Pixel colour, Surface& dst) {
  const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  const double hx = r.Width() / 2.0, hy = r.Height() / 2.0;
  const double radius = std::min({cornerRadius, hx, hy});
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, dst.Height()); ++y) {
    const int x0 = std::max(r.left, 0), x1 = std::min(r.right, dst.Width());
    if (x0 >= x1) continue;
    Pixel* row = dst.RowSpan(y, x0, x1);
    for (int x = x0; x < x1; ++x)
      if (RoundedDistance(x + 0.5 - cx, y + 0.5 - cy, hx, hy, radius) <= 0) row[x] = colour;
  }
}

void DrawShadowText(GameFont& font, int x, int y, int fontHeight, int fontWidth, std::string_view text, Surface& dst,
                    Pixel colour) {
  if (text.empty()) return;
  font.Draw(dst, x + 2, y + 1, fontHeight, fontWidth, kNormalWeight, text, kBlack);
  font.Draw(dst, x, y, fontHeight, fontWidth, kNormalWeight, text, colour);
}

void DrawTextOutline(GameFont& font, int x, int y, int fontHeight, int fontWidth, std::string_view text, Surface& dst,
                     Pixel colour) {
  if (text.empty()) return;
  for (int dy = -kOutlineWidth; dy <= kOutlineWidth; ++dy)
    for (int dx = -kOutlineWidth; dx <= kOutlineWidth; ++dx) {
      if (dx != 0 || dy != 0) font.Draw(dst, x + dx, y + dy, fontHeight, fontWidth, kNormalWeight, text, colour);
    }
}

void DrawOutlinedText(GameFont& font, int x, int y, int fontHeight, int fontWidth, std::string_view text, Surface& dst,
                      Pixel colour) {
  DrawTextOutline(font, x, y, fontHeight, fontWidth, text, dst, kBlack);
  font.Draw(dst, x, y, fontHeight, fontWidth, kNormalWeight, text, colour);
}

void DrawRoundFrame(int x, int y, int width, int height, Pixel colour, Surface& dst) {
  StrokeRoundedRect({x, y, x + width, y + height}, 2.5, 3, colour, dst);
}

void DrawFrameRect(const Rect& r, int penWidth, Pixel colour, Surface& dst) {
  StrokeRoundedRect(r, 0.0, penWidth, colour, dst);
}

void DrawThickLine(int x0, int y0, int x1, int y1, int penWidth, Pixel colour, Surface& dst) {
  const double half = penWidth / 2.0;
  const double ax = x0 + 0.5, ay = y0 + 0.5, bx = x1 + 0.5, by = y1 + 0.5;
  const double dx = bx - ax, dy = by - ay;
  const double lengthSq = dx * dx + dy * dy;
  const int reach = static_cast<int>(std::ceil(half));
  const int left = std::max(std::min(x0, x1) - reach, 0), right = std::min(std::max(x0, x1) + reach + 1, dst.Width());
  const int top = std::max(std::min(y0, y1) - reach, 0), bottom = std::min(std::max(y0, y1) + reach + 1, dst.Height());
  for (int y = top; y < bottom; ++y) {
    Pixel* row = dst.RowSpan(y, left, right);
    // The segment's part within half a pen of this row, widened by the pen and a pixel: nothing outside it
    // can be near enough.
    const double yc = y + 0.5;
    double t0 = 0, t1 = 1;
    if (dy != 0) {
      double ta = (yc - half - ay) / dy, tb = (yc + half - ay) / dy;
      if (ta > tb) std::swap(ta, tb);
      t0 = std::max(ta, 0.0); t1 = std::min(tb, 1.0);
      if (t0 > t1) continue;
    } else if (std::abs(yc - ay) > half) {
      continue;
    }
    const double xa = ax + t0 * dx, xb = ax + t1 * dx;
    const int from = std::max(left, static_cast<int>(std::floor(std::min(xa, xb) - half)) - 2);
    const int to = std::min(right, static_cast<int>(std::ceil(std::max(xa, xb) + half)) + 2);
    for (int x = from; x < to; ++x) {
      const double px = x + 0.5 - ax, py = y + 0.5 - ay;
      const double t = lengthSq > 0 ? std::clamp((px * dx + py * dy) / lengthSq, 0.0, 1.0) : 0.0;
      const double ex = px - t * dx, ey = py - t * dy;
      if (ex * ex + ey * ey <= half * half) row[x] = colour;
    }
  }
}

}  // namespace gw::gfx
