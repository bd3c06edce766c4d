// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Frames for a loop that is called from outside at its own pace (a display's refresh, 60, 120 or 144 times a
// second): the game's frames fall on the tick's 1/64 s steps, so each call runs the steps passed since the last.

#include <cstdint>
#include <vector>

namespace gw::platform {

class FrameSchedule {
 public:
  // A caller held up for less than a second (a busy page, a collection, a loaded machine) gets every step it
  // missed, so the game keeps its 64 frames a second. More than that means it stood still (a hidden page): the
  // backlog is dropped, as a native loop that was held up does not make up its missed frames either.
  static constexpr std::uint64_t kMaxCatchUp = 64;

  // The uptimes (ms) of the frames due at uptimeMs, oldest first: one per tick step begun since the last call,
  // each the first millisecond of its step. The first call has the current step due.
  std::vector<std::uint64_t> FramesDue(std::uint64_t uptimeMs);
  // The game waited on purpose until uptimeMs (its clock's sleep): the steps up to then are not made up, the
  // next one due is the step after it, as in a native loop after the same wait.
  void Restart(std::uint64_t uptimeMs);

 private:
  std::uint64_t nextStep_ = 0;
  bool started_ = false;
};

}  // namespace gw::platform
