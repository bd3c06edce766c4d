// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <numbers>

#include "gfx/SpriteTransform.h"

namespace gw::gfx {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// A 3x2 picture with a transparent (0) corner and distinct values elsewhere.
Surface MakePicture() {
  Surface s(3, 2);
  s.Set(0, 0, 11);
  s.Set(1, 0, 12);
  s.Set(2, 0, 13);
  s.Set(0, 1, 21);
  s.Set(1, 1, 22);
  s.Set(2, 1, 0);
  return s;
}

TEST(DrawRotated, AngleZeroTurnsHalfWayWithGapBelow) {
  Surface src = MakePicture(), dst(20, 20);
  DrawRotated(src, dst, {1, 1}, 10, 10, 3, 2, 0.0L);
  // Pixel (row i, column j) lands at column X - j, row Y - i, and again one row lower to fill gaps; rows are
  // drawn in order, so row 1's fill covers row 0's own places.
  EXPECT_EQ(dst.At(10, 11), 11u);
  EXPECT_EQ(dst.At(10, 10), 21u);
  EXPECT_EQ(dst.At(10, 9), 21u);
  EXPECT_EQ(dst.At(9, 9), 22u);
  EXPECT_EQ(dst.At(8, 10), 13u);
  EXPECT_EQ(dst.At(8, 11), 13u);
  EXPECT_EQ(dst.At(8, 9), 0u);  // the transparent pixel stays undrawn
  EXPECT_EQ(dst.At(10, 12), 0u);
}

TEST(DrawRotated, AnglePiDrawsUprightFromTwicePivotBack) {
  Surface src = MakePicture(), dst(20, 20);
  const Point pivot{1, 1};
  DrawRotated(src, dst, pivot, 10, 10, 3, 2, kPi);
  // Upright, top-left at (X - 2 px, Y - 2 py); pi lies in the right-fill range.
  EXPECT_EQ(dst.At(8, 8), 11u);
  EXPECT_EQ(dst.At(10, 8), 13u);
  EXPECT_EQ(dst.At(9, 9), 22u);
  EXPECT_EQ(dst.At(11, 8), 13u);
}

TEST(DrawRotated, NegativeAnglesAreNotReducedAndFillDifferently) {
  Surface src = MakePicture(), minus(30, 30), threeHalves(30, 30), twoPiMore(30, 30), zero(30, 30);
  DrawRotated(src, minus, {0, 0}, 15, 15, 3, 2, -kPi / 2);
  DrawRotated(src, threeHalves, {0, 0}, 15, 15, 3, 2, 3 * kPi / 2);
  // Same placement, but -pi/2 fills below and 3 pi/2 to the right.
  int differing = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) differing += minus.At(x, y) != threeHalves.At(x, y);
  EXPECT_GT(differing, 0);
  // (dx, dy) = (2, 0) turns to (0, -2) for -pi/2: the pixel lands at (15, 17) in both.
  EXPECT_EQ(minus.At(15, 17), 13u);
  EXPECT_EQ(threeHalves.At(15, 17), 13u);
  EXPECT_EQ(minus.At(15, 18), 13u);
  EXPECT_EQ(threeHalves.At(16, 17), 13u);
  // Whole turns above 2 pi are taken off.
  DrawRotated(src, twoPiMore, {0, 0}, 15, 15, 3, 2, 4 * kPi);
  DrawRotated(src, zero, {0, 0}, 15, 15, 3, 2, 0.0L);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(twoPiMore.At(x, y), zero.At(x, y));
}

// Pictures hanging over each edge of an 8 x 8 destination, which starts in a guard colour. At angle 0 a
// pixel (row i, column j) lands at (x - j, y - i) and fills below; at pi it lands at (x + j - 2 px, y + i - 2 py)
// and fills to the right. A write past a side edge that is not dropped lands in the next or previous row, so
// every pixel is checked; one past the top or bottom leaves the pixels altogether (the sanitizer build's catch).
TEST(DrawRotated, WritesOutsideTheDestinationAreDropped) {
  constexpr Pixel kGuard = 0xABCDEF, kInk = 5;
  struct Case {
    const char* name;
    int width, height;
    Point pivot;
    std::uint16_t x, y;
    long double angle;
    Rect inked;  // what lands inside, fill included
  };
  const Case cases[] = {
      {"over the right edge", 4, 3, {0, 0}, 6, 2, kPi, {6, 2, 8, 5}},
      {"over the left edge", 4, 3, {3, 0}, 3, 3, kPi, {0, 3, 2, 6}},
      {"over the bottom and right edges", 3, 4, {0, 0}, 9, 7, 0.0L, {7, 4, 8, 8}},
      {"over the top and left edges", 3, 4, {0, 0}, 1, 1, 0.0L, {0, 0, 2, 3}},
      {"far beyond the bottom right", 10, 70, {6, 70}, 65535, 65535, 0.25L, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Surface src(c.width, c.height), dst(8, 8);
    src.Fill(kInk);
    dst.Fill(kGuard);
    DrawRotated(src, dst, c.pivot, c.x, c.y, static_cast<std::uint16_t>(c.width), static_cast<std::uint16_t>(c.height),
                c.angle);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool inked = x >= c.inked.left && x < c.inked.right && y >= c.inked.top && y < c.inked.bottom;
        EXPECT_EQ(dst.At(x, y), inked ? kInk : kGuard) << c.name << " at " << x << "," << y;
      }
    }
  }
}

TEST(DrawRotated, NothingDrawnWhenASurfaceIsLost) {
  Surface src = MakePicture(), dst(20, 20);
  dst.MarkLost();
  DrawRotated(src, dst, {1, 1}, 10, 10, 3, 2, 0.0L);
  dst.Restore();
  EXPECT_EQ(dst.At(10, 10), 0u);
}

TEST(MirrorSurface, ColumnsSwapAcrossTheMiddle) {
  Surface src = MakePicture(), dst(3, 2);
  MirrorSurface(src, dst);
  for (int r = 0; r < 2; ++r)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(dst.At(k, r), src.At(2 - k, r)) << r << "," << k;
  EXPECT_EQ(dst.At(0, 0), src.At(2, 0));  // pixel (r, 0) is the source's (r, w - 1)
}

}  // namespace
}  // namespace gw::gfx
