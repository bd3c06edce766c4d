// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// When the next frame is due: once more than 5 ms have passed since the last one ended. With the tick's 1/64 s
// steps that is one frame a step, 64 a second, the pace every rule of play was tuned to.

#include <cstdint>

namespace gw::app {

inline constexpr std::uint32_t kFrameGapMs = 5;

inline bool FrameDue(std::uint32_t now, std::uint32_t lastFrameEnd) { return now - lastFrameEnd > kFrameGapMs; }

}  // namespace gw::app
