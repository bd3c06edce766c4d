// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <climits>

#include "gfx/Cp1251.h"
#include "gfx/Draw.h"
#include "support/Headless.h"

namespace gw::gfx {
namespace {

struct Box {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  void Add(int x, int y) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x);
    bottom = std::max(bottom, y);
  }
};

TEST(PointInRect, EdgesAreOutside) {
  struct Case {
    int x, y;
    bool inside;
  };
  const Case cases[] = {{10, 15, false}, {20, 15, false}, {15, 10, false}, {15, 20, false},
                        {11, 19, true},  {19, 11, true},  {15, 15, true},  {9, 15, false}};
  for (const Case& c : cases) EXPECT_EQ(PointInRect(10, 10, 20, 20, c.x, c.y), c.inside) << c.x << "," << c.y;
  // No point lies in a rectangle whose right is not greater than its left.
  for (int x = -5; x < 25; ++x) EXPECT_FALSE(PointInRect(10, 10, 10, 20, x, 15));
  EXPECT_FALSE(PointInRect(10, 10, 9, 20, 10, 15));
}

TEST(ShadowText, EmptyTextDrawsNothing) {
  Surface s(100, 60);
  s.Fill(Rgb(200, 100, 50));
  DrawShadowText(test::TestFont(), 10, 10, 24, 16, "", s, kYellow);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(s.At(x, y), Rgb(200, 100, 50));
}

TEST(ShadowText, ShadowLandsTwoRightAndOneDown) {
  Surface s(300, 100);
  s.Fill(Rgb(255, 255, 255));
  DrawShadowText(test::TestFont(), 20, 20, 48, 36, ToCp1251("Ш"), s, kYellow);
  Box dark, yellow;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 300; ++x) {
      const Pixel p = s.At(x, y);
      // Both tests mean "more than half covered": black over white darkens red, yellow takes away blue.
      if (RedOf(p) < 128) dark.Add(x, y);
      if (RedOf(p) >= 128 && BlueOf(p) < 128) yellow.Add(x, y);
    }
  }
  ASSERT_LE(yellow.left, yellow.right);
  SCOPED_TRACE(testing::Message() << "dark " << dark.left << "," << dark.top << "-" << dark.right << "," << dark.bottom
                                  << " yellow " << yellow.left << "," << yellow.top << "-" << yellow.right << ","
                                  << yellow.bottom);
  EXPECT_EQ(dark.right, yellow.right + 2);
  EXPECT_EQ(dark.bottom, yellow.bottom + 1);
  EXPECT_GE(yellow.left, 20);
  EXPECT_GE(yellow.top, 20);
  EXPECT_LT(yellow.bottom, 20 + 48);
}

TEST(Frames, RoundFrameIsThreePixelsAndLeavesTheInside) {
  Surface s(60, 40);
  s.Fill(Rgb(1, 1, 1));
  DrawRoundFrame(10, 10, 30, 20, kFrameGreen, s);
  // The pen is centred on the outline: columns 9..11 on the left edge, the inside from column 12 untouched.
  for (int x : {9, 10, 11}) EXPECT_EQ(s.At(x, 20), kFrameGreen) << x;
  EXPECT_EQ(s.At(8, 20), Rgb(1, 1, 1));
  for (int y = 12; y < 28; ++y)
    for (int x = 12; x < 38; ++x) ASSERT_EQ(s.At(x, y), Rgb(1, 1, 1));
  for (int y : {28, 29, 30}) EXPECT_EQ(s.At(20, y), kFrameGreen) << y;
  // Rounded: the outermost corner pixel stays, a square frame takes it.
  EXPECT_EQ(s.At(9, 9), Rgb(1, 1, 1));
  DrawFrameRect({10, 10, 40, 30}, 3, kFocusGreen, s);
  EXPECT_EQ(s.At(9, 9), kFocusGreen);
}

TEST(Frames, ThickLineHasRoundEndsAndItsWidth) {
  Surface s(60, 60);
  DrawThickLine(10, 30, 50, 30, 7, kRed, s);
  for (int y = 27; y <= 33; ++y) EXPECT_EQ(s.At(30, y), kRed) << y;
  EXPECT_EQ(s.At(30, 26), 0u);
  EXPECT_EQ(s.At(30, 34), 0u);
  EXPECT_EQ(s.At(7, 30), kRed);   // the round end reaches past the end point
  EXPECT_EQ(s.At(7, 27), 0u);     // but not at its corners
}

}  // namespace
}  // namespace gw::gfx
