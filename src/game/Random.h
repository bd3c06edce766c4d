// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's one random generator: a 32-bit linear congruential generator whose draws take the high
// half of the product with the range, and which play reseeds from the high-resolution counter.

#include <cstdint>

namespace gw::game {

class Random {
 public:
  explicit Random(std::uint32_t seed = 0) : seed_(seed) {}

  // A value in 0 .. n - 1 (0 when n is 0).
  std::uint32_t Below(std::uint32_t n) {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed_) * n) >> 32);
  }
  // The seed becomes the low 32 bits of the counter.
  void Reseed(std::uint64_t performanceCounter) { seed_ = static_cast<std::uint32_t>(performanceCounter); }
  std::uint32_t Seed() const { return seed_; }

 private:
  std::uint32_t seed_;
};

}  // namespace gw::game
