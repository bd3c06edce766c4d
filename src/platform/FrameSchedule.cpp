// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FrameSchedule.h"

namespace gw::platform {

namespace {

constexpr std::uint64_t kStepsPerSecond = 64;

constexpr std::uint64_t StepAt(std::uint64_t ms) { return ms * kStepsPerSecond / 1000; }
// The first whole millisecond that lies in the step.
constexpr std::uint64_t StepStart(std::uint64_t step) { return (step * 1000 + kStepsPerSecond - 1) / kStepsPerSecond; }

}  // namespace

std::vector<std::uint64_t> FrameSchedule::FramesDue(std::uint64_t uptimeMs) {
  const std::uint64_t now = StepAt(uptimeMs);
  if (!started_ || now + 1 > nextStep_ + kMaxCatchUp) {
    started_ = true;
    nextStep_ = now;
  }
  std::vector<std::uint64_t> due;
  for (; nextStep_ <= now; ++nextStep_) due.push_back(StepStart(nextStep_));
  return due;
}

void FrameSchedule::Restart(std::uint64_t uptimeMs) {
  started_ = true;
  nextStep_ = StepAt(uptimeMs) + 1;
}

}  // namespace gw::platform
