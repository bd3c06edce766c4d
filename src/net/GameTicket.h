// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The score server's answer to a new game's ticket request: one line, the ticket id and the seed in hexadecimal,
// separated by a space. Written by the server and read by the game, so both sides share this one definition.

#include <optional>
#include <string>
#include <string_view>

#include "game/Luck.h"

namespace gw::net {

std::string TicketAnswer(const game::Ticket& ticket);
// None unless the answer is exactly what TicketAnswer writes for a ticket id a recording can carry.
std::optional<game::Ticket> ParseTicketAnswer(std::string_view answer);

}  // namespace gw::net
