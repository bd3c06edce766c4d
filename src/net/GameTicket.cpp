// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/GameTicket.h"

#include <charconv>

#include "game/Recording.h"
#include "net/ScoreProtocol.h"

namespace gw::net {

namespace {

constexpr std::size_t kSeedDigits = 16;

}  // namespace

std::string TicketAnswer(const game::Ticket& ticket) {
  std::string seed(kSeedDigits, '0');
  std::uint64_t rest = ticket.seed;
  for (std::size_t i = kSeedDigits; i-- > 0; rest >>= 4) seed[i] = "0123456789abcdef"[rest & 0xF];
  return ticket.id + " " + seed + "\n";
}

std::optional<game::Ticket> ParseTicketAnswer(std::string_view answer) {
  if (answer.empty() || answer.back() != '\n') return std::nullopt;
  answer.remove_suffix(1);
  const std::size_t space = answer.find(' ');
  if (space == 0 || space == std::string_view::npos || space > game::kMaxTicketBytes) return std::nullopt;
  game::Ticket ticket{std::string(answer.substr(0, space)), 0};
  if (!LettersAndDigits(ticket.id)) return std::nullopt;
  const std::string_view seed = answer.substr(space + 1);
  if (seed.size() != kSeedDigits) return std::nullopt;
  const auto [end, ec] = std::from_chars(seed.data(), seed.data() + seed.size(), ticket.seed, 16);
  if (ec != std::errc() || end != seed.data() + seed.size()) return std::nullopt;
  return ticket;
}

}  // namespace gw::net
