// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tickets.h"

#include <charconv>

#include "Signing.h"

namespace gw::scores {

namespace {

constexpr std::size_t kMacHex = 32;  // 128 bits of HMAC-SHA256, twice
constexpr std::size_t kIdHex = kStampHex + 2 * kMacHex;

// Each signature has a prefix of its own, so that none can stand for another or for a token's or a session's.
std::string Ours(std::string_view key, std::string_view stamp) {
  return MacHex(key, "ticket:" + std::string(stamp), kMacHex);
}
std::string ForSession(std::string_view key, std::string_view stamp, std::string_view session) {
  return MacHex(key, "ticket-session:" + std::string(stamp) + "/" + std::string(session), kMacHex);
}

}  // namespace

std::uint64_t TicketSigner::Seed(std::string_view stamp) const {
  const std::string hex = MacHex(key_, "ticket-seed:" + std::string(stamp), 16);
  std::uint64_t seed = 0;
  std::from_chars(hex.data(), hex.data() + hex.size(), seed, 16);
  return seed;
}

game::Ticket TicketSigner::Issue(std::string_view session, std::int64_t now) const {
  const std::string stamp = IssueStamp(now);
  return {stamp + Ours(key_, stamp) + ForSession(key_, stamp, session), Seed(stamp)};
}

CheckedTicket TicketSigner::Check(std::string_view id, std::string_view session, std::int64_t now) const {
  CheckedTicket checked;
  if (id.size() != kIdHex || !IsHex(id)) return checked;
  const std::string_view stamp = id.substr(0, kStampHex);
  if (!SameSecret(Ours(key_, stamp), id.substr(kStampHex, kMacHex))) return checked;
  checked.issued = StampTime(stamp, now);
  checked.seed = Seed(stamp);
  if (!SameSecret(ForSession(key_, stamp, session), id.substr(kStampHex + kMacHex))) {
    checked.check = TicketCheck::OtherSession;
  } else if (now - checked.issued >= kLifetimeSeconds) {
    checked.check = TicketCheck::Expired;
  } else {
    checked.check = TicketCheck::Valid;
  }
  return checked;
}

}  // namespace gw::scores
