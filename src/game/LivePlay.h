// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Live play: the tick from the clock, the draws from the program's generator reseeded from the counter, and
// every answer written down as it is given. Recording adds a few bytes a frame to a growing buffer.

#include "game/PlayInput.h"
#include "game/Random.h"
#include "game/Recording.h"
#include "platform/Clock.h"

namespace gw::game {

class LivePlay final : public PlayInput {
 public:
  LivePlay(platform::Clock& clock, Random& random) : clock_(clock), random_(random) {}

  void FrameStarts() override { recorded_.Put(Mark::Frame); }
  void Fired() override { recorded_.Put(Mark::Fire); }
  void Quit() override { recorded_.Put(Mark::Quit); }
  std::uint32_t Tick() override;
  void Reseed() override { random_.Reseed(clock_.PerformanceCounter()); }
  std::uint32_t Draw(std::uint32_t n) override;
  bool DrawAtLeast(std::uint32_t n, std::uint32_t bound) override;
  bool DrawIs(std::uint32_t n, std::uint32_t value) override;

  const RecordingWriter& Recorded() const { return recorded_; }

 private:
  platform::Clock& clock_;
  Random& random_;
  RecordingWriter recorded_;
};

}  // namespace gw::game
