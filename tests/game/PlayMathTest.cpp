// SPDX-License-Identifier: GPL-3.0-or-later
// The integer arithmetic of play against the extended-precision arithmetic the game was tuned with: where the
// compiler gives 64-bit-significand long doubles (x86-64 Linux), every reachable aim angle, every tongue and
// hanging distance and every arch position must give the same results bit for bit.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <set>
#include <vector>

#include "game/AimTable.h"
#include "game/Geometry.h"
#include "game/PlayMath.h"

namespace gw::game {
namespace {

// The aim's swing from its start, as the game turns it: every angle it can hold.
std::vector<float> ReachableAngles() {
  std::set<std::pair<float, bool>> seen;
  std::vector<float> angles;
  float a = 0;
  bool rising = false;
  for (;;) {
    if (a >= kAimTop) rising = false;
    if (a <= kAimBottom) rising = true;
    if (!seen.insert({a, rising}).second) break;
    angles.push_back(a);
    a = SteppedAngle(a, rising ? kAimStep : Negated(kAimStep));
  }
  return angles;
}

// Within one unit in the last place: the same 64-bit significand give or take one.
bool Near(const Extended& a, const Extended& b) {
  if (a.negative != b.negative) return false;
  const auto wide = [](const Extended& x) { return static_cast<long double>(x.significand) * 0x1p-63L; };
  if (a.exponent == b.exponent) return a.significand - b.significand + 1 <= 2;
  return std::fabs(std::ldexp(wide(a), a.exponent - b.exponent) - wide(b)) <= 0x1p-62L;
}

TEST(PlayMath, TheTableHoldsEveryReachableAngleAndItsSeriesValues) {
  std::set<std::uint32_t> bits;
  for (const float a : ReachableAngles()) bits.insert(std::bit_cast<std::uint32_t>(a));
  ASSERT_EQ(bits.size(), kAimTable.size());
  std::size_t i = 0;
  for (const std::uint32_t b : bits) {
    const AimEntry& t = kAimTable[i++];
    ASSERT_EQ(t.angleBits, b);
    const float a = std::bit_cast<float>(b);
    EXPECT_TRUE(Near(t.cosine, Cosine(a)) && Near(t.sine, Sine(a))) << a;
  }
}

TEST(PlayMath, DirectionOfAnyAngleMatchesTheTable) {
  for (const AimEntry& e : kAimTable) {
    const AimDirection d = AimDirection::Of(std::bit_cast<float>(e.angleBits));
    EXPECT_EQ(d.cosine.significand, e.cosine.significand);
    EXPECT_EQ(d.sine.exponent, e.sine.exponent);
  }
  // Angles off the swing (set by hand) are computed, with the same results.
  EXPECT_EQ(AlongAim(AimDirection::Of(std::numbers::pi_v<float> / 2), 300).y, -300);
  EXPECT_EQ(AlongAim(AimDirection::Of(0.0f), 300).x, 300);
  EXPECT_EQ(AlongAim(AimDirection::Of(std::numbers::pi_v<float>), 100).x, -100);
}

// The reference is glibc's extended sine and cosine, rounded to within half a unit; MinGW's x87 ones are not, so
// there the table is checked only through the recorded games it replays.
#if LDBL_MANT_DIG == 64 && (defined(__x86_64__) || defined(__i386__)) && defined(__GLIBC__)

long double ToLongDouble(const Extended& x) {
  const long double v = std::ldexp(static_cast<long double>(x.significand), x.exponent);
  return x.negative ? -v : v;
}

TEST(PlayMathAgainstExtended, EveryReachableAngleGivesTheSameOffsetsEyesAndSwing) {
  constexpr long double kPi = std::numbers::pi_v<long double>;
  const std::vector<float> angles = ReachableAngles();
  ASSERT_GT(angles.size(), 100u);
  for (const float angle : angles) {
    const long double a = angle;
    const AimDirection d = AimDirection::Of(angle);
    // The committed table, regenerated.
    ASSERT_EQ(ToLongDouble(d.cosine), std::cos(-a)) << std::hexfloat << angle;
    ASSERT_EQ(ToLongDouble(Negated(d.sine)), std::sin(-a)) << std::hexfloat << angle;
    for (int r = 0; r <= 1200; ++r) {
      const Offset o = AlongAim(d, r);
      ASSERT_EQ(o.x, static_cast<std::int32_t>(std::llrint(std::cos(-a) * r))) << angle << " at " << r;
      ASSERT_EQ(o.y, static_cast<std::int32_t>(std::llrint(std::sin(-a) * r))) << angle << " at " << r;
    }
    ASSERT_EQ(TruncatedScaled(d.cosine, 3), static_cast<int>(std::trunc(std::cos(a) * 8)));
    ASSERT_EQ(TruncatedScaled(d.sine, 3), static_cast<int>(std::trunc(std::sin(a) * 8)));
    ASSERT_EQ(SteppedAngle(angle, kAimStep), static_cast<float>(a + 0.05L));
    ASSERT_EQ(SteppedAngle(angle, Negated(kAimStep)), static_cast<float>(a - 0.05L));
    ASSERT_EQ(angle >= kAimTop, a >= 7 * kPi / 8);
    ASSERT_EQ(angle <= kAimBottom, a <= kPi / 8);
  }
  // The turning points are the floats next to the bounds.
  EXPECT_LT(static_cast<long double>(std::nextafter(kAimTop, 0.0f)), 7 * kPi / 8);
  EXPECT_GT(static_cast<long double>(std::nextafter(kAimBottom, 4.0f)), kPi / 8);
}

TEST(PlayMathAgainstExtended, AnglesOffTheSwingAgreeToo) {
  // Every 4099th float from 2^-30 to 3.5: the hand-set angles of tests and benchmarks lie among such.
  int differing = 0;
  for (auto b = std::bit_cast<std::uint32_t>(0x1p-30f); b < std::bit_cast<std::uint32_t>(3.5f); b += 4099) {
    const float angle = std::bit_cast<float>(b);
    const long double a = angle;
    const long double c = std::cos(a), s = std::sin(a);
    ASSERT_LE(std::fabs(ToLongDouble(Cosine(angle)) - c), std::ldexp(1.0L, std::ilogb(c) - 63)) << angle;
    ASSERT_LE(std::fabs(ToLongDouble(Sine(angle)) - s), std::ldexp(1.0L, std::ilogb(s) - 63)) << angle;
    differing += ToLongDouble(Cosine(angle)) != c || ToLongDouble(Sine(angle)) != s;
    ASSERT_EQ(SteppedAngle(angle, kAimStep), static_cast<float>(a + 0.05L)) << angle;
    ASSERT_EQ(SteppedAngle(angle, Negated(kAimStep)), static_cast<float>(a - 0.05L)) << angle;
  }
  // The maths library is not rounded correctly everywhere: off the swing the series may differ from it in the
  // last bit, now and then.
  EXPECT_LT(differing, 1000);
}

TEST(PlayMathAgainstExtended, EveryArchPositionGivesTheSameRow) {
  for (int x = INT16_MIN; x <= INT16_MAX; ++x) {
    const std::int32_t fromMiddle = x - 400;
    const auto square = static_cast<std::uint64_t>(fromMiddle * fromMiddle);
    ASSERT_EQ(RoundedProduct(kArchFactor, square),
              std::llrint(static_cast<long double>(fromMiddle * fromMiddle) * 0.0007L))
        << x;
  }
}

#endif

}  // namespace
}  // namespace gw::game
