// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole games of the headless program played by a script on a dealt seed, recorded as the game records them: a
// player that aims at creatures with good points and fires when the tongue would meet one, and a player that only
// waits.

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
  std::uint64_t seed = 1;  // the game's dealt seed
  std::string name = "Player";  // what the score is entered under
  std::string country = "Moldova";
  // When set, the player quits from the quit question at this frame of the first level's play.
  std::uint32_t quitAtFrame = 0;
  // When set, the player quits at the first frame of play of this level.
  std::uint8_t quitOnLevel = 0;
  std::string ticket = "scripted";  // the id the seed is dealt under
};

PlayedGame PlayScripted(const Script& script);

}  // namespace gw::test
