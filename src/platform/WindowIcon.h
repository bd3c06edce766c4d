// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's icon for its own window, rendered from the icon's drawing when the game is built, so the window
// shows it under any window manager and from any folder, installed or not.

#include <cstdint>
#include <span>

namespace gw::platform {

// Width and height in pixels.
int WindowIconSize();
// Rows from the top, 0xAARRGGBB with straight (not premultiplied) alpha.
std::span<const std::uint32_t> WindowIconPixels();

}  // namespace gw::platform
