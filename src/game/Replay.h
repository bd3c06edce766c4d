// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Playing a recorded game again: the recording answers everything the game asks of the outside, and refuses
// (RecordingError) whatever live play could not have given: a draw out of range, a shot while the tongue is
// out, a quit outside play, frames after the game has ended.

#include <cstdint>
#include <memory>

#include "game/PlayInput.h"
#include "game/Recording.h"
#include "gfx/Surface.h"

namespace gw::game {

class TGame;
struct GameHost;

class ReplayInput final : public PlayInput {
 public:
  explicit ReplayInput(const Recording& recording) : reader_(recording.values) {}

  void FrameStarts() override {}
  void Fired() override {}
  void Quit() override {}
  std::uint32_t Tick() override { return reader_.Tick(); }
  void Reseed() override {}
  std::uint32_t Draw(std::uint32_t n) override;
  bool DrawAtLeast(std::uint32_t n, std::uint32_t bound) override;
  bool DrawIs(std::uint32_t n, std::uint32_t value) override;

  RecordingReader& Reader() { return reader_; }

 private:
  bool Bit();

  RecordingReader reader_;
};

// Drives one game from a recording, a step (one event) at a time, so that a window can show it as it goes.
class ReplayDriver {
 public:
  // The host's input is replaced by the recording's.
  ReplayDriver(const Recording& recording, GameHost host);
  ~ReplayDriver();

  // Runs the marks before the next frame and the frame, drawn into dst, or played undrawn when dst is null;
  // false once the recording is over.
  bool Step(gfx::Surface* dst);
  // After the last frame: throws RecordingError unless everything recorded was used and the game ended.
  void CheckFinished();
  // Whether the game reached its end: its game-over screen was over.
  bool Ended() const;
  const TGame& Game() const { return *game_; }

 private:
  const Recording& recording_;
  ReplayInput input_;
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
