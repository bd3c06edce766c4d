// SPDX-License-Identifier: GPL-3.0-or-later
// The browser's loop: called per display refresh, it must still make 64 game frames a second, each on a tick of
// its own, and not race through a backlog after the page stood still.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Clock.h"
#include "platform/FrameSchedule.h"

namespace {

using gw::platform::FrameSchedule;
using gw::platform::QuantiseTick;

// The frames a display at `hz` asks for over `seconds`, calls at the refresh's own (fractional) times.
std::vector<std::uint64_t> Refreshes(FrameSchedule& schedule, double hz, double fromMs, double seconds) {
  std::vector<std::uint64_t> frames;
  for (double t = fromMs; t < fromMs + seconds * 1000.0; t += 1000.0 / hz) {
    for (const std::uint64_t ms : schedule.FramesDue(static_cast<std::uint64_t>(t))) frames.push_back(ms);
  }
  return frames;
}

TEST(FrameSchedule, SixtyFourFramesASecondOnEveryDisplay) {
  for (const double hz : {30.0, 59.94, 60.0, 75.0, 120.0, 144.0, 240.0}) {
    SCOPED_TRACE(hz);
    FrameSchedule schedule;
    const std::vector<std::uint64_t> frames = Refreshes(schedule, hz, 1000.0, 10.0);
    // Ten seconds are 640 steps, less the ones the last refresh has not reached yet.
    EXPECT_NEAR(static_cast<double>(frames.size()), 640.0, 64.0 / hz + 1.0);
    // Every frame sees a tick of its own, more than the frame gate's 5 ms after the one before.
    for (std::size_t i = 1; i < frames.size(); ++i) {
      const std::uint32_t gap = QuantiseTick(frames[i]) - QuantiseTick(frames[i - 1]);
      ASSERT_TRUE(gap == 15 || gap == 16) << "frame " << i << " gap " << gap;
    }
  }
}

TEST(FrameSchedule, OneCallPerStepRunsOneFrame) {
  FrameSchedule schedule;
  EXPECT_EQ(schedule.FramesDue(1000).size(), 1u);
  EXPECT_TRUE(schedule.FramesDue(1001).empty());  // the same 1/64 s step
  EXPECT_EQ(schedule.FramesDue(1016).size(), 1u);
  EXPECT_EQ(schedule.FramesDue(1016 + 47).size(), 3u);  // three steps passed in one refresh
}

TEST(FrameSchedule, AHeldUpPageMakesUpEveryStepItMissed) {
  // A page busy for up to a second between two refreshes still gets all 64 frames of each second.
  for (const double stallMs : {100.0, 250.0, 600.0, 900.0}) {
    SCOPED_TRACE(stallMs);
    FrameSchedule schedule;
    std::vector<std::uint64_t> frames = Refreshes(schedule, 60.0, 0.0, 1.0);
    const double resumed = 1000.0 + stallMs;
    const std::vector<std::uint64_t> later = Refreshes(schedule, 60.0, resumed, 1.0);
    frames.insert(frames.end(), later.begin(), later.end());
    EXPECT_NEAR(static_cast<double>(frames.size()), (resumed + 1000.0) * 64.0 / 1000.0, 2.0);
    for (std::size_t i = 1; i < frames.size(); ++i) {
      ASSERT_GT(QuantiseTick(frames[i]) - QuantiseTick(frames[i - 1]), 5u) << "frame " << i;
    }
  }
}

TEST(FrameSchedule, AWaitOfTheGamesOwnIsNotMadeUp) {
  FrameSchedule schedule;
  Refreshes(schedule, 60.0, 0.0, 1.0);
  // The game slept 150 ms in its last frame: the next frame is the step after the wait's end, as natively.
  schedule.Restart(1150);
  EXPECT_TRUE(schedule.FramesDue(1150).empty());
  const std::vector<std::uint64_t> next = schedule.FramesDue(1170);
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(QuantiseTick(next[0]), QuantiseTick(1170));
}

TEST(FrameSchedule, AStillPageDropsItsBacklog) {
  FrameSchedule schedule;
  Refreshes(schedule, 60.0, 0.0, 1.0);
  // A hidden page gets no calls; when it shows again it goes on from now, as a held-up native loop does.
  const std::vector<std::uint64_t> after = schedule.FramesDue(5000);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(QuantiseTick(after[0]), QuantiseTick(5000));
  EXPECT_NEAR(static_cast<double>(Refreshes(schedule, 60.0, 5000.0 + 1000.0 / 60.0, 1.0).size()), 64.0, 1.0);
}

}  // namespace
