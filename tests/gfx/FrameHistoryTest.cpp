// SPDX-License-Identifier: GPL-3.0-or-later
// A surface drawn frame after frame must hold exactly what the same frame drawn on a fresh surface holds:
// the late clear and the put-back of only what was drawn over an unchanged background must never leave a
// pixel of an earlier frame behind.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "gfx/Cp1251.h"
#include "gfx/Draw.h"
#include "gfx/SpriteTransform.h"
#include "gfx/Surface.h"
#include "support/Headless.h"

namespace gw::gfx {
namespace {

constexpr int kW = 160, kH = 120;
constexpr Pixel kKey = Rgb(255, 0, 204);

using Op = std::function<void(Surface&)>;

Surface Pattern(int w, int h, std::uint32_t seed, bool keyed) {
  Surface s(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s.Set(x, y, keyed && rng() % 4 == 0 ? kKey : static_cast<Pixel>(rng() & 0xFFFFFF));
  }
  if (keyed) s.SetColorKey(kKey);
  return s;
}

bool Same(const Surface& a, const Surface& b) {
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      if (a.At(x, y) != b.At(x, y)) return false;
    }
  }
  return true;
}

TEST(FrameHistory, EveryFrameEqualsTheSameFrameDrawnOnAFreshSurface) {
  Surface backgroundA = Pattern(kW, kH, 1, false), backgroundB = Pattern(kW, kH, 2, false);
  const Surface sprite = Pattern(24, 18, 3, true), root = Pattern(12, 40, 4, true);
  Surface snapshot(kW, kH);
  std::mt19937 rng(2026);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

  Surface drawn(kW, kH);
  for (int frame = 0; frame < 400; ++frame) {
    // Between frames a picture may change (as a reload does), or the frozen frame be taken.
    if (pick(10) == 0) backgroundA.Set(pick(kW), pick(kH), static_cast<Pixel>(rng() & 0xFFFFFF));
    if (pick(15) == 0) snapshot.CopyFrom(drawn);

    std::vector<Op> ops;
    ops.push_back([](Surface& s) { s.Fill(0); });
    if (pick(6) == 0) ops.push_back([](Surface& s) { (void)s.At(5, 5); });  // a look before the background
    switch (pick(5)) {
      case 0: break;  // no background: the clear shows
      case 1: ops.push_back([&](Surface& s) { s.BltFast(0, 0, backgroundB, nullptr, kBltFastWait); }); break;
      case 2: ops.push_back([&](Surface& s) { s.BltFast(0, 0, snapshot, nullptr, kBltFastWait); }); break;
      default: ops.push_back([&](Surface& s) { s.BltFast(0, 0, backgroundA, nullptr, kBltFastWait); }); break;
    }
    for (int k = pick(6); k > 0; --k) {
      const int x = pick(kW + 40) - 20, y = pick(kH + 40) - 20;
      const auto colour = static_cast<Pixel>(rng() & 0xFFFFFF);
      switch (pick(9)) {
        case 0: ops.push_back([&, x, y](Surface& s) { s.BltFast(x, y, sprite, nullptr, kBltFastSrcColorKey); }); break;
        case 1: ops.push_back([&, x, y](Surface& s) { s.BltFast(x, y, sprite, nullptr, kBltFastWait); }); break;
        case 2: ops.push_back([&, x, y](Surface& s) {
                  const Rect to{x, y, x + 37, y + 11};
                  s.Blt(&to, sprite, nullptr, kBltKeySrc);
                }); break;
        case 3: ops.push_back([x, y, colour](Surface& s) { s.FillRect({x, y, x + 9, y + 5}, colour); }); break;
        case 4: ops.push_back([x, y, colour](Surface& s) {
                  if (x >= 0 && y >= 0 && x < kW && y < kH) s.Set(x, y, colour);
                }); break;
        case 5: ops.push_back([x, y, colour](Surface& s) { DrawThickLine(x, y, kW - x, y / 2, 7, colour, s); }); break;
        case 6: ops.push_back([x, y, colour](Surface& s) { DrawRoundFrame(x, y, 30, 20, colour, s); }); break;
        case 7: ops.push_back([&, x, y, turn = pick(628) / 100.0L](Surface& s) {
                  DrawRotated(root, s, {6, 30}, static_cast<std::uint16_t>(std::max(x, 0)),
                              static_cast<std::uint16_t>(std::max(y, 0)), 12, 40, turn);
                }); break;
        default: ops.push_back([x, y, colour](Surface& s) {
                   DrawShadowText(test::TestFont(), x, y, 16, 10, ToCp1251("Очки 120"), s, colour);
                 }); break;
      }
    }

    for (const Op& op : ops) op(drawn);
    Surface fresh(kW, kH);
    for (const Op& op : ops) op(fresh);
    ASSERT_TRUE(Same(drawn, fresh)) << "frame " << frame;
  }
}

}  // namespace
}  // namespace gw::gfx
