// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/PlayMath.h"

#include <bit>

namespace gw::game {

namespace {

__extension__ using U128 = unsigned __int128;

// Fixed point with 120 fraction bits: room for the series' largest terms at |a| < 4.
constexpr int kFraction = 120;

int HighestBit(U128 v) {
  const auto hi = static_cast<std::uint64_t>(v >> 64);
  const auto lo = static_cast<std::uint64_t>(v);
  return hi != 0 ? 127 - std::countl_zero(hi) : 63 - std::countl_zero(lo);
}

// (a * b) >> kFraction, from the full 256-bit product.
U128 MulFixed(U128 a, U128 b) {
  const U128 mask = ~std::uint64_t{0};
  const U128 a0 = a & mask, a1 = a >> 64, b0 = b & mask, b1 = b >> 64;
  const U128 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  U128 t = (p00 >> 64) + (p01 & mask) + (p10 & mask);
  const U128 w1 = t & mask;
  t = (t >> 64) + (p01 >> 64) + (p10 >> 64) + (p11 & mask);
  const U128 w2 = t & mask;
  t = (t >> 64) + (p11 >> 64);
  const U128 w3 = t & mask;
  constexpr int kDrop = kFraction - 64;  // of w1
  return (w3 << (128 - kDrop)) | (w2 << (64 - kDrop)) | (w1 >> kDrop);
}

struct Rounded {
  U128 m;
  std::int32_t exponent;
};

// v * 2^exponent (plus a little more when sticky) rounded to `bits` significant bits, halves to even.
Rounded RoundToBits(U128 v, std::int32_t exponent, int bits, bool sticky = false) {
  if (v == 0) return {0, 0};
  const int drop = HighestBit(v) + 1 - bits;
  if (drop <= 0) return {v << -drop, exponent + drop};
  U128 kept = v >> drop;
  const U128 rest = v & ((U128{1} << drop) - 1);
  const U128 half = U128{1} << (drop - 1);
  if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) ++kept;
  int dropped = drop;
  if ((kept >> bits) != 0) {
    kept >>= 1;
    ++dropped;
  }
  return {kept, exponent + dropped};
}

Extended ToExtended(U128 v, std::int32_t exponent, bool negative) {
  const Rounded r = RoundToBits(v, exponent, 64);
  if (r.m == 0) return {};
  return {static_cast<std::uint64_t>(r.m), r.exponent, negative};
}

// |a| in fixed point; the float's bits below 2^-120 (angles under 2^-97) are dropped.
U128 FixedMagnitude(float a) {
  const auto bits = std::bit_cast<std::uint32_t>(a);
  const int biased = static_cast<int>((bits >> 23) & 0xFF);
  if (biased == 0) return 0;  // zero, or too small to matter
  const U128 mantissa = (bits & 0x7FFFFF) | 0x800000;
  const int shift = kFraction + biased - 150;
  return shift >= 0 ? mantissa << shift : mantissa >> -shift;
}

// The series sum_k (-1)^k x^(2k + first) / (2k + first)!, as the positive and negative sums of its terms.
Extended Series(float a, int first) {
  const U128 x = FixedMagnitude(a);
  const U128 x2 = MulFixed(x, x);
  U128 term = first == 0 ? U128{1} << kFraction : x;
  U128 sums[2] = {term, 0};
  for (unsigned k = 1; term != 0; ++k) {
    const unsigned n = 2 * k + static_cast<unsigned>(first);
    term = MulFixed(term, x2) / (static_cast<U128>(n - 1) * n);
    sums[k % 2] += term;
  }
  const bool below = sums[1] > sums[0];
  return ToExtended(below ? sums[1] - sums[0] : sums[0] - sums[1], -kFraction, below);
}

}  // namespace

Extended Cosine(float a) { return Series(a, 0); }

Extended Sine(float a) {
  Extended s = Series(a, 1);
  if (a < 0 && s.significand != 0) s.negative = !s.negative;
  return s;
}

Extended Negated(Extended x) {
  if (x.significand != 0) x.negative = !x.negative;
  return x;
}

std::int64_t RoundedProduct(const Extended& x, std::uint64_t n) {
  const Rounded p = RoundToBits(static_cast<U128>(x.significand) * n, x.exponent, 64);
  if (p.m == 0) return 0;
  U128 whole = 0;
  if (p.exponent >= 0) {
    whole = p.m << p.exponent;
  } else if (p.exponent >= -64) {
    // Below 2^-64 the significand's value is under one half: zero.
    const int s = -p.exponent;
    whole = p.m >> s;
    const U128 rest = p.m & ((U128{1} << s) - 1);
    const U128 half = U128{1} << (s - 1);
    if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
  }
  const auto value = static_cast<std::int64_t>(whole);
  return x.negative ? -value : value;
}

std::int64_t TruncatedScaled(const Extended& x, int shift) {
  const int e = x.exponent + shift;
  std::uint64_t whole = 0;
  if (e >= 0) {
    whole = x.significand << e;
  } else if (e > -64) {
    whole = x.significand >> -e;
  }
  const auto value = static_cast<std::int64_t>(whole);
  return x.negative ? -value : value;
}

float SteppedAngle(float a, const Extended& step) {
  // Both as integers times 2^step.exponent; the float's bits lie above that for angles of at least 2^-40.
  const auto bits = std::bit_cast<std::uint32_t>(a);
  const int biased = static_cast<int>((bits >> 23) & 0xFF);
  U128 angle = 0;
  if (biased != 0) {
    const U128 mantissa = (bits & 0x7FFFFF) | 0x800000;
    const int shift = biased - 150 - step.exponent;
    angle = shift >= 0 ? mantissa << shift : mantissa >> -shift;
  }
  const bool angleNegative = (bits >> 31) != 0 && angle != 0;
  U128 sum = 0;
  bool negative = false;
  if (angleNegative == step.negative) {
    sum = angle + step.significand;
    negative = step.negative;
  } else if (angle >= step.significand) {
    sum = angle - step.significand;
    negative = angleNegative;
  } else {
    sum = step.significand - angle;
    negative = step.negative;
  }
  const Rounded wide = RoundToBits(sum, step.exponent, 64);
  const Rounded single = RoundToBits(wide.m, wide.exponent, 24);
  if (single.m == 0) return 0.0f;
  const auto field = static_cast<std::uint32_t>(single.exponent + 23 + 127);
  const auto result = (field << 23) | (static_cast<std::uint32_t>(single.m) & 0x7FFFFF);
  return std::bit_cast<float>(negative ? result | 0x80000000u : result);
}

}  // namespace gw::game
