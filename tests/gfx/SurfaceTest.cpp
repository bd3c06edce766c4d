// SPDX-License-Identifier: GPL-3.0-or-later
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

// A fill is done late, or skipped when a whole opaque copy replaces it; whatever follows must see exactly
// the pixels an immediate fill would have left.
TEST(SurfaceFill, EveryWayOfReadingOrDrawingAfterAFillSeesTheFill) {
  const Pixel kFill = Rgb(40, 50, 60);
  Surface cover(4, 3);
  cover.Fill(Rgb(1, 1, 1));
  cover.Set(1, 1, kKey);
  cover.SetColorKey(kKey);
  struct Case {
    const char* name;
    void (*after)(Surface& dst, const Surface& cover);
    Pixel atCentre, atCorner;  // (1, 1) and (3, 2) of the 4x3 surface
  };
  const Case cases[] = {
      {"nothing", [](Surface&, const Surface&) {}, kFill, kFill},
      {"a whole opaque copy", [](Surface& d, const Surface& c) { d.BltFast(0, 0, c, nullptr, kBltFastWait); }, kKey,
       Rgb(1, 1, 1)},
      {"a whole keyed copy", [](Surface& d, const Surface& c) { d.BltFast(0, 0, c, nullptr, kBltFastSrcColorKey); },
       kFill, Rgb(1, 1, 1)},
      {"an opaque copy of a part", [](Surface& d, const Surface& c) {
         const Rect part{0, 0, 2, 2};
         d.BltFast(0, 0, c, &part, kBltFastWait);
       }, kKey, kFill},
      {"an opaque copy moved off the origin", [](Surface& d, const Surface& c) { d.BltFast(1, 0, c, nullptr, 0); },
       Rgb(1, 1, 1), Rgb(1, 1, 1)},
      {"a copy of itself", [](Surface& d, const Surface&) { d.BltFast(0, 0, d, nullptr, 0); }, kFill, kFill},
      {"one pixel set", [](Surface& d, const Surface&) { d.Set(3, 2, 9); }, kFill, 9},
      {"a rectangle filled", [](Surface& d, const Surface&) { d.FillRect({1, 1, 2, 2}, 8); }, 8, kFill},
      {"a stretched copy", [](Surface& d, const Surface& c) {
         const Rect half{0, 0, 2, 2};
         d.Blt(&half, c, nullptr, 0);
       }, Rgb(1, 1, 1), kFill},
      {"written through a lock", [](Surface& d, const Surface&) { d.Lock()->Row(1)[1] = 7; }, 7, kFill},
      {"a second fill", [](Surface& d, const Surface&) { d.Fill(6); }, 6, 6},
      {"a whole copy of a filled surface", [](Surface& d, const Surface&) {
         Surface other(4, 3);
         other.Fill(5);
         d.CopyFrom(other);
       }, 5, 5},
  };
  for (const Case& c : cases) {
    Surface dst(4, 3);
    dst.Set(3, 2, 99);  // what was there before the fill
    dst.Fill(kFill);
    c.after(dst, cover);
    EXPECT_EQ(dst.At(1, 1), c.atCentre) << c.name;
    EXPECT_EQ(dst.At(3, 2), c.atCorner) << c.name;
    EXPECT_EQ(dst.Data()[0 + 4 * 2], dst.At(0, 2)) << c.name;
    Surface copy(4, 3);
    copy.CopyFrom(dst);
    EXPECT_EQ(copy.At(3, 2), c.atCorner) << c.name << ", copied";
  }
}

}  // namespace
}  // namespace gw::gfx
