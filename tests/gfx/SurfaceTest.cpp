#include <gtest/gtest.h>

#include "gfx/Surface.h"

namespace gw::gfx {
namespace {

constexpr Pixel kKey = Rgb(255, 0, 204);

// A 4x3 source: the key in the middle column, distinct colours elsewhere.
Surface MakeSource() {
  Surface s(4, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) s.Set(x, y, x == 1 ? kKey : Rgb(10, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x)));
  }
  s.SetColorKey(kKey);
  return s;
}

TEST(SurfaceBlit, OpaqueCopiesKeyPixelsKeyedSkipsThem) {
  const Surface src = MakeSource();
  Surface opaque(10, 10), keyed(10, 10);
  opaque.Fill(Rgb(1, 2, 3));
  keyed.Fill(Rgb(1, 2, 3));
  ASSERT_EQ(opaque.BltFast(2, 3, src, nullptr, kBltFastWait), kOk);
  ASSERT_EQ(keyed.BltFast(2, 3, src, nullptr, kBltFastWait | kBltFastSrcColorKey), kOk);
  EXPECT_EQ(opaque.At(3, 3), kKey);
  EXPECT_EQ(keyed.At(3, 3), Rgb(1, 2, 3));
  EXPECT_EQ(keyed.At(2, 3), src.At(0, 0));
  EXPECT_EQ(keyed.At(5, 5), src.At(3, 2));
  EXPECT_EQ(keyed.At(6, 5), Rgb(1, 2, 3));
  // A picture without the key colour draws whole even with the key flag.
  Surface plain(2, 2);
  plain.Fill(Rgb(9, 9, 9));
  plain.SetColorKey(kKey);
  keyed.BltFast(0, 0, plain, nullptr, kBltFastSrcColorKey);
  EXPECT_EQ(keyed.At(1, 1), Rgb(9, 9, 9));
}

TEST(SurfaceBlit, ClipsAtEveryEdgeAndMovesTheSourceAlong) {
  const Surface src = MakeSource();
  Surface dst(5, 4);
  ASSERT_EQ(dst.BltFast(-2, -1, src, nullptr, 0), kOk);
  EXPECT_EQ(dst.At(0, 0), src.At(2, 1));
  EXPECT_EQ(dst.At(1, 1), src.At(3, 2));
  EXPECT_EQ(dst.At(2, 0), 0u);
  ASSERT_EQ(dst.BltFast(3, 2, src, nullptr, 0), kOk);
  EXPECT_EQ(dst.At(4, 3), src.At(1, 1));
  // Wholly outside: nothing drawn, not an error.
  Surface untouched(5, 4);
  EXPECT_EQ(untouched.BltFast(50, 0, src, nullptr, 0), kOk);
  EXPECT_EQ(untouched.At(4, 0), 0u);
}

TEST(SurfaceBlit, RejectsEmptyReversedAndOutOfSourceRectangles) {
  const Surface src = MakeSource();
  Surface dst(8, 8);
  const Rect cases[] = {{1, 0, 1, 3}, {3, 0, 1, 3}, {0, 0, 5, 3}, {-1, 0, 2, 2}};
  for (const Rect& r : cases) {
    EXPECT_EQ(dst.BltFast(0, 0, src, &r, 0), kInvalidRect);
    EXPECT_EQ(dst.Blt(nullptr, src, &r, 0), kInvalidRect);
  }
  const Rect reversedDst{5, 0, 2, 3};
  EXPECT_EQ(dst.Blt(&reversedDst, src, nullptr, 0), kInvalidRect);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(dst.At(x, y), 0u);
}

TEST(SurfaceBlit, RectangleBlitWithSourceKeyAndPartRect) {
  const Surface src = MakeSource();
  Surface dst(8, 8);
  dst.Fill(Rgb(7, 7, 7));
  const Rect from{1, 0, 3, 2};  // key column and column 2
  const Rect to{4, 4, 6, 6};
  ASSERT_EQ(dst.Blt(&to, src, &from, kBltWait | kBltKeySrc), kOk);
  EXPECT_EQ(dst.At(4, 4), Rgb(7, 7, 7));
  EXPECT_EQ(dst.At(5, 5), src.At(2, 1));
  EXPECT_EQ(dst.At(6, 5), Rgb(7, 7, 7));
}

TEST(SurfaceBlit, StretchesByNearestPixel) {
  Surface src(2, 1);
  src.Set(0, 0, 1);
  src.Set(1, 0, 2);
  Surface dst(4, 2);
  const Rect to{0, 0, 4, 2};
  ASSERT_EQ(dst.Blt(&to, src, nullptr, 0), kOk);
  EXPECT_EQ(dst.At(1, 1), 1u);
  EXPECT_EQ(dst.At(2, 0), 2u);
}

TEST(SurfaceLoss, LostSurfaceFailsUntilRestored) {
  Surface dst(4, 4), src(2, 2);
  dst.MarkLost();
  EXPECT_TRUE(Failed(dst.Fill(0)));
  EXPECT_TRUE(Failed(dst.BltFast(0, 0, src, nullptr, 0)));
  EXPECT_FALSE(dst.Lock().has_value());
  dst.Restore();
  EXPECT_EQ(dst.Fill(5), kOk);
  EXPECT_EQ(dst.At(3, 3), 5u);
}

}  // namespace
}  // namespace gw::gfx
