// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PadDirections.h"

namespace gw::app {

using platform::PadButton;

std::optional<PadButton> PadDirections::Set(Held& h, std::array<bool, 4>& source, PadButton d, bool on,
                                            std::uint32_t now) {
  const bool before = h.On(d);
  source[Index(d)] = on;
  if (before || !h.On(d)) return std::nullopt;
  h.nextRepeat[Index(d)] = now + kRepeatDelayMs;
  return d;
}

std::optional<PadButton> PadDirections::Button(platform::PadId pad, PadButton d, bool down, std::uint32_t now) {
  Held& h = pads_[pad];
  return Set(h, h.dpad, d, down, now);
}

std::optional<PadButton> PadDirections::Axis(platform::PadId pad, platform::PadAxis axis, std::int16_t value,
                                             std::uint32_t now) {
  Held& h = pads_[pad];
  const bool x = axis == platform::PadAxis::LeftX;
  const PadButton low = x ? PadButton::Left : PadButton::Up;
  const PadButton high = x ? PadButton::Right : PadButton::Down;
  // Pushed past half way; held until back inside the let-go line.
  const auto next = [&](PadButton d, int travel) {
    return h.stick[Index(d)] ? travel > kLetGoAt : travel > kPushedAt;
  };
  const bool lowOn = next(low, -value);
  const bool highOn = next(high, value);
  std::optional<PadButton> pressed = Set(h, h.stick, low, lowOn, now);
  if (const std::optional<PadButton> p = Set(h, h.stick, high, highOn, now)) pressed = p;
  return pressed;
}

std::vector<std::pair<platform::PadId, PadButton>> PadDirections::Repeats(std::uint32_t now) {
  std::vector<std::pair<platform::PadId, PadButton>> due;
  for (auto& [pad, h] : pads_) {
    for (const PadButton d : {PadButton::Up, PadButton::Down, PadButton::Left, PadButton::Right}) {
      std::uint32_t& next = h.nextRepeat[Index(d)];
      // Signed difference, so a tick that wraps around keeps the pace.
      if (!h.On(d) || static_cast<std::int32_t>(now - next) < 0) continue;
      due.emplace_back(pad, d);
      next = now + kRepeatEveryMs;
    }
  }
  return due;
}

}  // namespace gw::app
