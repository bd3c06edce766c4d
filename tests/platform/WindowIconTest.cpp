// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowIcon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstddef>

namespace gw::platform {
namespace {

// The window's icon is the drawing: square, clear round its edge and opaque inside, its colours kept straight,
// not multiplied by their alpha (which the renderer gives and which would darken every soft edge).
TEST(WindowIcon, IsTheDrawingWithStraightAlpha) {
  const int size = WindowIconSize();
  const auto pixels = WindowIconPixels();
  ASSERT_GE(size, 32);
  ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  const auto alpha = [](std::uint32_t p) { return p >> 24; };
  const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y * size + x)]; };
  EXPECT_EQ(at(0, 0), 0u);
  EXPECT_EQ(at(size - 1, size - 1), 0u);
  EXPECT_EQ(alpha(at(size / 2, size / 2)), 255u);

  int softEdges = 0;
  int brighterThanAlpha = 0;
  for (std::uint32_t p : pixels) {
    if (alpha(p) == 0 || alpha(p) == 255) continue;
    ++softEdges;
    if (std::max({(p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu}) > alpha(p)) ++brighterThanAlpha;
  }
  EXPECT_GT(softEdges, 0);
  EXPECT_GT(brighterThanAlpha, softEdges / 2);
}

}  // namespace
}  // namespace gw::platform
