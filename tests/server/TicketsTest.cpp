// SPDX-License-Identifier: GPL-3.0-or-later
// Game tickets: checked against the session they were dealt to and their age, each seed the ticket's own and the
// same whenever it is checked, and anything the server did not sign unknown.

#include <gtest/gtest.h>

#include "Tickets.h"

namespace gw::scores {
namespace {

TEST(Tickets, AreTheirSessionsOwnForTheirLifetimeAndCarryTheirSeed) {
  const TicketSigner signer("key");
  constexpr std::int64_t kNow = 1'800'000'000;
  const game::Ticket ticket = signer.Issue("session-a", kNow);
  const CheckedTicket fresh = signer.Check(ticket.id, "session-a", kNow + 60);
  EXPECT_EQ(fresh.check, TicketCheck::Valid);
  EXPECT_EQ(fresh.issued, kNow);
  EXPECT_EQ(fresh.seed, ticket.seed);
  EXPECT_NE(signer.Issue("session-a", kNow).seed, ticket.seed) << "every ticket is new luck";

  std::string tampered = ticket.id;
  tampered[10] = tampered[10] == '0' ? '1' : '0';
  const struct {
    std::string id;
    const char* session;
    std::int64_t at;
    TicketCheck expected;
  } cases[] = {
      {ticket.id, "session-b", kNow, TicketCheck::OtherSession},
      {ticket.id, "session-a", kNow + TicketSigner::kLifetimeSeconds - 1, TicketCheck::Valid},
      {ticket.id, "session-a", kNow + TicketSigner::kLifetimeSeconds, TicketCheck::Expired},
      {ticket.id, "session-a", kNow - 1, TicketCheck::Expired},  // dealt "in the future": read as very old
      {tampered, "session-a", kNow, TicketCheck::Unknown},
      {TicketSigner("other key").Issue("session-a", kNow).id, "session-a", kNow, TicketCheck::Unknown},
      {ticket.id.substr(1), "session-a", kNow, TicketCheck::Unknown},
      {"", "session-a", kNow, TicketCheck::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(signer.Check(c.id, c.session, c.at).check, c.expected) << c.id << " " << c.at;
}

}  // namespace
}  // namespace gw::scores
