// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything a game in progress takes from outside itself: the tick, the random draws (with the reseeds from
// the high-resolution counter before them), and the player's fire and quit between frames. Live play reads
// the clock and the generator and records what it read; a replay gives back what was recorded.

#include <cstdint>

namespace gw::game {

class PlayInput {
 public:
  virtual ~PlayInput() = default;

  // Between frames: a frame starts, the player fires, the player quits the game.
  virtual void FrameStarts() = 0;
  virtual void Fired() = 0;
  virtual void Quit() = 0;

  virtual std::uint32_t Tick() = 0;
  virtual void Reseed() = 0;
  // A value in 0 .. n - 1.
  virtual std::uint32_t Draw(std::uint32_t n) = 0;
  // Whether a value drawn in 0 .. n - 1 is at least bound, or is exactly value: where play only asks that
  // much of a draw, only that much is recorded.
  virtual bool DrawAtLeast(std::uint32_t n, std::uint32_t bound) = 0;
  virtual bool DrawIs(std::uint32_t n, std::uint32_t value) = 0;
};

}  // namespace gw::game
