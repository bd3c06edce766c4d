// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole games of the headless program played by a script, recorded as the game records them: a player that
// aims at creatures with good points and fires when the tongue would meet one, and a player that only waits.
// Time passes as on a real machine: a frame every 6 ms, the tick in 1/64 s steps, the counter in nanoseconds
// with some jitter.

#include <cstdint>
#include <string>

#include "game/Recording.h"

namespace gw::test {

enum class Style { Catcher, Waiter };

struct PlayedGame {
  game::Recording recording;
  std::int32_t score = 0;
  std::uint8_t level = 0;
  std::uint32_t frames = 0;
};

struct Script {
  Style style = Style::Catcher;
  std::uint32_t seed = 1;  // of the counter's jitter
  std::string name = "Player";
  std::string country = "Moldova";
  // When set, the player quits from the quit question at this frame of the first level's play.
  std::uint32_t quitAtFrame = 0;
  // When set, the player quits at the first frame of play of this level.
  std::uint8_t quitOnLevel = 0;
};

PlayedGame PlayScripted(const Script& script);

}  // namespace gw::test
