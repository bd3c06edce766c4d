// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Game tickets: the seed of a new game's luck, dealt to one session. The id carries its issue time and a random
// part, signed once to show the server made it and once more together with the session it went to; the seed is a
// keyed hash of the id, so no table is needed to deal or check one, and every server over the same store knows the
// others' tickets. That a ticket is used once is the store's business.

#include <cstdint>
#include <string>
#include <string_view>

#include "game/Luck.h"

namespace gw::scores {

enum class TicketCheck { Valid, Unknown, OtherSession, Expired };

struct CheckedTicket {
  TicketCheck check = TicketCheck::Unknown;
  std::int64_t issued = 0;  // seconds since the epoch; only when the ticket is one of ours
  std::uint64_t seed = 0;   // likewise
};

class TicketSigner {
 public:
  // As long as a game may last: the rising levels make a game of more than some hours unplayable.
  static constexpr std::int64_t kLifetimeSeconds = 12 * 3600;

  explicit TicketSigner(std::string key) : key_(std::move(key)) {}

  game::Ticket Issue(std::string_view session, std::int64_t now) const;
  CheckedTicket Check(std::string_view id, std::string_view session, std::int64_t now) const;

 private:
  std::uint64_t Seed(std::string_view stamp) const;
  std::string key_;
};

}  // namespace gw::scores
