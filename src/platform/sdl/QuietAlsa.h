// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// On a machine without a sound card the ALSA library writes several lines of its own to stderr before SDL gives
// up on it; the game says so itself in one line. While an owner lives, ALSA's own messages go nowhere.

namespace gw::platform::sdl {

class QuietAlsa {
 public:
  QuietAlsa();
  ~QuietAlsa();
  QuietAlsa(const QuietAlsa&) = delete;
  QuietAlsa& operator=(const QuietAlsa&) = delete;
};

}  // namespace gw::platform::sdl
