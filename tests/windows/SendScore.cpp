// SPDX-License-Identifier: GPL-3.0-or-later
// Asks for a game ticket and sends one score the way the game does (its HTTP client and exchange, the server from
// GROMWUMBLER_SCORE_SERVER), so a test can check on the server's side that a score from this build arrives and is
// stored, and that this build is dealt its luck.
//   gw_send_score NAME SCORE      exit 0 when both requests succeeded
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "net/GameTicket.h"
#include "net/ScoreExchange.h"
#include "net/ScoreProtocol.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: gw_send_score NAME SCORE\n", stderr);
    return 2;
  }
  try {
    gw::net::HttpClient http;
    gw::net::ScoreRecord record;
    record.name = argv[1];
    record.score = std::atoi(argv[2]);
    record.key = GW_SCORE_KEY[0];
    // A build knows no server unless told one; this test always names its own.
    const auto server = gw::net::ConfiguredScoreServer();
    if (!server) {
      std::fputs("gw_send_score: no score server (GROMWUMBLER_SCORE_SERVER)\n", stderr);
      return 1;
    }
    if (!gw::net::ParseTicketAnswer(http.HttpGet(server->Url(gw::net::kTicketQuery)))) {
      std::fputs("gw_send_score: the server's game ticket cannot be read\n", stderr);
      return 1;
    }
    const auto result = gw::net::ExchangeScore(http, *server, record);
    if (result == gw::net::ExchangeResult::Sent) return 0;
    std::fprintf(stderr, "gw_send_score: %s\n",
                 result == gw::net::ExchangeResult::Unreachable ? "the server cannot be reached" : "the record was refused");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gw_send_score: %s\n", e.what());
  }
  return 1;
}
