// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/SpriteTransform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gw::gfx {

void MirrorSurface(const Surface& source, Surface& dest) {
  const auto to = dest.Lock();
  if (!to || source.IsLost()) return;
  const int w = to->width;
  const int h = std::min(to->height, source.Height());
  for (int r = 0; r < h; ++r) {
    const Pixel* src = source.Row(r);
    Pixel* dst = to->Row(r);
    for (int k = 0; k < w; ++k) {
      const int sk = w - 1 - k;
      if (sk < source.Width()) dst[k] = src[sk];
    }
  }
}

void DrawRotated(const Surface& source, Surface& dest, Point pivot, std::uint16_t x, std::uint16_t y,
                 std::uint16_t width, std::uint16_t height, long double angle) {
  if (source.IsLost()) return;
  const int rows = std::min<int>(height, source.Height());
  const int cols = std::min<int>(width, source.Width());
  // No pixel lands farther from (x, y) - pivot than the source corner farthest from the pivot, plus the
  // rounding and the filled neighbour.
  long double farthest = 0;
  for (const long double cx : {0.0L, static_cast<long double>(cols)}) {
    for (const long double cy : {0.0L, static_cast<long double>(rows)}) {
      farthest = std::max(farthest, std::hypot(cx - pivot.x, cy - pivot.y));
    }
  }
  const int reach = static_cast<int>(std::ceil(farthest)) + 2;
  const int cx = x - pivot.x, cy = y - pivot.y;
  const auto to = dest.Lock({cx - reach, cy - reach, cx + reach + 1, cy + reach + 1});
  if (!to) return;

  constexpr long double kPi = std::numbers::pi_v<long double>;
  while (angle >= 2 * kPi) angle -= 2 * kPi;
  const long double sinA = std::sin(angle);
  const long double cosA = std::cos(angle);
  // The hole left by the rotated grid is filled below for these angles, to the right otherwise.
  const bool fillBelow = angle < kPi / 2 || (angle > kPi && angle < 3 * kPi / 2);

  auto put = [&](long long col, long long row, Pixel p) {
    if (col >= 0 && row >= 0 && col < to->width && row < to->height) {
      to->Row(static_cast<int>(row))[col] = p;
    }
  };

  for (int i = 0; i < rows; ++i) {
    const Pixel* line = source.Row(i);
    for (int j = 0; j < cols; ++j) {
      const Pixel p = line[j];
      if (p == 0) continue;
      const long double dx = j - pivot.x;
      const long double dy = i - pivot.y;
      // Rounding to nearest with halves to even: the default floating-point rounding mode.
      const long long rx = std::llrint(dx * cosA - dy * sinA);
      const long long ry = std::llrint(dx * sinA + dy * cosA);
      const long long u = x - rx - pivot.x;
      const long long v = y - ry - pivot.y;
      put(u, v, p);
      if (fillBelow) {
        put(u, v + 1, p);
      } else {
        put(u + 1, v, p);
      }
    }
  }
}

}  // namespace gw::gfx
