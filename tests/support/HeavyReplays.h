// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The heaviest replays a player can make the score server run: one session, its cookie sent by hand so that many
// connections can speak for it at once, and one very long game played on its ticket, sent many times over. The
// server's clock (ServiceSettings::now) must be moved on by the game's length before it is sent.

#include <cstdint>
#include <string>

#include "game/Luck.h"
#include "support/ScriptedPlayer.h"

namespace gw::test {

class HeavySession {
 public:
  explicit HeavySession(std::uint16_t port);

  // Stores a claim and sends the recording for it on a connection of its own; the replay's status (0: no answer).
  int Send(std::int32_t score, const std::string& recording) const;
  // A game far into the levels on this session's ticket, and its recording as the game sends it.
  const PlayedGame& Game() const { return game_; }
  const std::string& Recording() const { return recording_; }

 private:
  std::uint16_t port_;
  std::string cookie_;
  game::Ticket ticket_;
  PlayedGame game_;
  std::string recording_;
};

}  // namespace gw::test
