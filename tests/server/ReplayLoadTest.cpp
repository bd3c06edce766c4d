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

#include "net/HttpClient.h"
#include "net/ScoreExchange.h"
#include "support/HeavyReplays.h"
#include "support/ScoreServerRunner.h"

namespace gw::scores {
namespace {

using Clock = std::chrono::steady_clock;

// A request that waited behind replays would take seconds; an honest one over loopback takes milliseconds.
constexpr auto kGenerous = std::chrono::milliseconds(2000);

TEST(ReplayLoad, NothingWaitsBehindTheLongestReplays) {
  std::atomic<std::int64_t> now{1'800'000'000};
  ServiceSettings settings;
  settings.submissionsPerHour = 1'000'000;
  settings.now = [&now] { return now.load(); };
  TransportLimits limits;
  limits.uploadsPerAddress = 64;  // so that the replays' own queue is what turns the extra ones away
  test::ScoreServerRunner server(settings, limits);
  const test::HeavySession heavy(server.Port());
  const test::PlayedGame& game = heavy.Game();
  const std::string& recording = heavy.Recording();
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
