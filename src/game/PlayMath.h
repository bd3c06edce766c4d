// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The arithmetic that decides play, done in integers so that every compiler, maths library and floating-point
// unit gives the same results: the game was tuned with 64-bit-significand extended precision and its sine and
// cosine, and these functions give exactly those results (correctly rounded sine and cosine, products rounded to
// 64 significant bits, then to the nearest integer, halves to even).

#include <cstdint>

namespace gw::game {

// A number m * 2^exponent with a 64-bit significand (its top bit set unless the number is zero).
struct Extended {
  std::uint64_t significand = 0;
  std::int32_t exponent = 0;
  bool negative = false;
};

// The nearest 64-bit-significand numbers to 0.05 and 0.0007.
inline constexpr Extended kAimStep{14757395258967641293u, -68, false};
inline constexpr Extended kArchFactor{13222626152035006598u, -74, false};
// The aim turns back at 7/8 pi and at pi/8: the first float at or above the one, the last at or below the other.
inline constexpr float kAimTop = 0x1.5fdbcp+1f;
inline constexpr float kAimBottom = 0x1.921fb4p-2f;

// cos(a) and sin(a) for a float angle in [-4, 4], correctly rounded to 64 significant bits.
Extended Cosine(float a);
Extended Sine(float a);
Extended Negated(Extended x);

// x * n rounded to 64 significant bits, then to the nearest integer, halves to even.
std::int64_t RoundedProduct(const Extended& x, std::uint64_t n);
// x * 2^shift with its fraction cut off (towards zero).
std::int64_t TruncatedScaled(const Extended& x, int shift);
// The float nearest to (a + step) once rounded to 64 significant bits: the aim's swing. For angles of at least
// 2^-40 in size, or zero.
float SteppedAngle(float a, const Extended& step);

}  // namespace gw::game
