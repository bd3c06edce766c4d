// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Playing a recorded game again: the seed it was dealt and the player's marks, frame by frame; whatever live play
// could not have done (a shot while the tongue is out, a quit outside play, frames after the game has ended) is
// refused with a RecordingError.

#include <cstdint>
#include <memory>

#include "game/Recording.h"
#include "gfx/Surface.h"

namespace gw::game {

class TGame;
struct GameHost;

// Drives one game from a recording, a frame at a time, so that a window can show it as it goes.
class ReplayDriver {
 public:
  // The recording must carry its seed (RecordingError otherwise) and outlive the driver.
  ReplayDriver(const Recording& recording, GameHost host);
  ~ReplayDriver();

  // Runs the marks before the next frame and the frame, drawn into dst, or played undrawn when dst is null;
  // false once the recording is over.
  bool Step(gfx::Surface* dst);
  // After the last frame: throws RecordingError unless every mark was used and the game ended.
  void CheckFinished();
  // Whether the game reached its end: its game-over screen was over.
  bool Ended() const;
  const TGame& Game() const { return *game_; }

 private:
  const Recording& recording_;
  std::int32_t& screenState_;
  std::uint32_t frame_ = 0;
  std::size_t mark_ = 0;
  std::unique_ptr<TGame> game_;
};

struct ReplayOutcome {
  std::int32_t score = 0;
  std::uint8_t level = 0;
  std::uint32_t frames = 0;
};

// Plays the whole recording without a window or sound; throws RecordingError when the recording does not fit
// play or does not reach the end of a game.
ReplayOutcome ReplayGame(const Recording& recording);

}  // namespace gw::game
