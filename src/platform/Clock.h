// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Time as the game sees it: a millisecond tick, a high-resolution counter for seeding, and sleep.

#include <cstdint>

namespace gw::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since start, advancing in steps of 1/64 s (see QuantiseTick).
  virtual std::uint32_t TickCount() = 0;
  virtual std::uint64_t PerformanceCounter() = 0;
  virtual void Sleep(std::uint32_t ms) = 0;
};

// The game's speed is tuned to a tick that advances in steps of 1/64 s: the uptime rounded down to the last
// such step, in whole milliseconds.
constexpr std::uint32_t QuantiseTick(std::uint64_t uptimeMs) {
  const std::uint64_t steps = uptimeMs * 64 / 1000;
  return static_cast<std::uint32_t>(steps * 1000 / 64);
}

// Milliseconds from uptimeMs until the tick next changes (at least 1).
constexpr std::uint32_t MsUntilNextTick(std::uint64_t uptimeMs) {
  const std::uint64_t steps = uptimeMs * 64 / 1000;
  const std::uint64_t next = ((steps + 1) * 1000 + 63) / 64;
  return next > uptimeMs ? static_cast<std::uint32_t>(next - uptimeMs) : 1u;
}

}  // namespace gw::platform
