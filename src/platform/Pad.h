// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Game controllers as the game needs them: the buttons it gives a meaning, by their place on the pad (A is the
// south button, B the east one), the left stick, and a controller going away.

#include <cstdint>

namespace gw::platform {

enum class PadButton : std::uint8_t { A, B, Start, Back, Up, Down, Left, Right };
enum class PadAxis : std::uint8_t { LeftX, LeftY };

// One connected controller, for as long as it stays connected.
using PadId = std::int32_t;

inline constexpr std::int16_t kPadAxisMax = 32767;

class PadEvents {
 public:
  virtual ~PadEvents() = default;
  virtual void OnPadButton(PadId pad, PadButton button, bool down) = 0;
  // value from -32768 to 32767; negative is left or up.
  virtual void OnPadAxis(PadId pad, PadAxis axis, std::int16_t value) = 0;
  virtual void OnPadRemoved(PadId pad) = 0;
};

}  // namespace gw::platform
