// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's clock in a browser page. The page's loop runs several frames in one call when more than one tick
// step has passed, so the time a frame reads is the time that frame stands for, set by the loop; waits give the
// page back to the browser meanwhile (the build lets the game's code pause for them).

#include <algorithm>
#include <cstdint>
#include <utility>

#include <emscripten.h>

#include "platform/Clock.h"

namespace gw::platform::web {

class WebClock final : public Clock {
 public:
  std::uint32_t TickCount() override { return QuantiseTick(frameMs_); }
  std::uint64_t PerformanceCounter() override { return static_cast<std::uint64_t>(emscripten_get_now() * 1000.0); }
  void Sleep(std::uint32_t ms) override {
    emscripten_sleep(ms);
    SetFrameTime(UptimeMs());
    slept_ = true;
  }

  // Milliseconds since the page's game started.
  std::uint64_t UptimeMs() const { return static_cast<std::uint64_t>(emscripten_get_now() - start_); }
  // The time of the frame about to run; the clock never goes back.
  void SetFrameTime(std::uint64_t ms) { frameMs_ = std::max(frameMs_, ms); }
  // Whether the game slept since the last asking: the frames its wait stood for are not due any more.
  bool TakeSleep() { return std::exchange(slept_, false); }

 private:
  double start_ = emscripten_get_now();
  std::uint64_t frameMs_ = 0;
  bool slept_ = false;
};

}  // namespace gw::platform::web
