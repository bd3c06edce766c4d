// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The D-pad and left stick of each controller as four directions that act like held arrow keys: pressed once
// when they go down and again at a steady pace while held. The stick counts as pushed past half its travel and
// as let go only well inside that, so a thumb resting near the line does not chatter.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/Pad.h"

namespace gw::app {

class PadDirections {
 public:
  static constexpr std::uint32_t kRepeatDelayMs = 400, kRepeatEveryMs = 100;
  static constexpr int kPushedAt = platform::kPadAxisMax / 2, kLetGoAt = platform::kPadAxisMax * 3 / 8;

  using PadButton = platform::PadButton;

  static bool IsDirection(PadButton b) { return b >= PadButton::Up && b <= PadButton::Right; }
  // A D-pad direction; returns it when this makes it pressed.
  std::optional<PadButton> Button(platform::PadId pad, PadButton direction, bool down, std::uint32_t now);
  // The left stick; returns the direction this makes pressed, if any.
  std::optional<PadButton> Axis(platform::PadId pad, platform::PadAxis axis, std::int16_t value, std::uint32_t now);
  // The presses due by now from directions held long enough, each with the controller holding it.
  std::vector<std::pair<platform::PadId, PadButton>> Repeats(std::uint32_t now);
  // A controller that went away holds nothing.
  void Forget(platform::PadId pad) { pads_.erase(pad); }

 private:
  struct Held {
    std::array<bool, 4> dpad{};
    std::array<bool, 4> stick{};
    std::array<std::uint32_t, 4> nextRepeat{};
    bool On(PadButton d) const { return dpad[Index(d)] || stick[Index(d)]; }
  };
  static std::size_t Index(PadButton d) {
    return static_cast<std::size_t>(d) - static_cast<std::size_t>(PadButton::Up);
  }
  // Sets one source of a direction; returns the direction when it was not held before and is now.
  static std::optional<PadButton> Set(Held& h, std::array<bool, 4>& source, PadButton d, bool on, std::uint32_t now);

  std::map<platform::PadId, Held> pads_;
};

}  // namespace gw::app
