// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What decides a game besides the player's presses: the seed it was dealt and the frames it has run. Play reseeds
// the program's generator, wherever it reseeds it, from a stream derived from the seed, and its time is the frame
// count at 1/64 s a frame; so one seed and one list of presses make one game, on every machine, at any pace.

#include <cstdint>
#include <string>

namespace gw::game {

// A seed the score server dealt for one game, under the ticket id it will know it by again.
struct Ticket {
  std::string id;
  std::uint64_t seed = 0;
};

// SplitMix64: every output depends on the whole seed, and nearby seeds give unrelated streams. Integer arithmetic
// only, so every build draws the same.
class LuckStream {
 public:
  explicit LuckStream(std::uint64_t seed) : state_(seed) {}

  std::uint32_t Next() {
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<std::uint32_t>(z >> 32);
  }

 private:
  std::uint64_t state_;
};

// The game's tick after `frames` frames: the 1/64 s steps of the clock the rules of play were tuned to, in ms.
constexpr std::uint32_t PlayTick(std::uint32_t frames) {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(frames) * 1000u / 64u);
}

}  // namespace gw::game
