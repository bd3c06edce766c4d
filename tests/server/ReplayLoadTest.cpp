// SPDX-License-Identifier: GPL-3.0-or-later
// Replays never hold up serving: with 8 and then 64 of the longest games a dealt ticket allows in flight from one
// player, the records page and whole exchanges of other players are answered as promptly as ever, and every heavy
// replay gets its answer (a verdict, or 503 with Retry-After when the replays' queue is full). The figures (rates,
// p99) come from the replay benchmark; here only that nothing waits behind the replays beyond a generous bound.

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "game/Recording.h"
#include "net/GameTicket.h"
#include "net/HttpClient.h"
#include "net/ScoreCodec.h"
#include "net/ScoreExchange.h"
#include "net/ScoreProtocol.h"
#include "support/ScoreServerRunner.h"
#include "support/ScriptedPlayer.h"

namespace gw::scores {
namespace {

using Clock = std::chrono::steady_clock;

// A request that waited behind replays would take seconds; an honest one over loopback takes milliseconds.
constexpr auto kGenerous = std::chrono::milliseconds(1500);

// One session, its cookie sent by hand so that many connections can speak for it at once.
struct Session {
  explicit Session(std::uint16_t port) : port(port) {
    httplib::Client c("127.0.0.1", port);
    const auto res = c.Get(std::string(net::kTicketQuery));
    const std::string set = res->get_header_value("Set-Cookie");
    cookie = set.substr(0, set.find(';'));
    ticket = net::ParseTicketAnswer(res->body).value();
  }
  httplib::Headers Headers() const { return {{"Cookie", cookie}}; }
  // Stores a claim and sends a recording for it; the replay's status.
  int Send(std::int32_t score, const std::string& recording) const {
    httplib::Client c("127.0.0.1", port);
    c.set_read_timeout(60, 0);
    const auto version = c.Get(std::string(net::kVersionQuery), Headers());
    net::ScoreRecord record{"Heavy", score, 'G', "", ""};
    record.p = net::FifthField(version->body);
    c.Get(std::string(net::kSubmitQuery) + net::EncodeRecord(record), Headers());
    const auto res = c.Post(std::string(net::kReplayQuery) + record.p, Headers(), recording, "application/octet-stream");
    if (!res) return 0;
    if (res->status == 503) EXPECT_FALSE(res->get_header_value("Retry-After").empty());
    return res->status;
  }

  std::uint16_t port;
  std::string cookie;
  game::Ticket ticket;
};

TEST(ReplayLoad, NothingWaitsBehindTheLongestReplays) {
  std::atomic<std::int64_t> now{1'800'000'000};
  ServiceSettings settings;
  settings.submissionsPerHour = 1'000'000;
  settings.now = [&now] { return now.load(); };
  TransportLimits limits;
  limits.uploadsPerAddress = 64;  // so that the replays' own queue is what turns the extra ones away
  test::ScoreServerRunner server(settings, limits);
  const Session heavy(server.Port());
  // Far into the levels: about a million frames, some five hours of play, all of it replayed for each copy.
  const test::PlayedGame game =
      test::PlayScripted({test::Style::Catcher, heavy.ticket.seed, "", "", 0, 40, heavy.ticket.id});
  game::Recording sent = game.recording;
  sent.seed.reset();
  const std::vector<std::uint8_t> bytes = game::EncodeRecording(sent);
  const std::string recording(bytes.begin(), bytes.end());
  now += game.frames / 64 + 10;
  std::cout << "[ heavy ] " << game.frames << " frames, " << recording.size() << " bytes\n";

  for (const int inFlight : {8, 64}) {
    SCOPED_TRACE(inFlight);
    std::vector<int> statuses(static_cast<std::size_t>(inFlight));
    std::vector<std::thread> senders;
    for (int i = 0; i < inFlight; ++i) {
      senders.emplace_back([&, i] { statuses[static_cast<std::size_t>(i)] = heavy.Send(game.score, recording); });
    }
    // Meanwhile, another player: the records page, the API and whole exchanges.
    httplib::Client reader("127.0.0.1", server.Port());
    net::HttpClient other;
    auto slowest = Clock::duration::zero();
    for (int i = 0; i < 20; ++i) {
      const auto start = Clock::now();
      const auto page = reader.Get(i % 2 == 0 ? "/" : "/api/scores?all=1");
      ASSERT_TRUE(page);
      EXPECT_EQ(page->status, 200);
      ASSERT_EQ(net::ExchangeScore(other, {"127.0.0.1", server.Port()}, {"Other", 10, 'G', "", ""}),
                net::ExchangeResult::Sent);
      slowest = std::max(slowest, Clock::now() - start);
    }
    EXPECT_LT(slowest, kGenerous) << std::chrono::duration<double>(slowest).count() << " s for a page and an exchange";
    for (std::thread& t : senders) t.join();
    // The first copy is verified; the others are refused for the used ticket or turned away while the queue is
    // full: none is lost.
    for (const int status : statuses) EXPECT_TRUE(status == 200 || status == 409 || status == 503) << status;
  }
  EXPECT_EQ(server.Metrics().VerifiedCount(), 1);
}

}  // namespace
}  // namespace gw::scores
