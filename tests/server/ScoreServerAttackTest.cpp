// SPDX-License-Identifier: GPL-3.0-or-later
// The score server against clients that are slow, greedy or many at once, on loopback, bounded in count and time.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/HttpClient.h"
#include "net/ScoreExchange.h"
#include "net/ScoreRecord.h"
#include "server/ServerProcess.h"
#include "support/Headless.h"
#include "support/RawClient.h"
#include "support/ScoreServerRunner.h"

namespace gw::scores {
namespace {

using test::RawClient;
using test::SlowClients;
using test::StatusOf;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr char kVersion[] = "GET /cgi/version.pl?version&prg=GromWumbler HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

TEST(ScoreServerTransport, SlowClientsDoNotStarveHonestOnes) {
  test::ScoreServerRunner server;
  SlowClients slow(server.Port(), 300);
  ASSERT_EQ(slow.Failed(), 0);
  std::vector<double> took;
  for (int i = 0; i < 100; ++i) {
    const auto start = Clock::now();
    RawClient honest(server.Port());
    ASSERT_TRUE(honest.Send(kVersion)) << i;
    const std::string answer = honest.ReadToClose(milliseconds(3000));
    took.push_back(Ms(Clock::now() - start));
    EXPECT_EQ(StatusOf(answer), 200) << i;
  }
  std::sort(took.begin(), took.end());
  EXPECT_LE(took[98], 100.0) << "p99 of 100 honest requests, ms";
  // The slow ones were all held, not turned away.
  EXPECT_GE(server.Metrics().OpenConnections(), 300);
}

TEST(ScoreServerTransport, ARequestMustArriveWholeWithinItsDeadline) {
  TransportLimits limits;
  limits.idle = milliseconds(300);
  limits.request = milliseconds(400);
  test::ScoreServerRunner server({}, limits);

  // A byte every 50 ms would keep a per-read time-out happy for ever.
  RawClient dribbler(server.Port());
  const auto first = Clock::now();
  const std::string request = test::kHalfRequest;
  std::size_t sent = 0;
  pollfd answered{dribbler.Fd(), POLLIN, 0};
  while (sent < request.size() && ::poll(&answered, 1, 50) == 0) dribbler.Send(request.substr(sent++, 1));
  EXPECT_LT(sent, request.size()) << "the server waited for the whole head";
  EXPECT_EQ(StatusOf(dribbler.ReadToClose()), 408);
  EXPECT_GE(Ms(Clock::now() - first), 400.0);
  EXPECT_LT(Ms(Clock::now() - first), 2000.0);

  // Silent from the start, and silent after an answer on a kept connection.
  RawClient silent(server.Port());
  RawClient kept(server.Port());
  ASSERT_TRUE(kept.Send("GET /metrics HTTP/1.1\r\nHost: t\r\n\r\n"));
  EXPECT_EQ(StatusOf(kept.ReadAnswer()), 200);
  const auto idle = Clock::now();
  EXPECT_EQ(silent.ReadToClose(), "");
  EXPECT_EQ(kept.ReadToClose(), "");
  EXPECT_LT(Ms(Clock::now() - idle), 2000.0) << "idle connections were closed";
}

TEST(ScoreServerTransport, HeadsBeyondTheLimitsAreRefused) {
  test::ScoreServerRunner server;
  std::string manyFields;
  for (int i = 0; i < 65; ++i) manyFields += "X-" + std::to_string(i) + ": 1\r\n";
  const std::string big(8 * 1024, 'a');
  struct Case {
    const char* name;
    std::string request;
    int status;
  };
  const Case cases[] = {
      {"64 fields pass", "GET /metrics HTTP/1.1\r\n" + manyFields.substr(manyFields.find("X-1:")) + "\r\n", 200},
      {"65 fields", "GET /metrics HTTP/1.1\r\n" + manyFields + "\r\n", 431},
      {"more than 16 KiB of fields", "GET /metrics HTTP/1.1\r\nA: " + big + "\r\nB: " + big + "\r\n\r\n", 431},
      {"a target over 8 KiB", "GET /metrics?" + big + "a HTTP/1.1\r\n\r\n", 414},
      {"a body", "GET /metrics HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello", 413},
      {"a chunked body", "GET /metrics HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", 413},
      {"not HTTP", "HELLO\r\n\r\n", 400},
      {"not a GET", "DELETE / HTTP/1.1\r\n\r\n", 405},
      {"an unknown path", "GET /admin HTTP/1.1\r\n\r\n", 404},
  };
  for (const Case& c : cases) {
    RawClient client(server.Port());
    ASSERT_TRUE(client.Send(c.request)) << c.name;
    EXPECT_EQ(StatusOf(client.ReadAnswer()), c.status) << c.name;
  }
}

TEST(ScoreServerTransport, RequestsSentTogetherAreAnsweredInTurn) {
  test::ScoreServerRunner server;
  RawClient client(server.Port());
  ASSERT_TRUE(client.Send("GET /healthz HTTP/1.1\r\nHost: t\r\n\r\nGET /nothing HTTP/1.1\r\nHost: t\r\n\r\n" +
                          std::string(kVersion)));
  const std::string answers = client.ReadToClose();
  const std::size_t second = answers.find("HTTP/1.1 404");
  const std::size_t third = answers.find("HTTP/1.1 200", 1);
  EXPECT_EQ(StatusOf(answers), 200) << answers;
  EXPECT_NE(second, std::string::npos) << answers;
  EXPECT_GT(third, second) << answers;
  EXPECT_NE(answers.find("GromWumbler|1.0|ok|0|", third), std::string::npos) << answers;
}

TEST(ScoreServerTransport, ConnectionsAreCappedPerAddressAndInAll) {
  TransportLimits limits;
  limits.connectionsPerAddress = 3;
  limits.connections = 5;
  test::ScoreServerRunner server({}, limits);
  const auto held = [&](int host) {
    auto c = std::make_unique<RawClient>(server.Port(), host);
    c->Send("G");
    return c;
  };
  std::vector<std::unique_ptr<RawClient>> open;
  for (int i = 0; i < 3; ++i) open.push_back(held(2));
  RawClient fourthOfOne(server.Port(), 2);
  EXPECT_EQ(StatusOf(fourthOfOne.ReadToClose()), 503);
  for (int i = 0; i < 2; ++i) open.push_back(held(3));
  RawClient sixthOfAll(server.Port(), 4);
  EXPECT_EQ(StatusOf(sixthOfAll.ReadToClose()), 503);
  // A place given back is a place to take.
  open.clear();
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  int status = 0;
  while (status != 200 && Clock::now() < deadline) {
    RawClient again(server.Port(), 2);
    again.Send(kVersion);
    status = StatusOf(again.ReadToClose());
  }
  EXPECT_EQ(status, 200);
}

TEST(ScoreServerTransport, ATrustedProxyHasNoConnectionCapOfItsOwn) {
  TransportLimits limits;
  limits.connectionsPerAddress = 2;
  limits.connections = 8;
  limits.trustedProxies = {"127.0.0.9"};
  test::ScoreServerRunner server({}, limits);
  std::vector<std::unique_ptr<RawClient>> open;
  // The proxy carries many players: past the per-address cap, up to the cap of all.
  for (int i = 0; i < 6; ++i) {
    open.push_back(std::make_unique<RawClient>(server.Port(), 9));
    open.back()->Send("G");
  }
  RawClient throughTheProxy(server.Port(), 9);
  throughTheProxy.Send(kVersion);
  EXPECT_EQ(StatusOf(throughTheProxy.ReadToClose()), 200);
  // Anyone else keeps the cap.
  for (int i = 0; i < 2; ++i) {
    open.push_back(std::make_unique<RawClient>(server.Port(), 2));
    open.back()->Send("G");
  }
  RawClient third(server.Port(), 2);
  EXPECT_EQ(StatusOf(third.ReadToClose()), 503);
}

// Every client closes its connection before it opens the next, so a cap as large as the clients is enough, but
// only when the server gives a slot back the moment its client has gone (not when it gets round to the close).
TEST(ScoreServerTransport, ClientsInTurnFromOneAddressAreNeverRefused) {
  constexpr int kClients = 48;
  constexpr int kExchanges = 12;
  TransportLimits limits;
  limits.connectionsPerAddress = kClients;
  ServiceSettings settings;
  settings.submissionsPerHour = 1'000'000;
  test::ScoreServerRunner server(settings, limits);
  const net::ServerAddress address{"127.0.0.1", server.Port()};
  std::atomic<int> sent{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      for (int i = 0; i < kExchanges; ++i) {
        net::HttpClient http;
        if (net::ExchangeScore(http, address, {"T", c * 100 + i, 'G', "", "R"}) == net::ExchangeResult::Sent) ++sent;
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(sent.load(), kClients * kExchanges);
  int refused = 0;
  for (const std::string& line : server.LogLines()) refused += line.find(" 503 ") != std::string::npos;
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(server.Store().Count(), kClients * kExchanges);
}

TEST(ScoreServerTransport, ABurstOfConnectionsIsServedAtOnce) {
  test::ScoreServerRunner server;
  constexpr int kBurst = 300;
  std::vector<std::unique_ptr<RawClient>> clients;
  std::vector<double> took(kBurst, -1);
  const auto start = Clock::now();
  // Connected one after another as fast as they go, every one before any is read.
  for (int i = 0; i < kBurst; ++i) {
    clients.push_back(std::make_unique<RawClient>(server.Port(), 2 + i / 30));
    ASSERT_TRUE(clients.back()->Ok()) << i;
    ASSERT_TRUE(clients.back()->Send(kVersion)) << i;
  }
  std::vector<std::string> got(kBurst);
  int done = 0;
  while (done < kBurst && Clock::now() - start < std::chrono::seconds(5)) {
    std::vector<pollfd> waiting;
    for (int i = 0; i < kBurst; ++i) {
      if (took[static_cast<std::size_t>(i)] < 0) waiting.push_back({clients[static_cast<std::size_t>(i)]->Fd(), POLLIN, 0});
    }
    if (::poll(waiting.data(), waiting.size(), 100) <= 0) continue;
    for (int i = 0; i < kBurst; ++i) {
      auto& c = *clients[static_cast<std::size_t>(i)];
      pollfd p{c.Fd(), POLLIN, 0};
      if (took[static_cast<std::size_t>(i)] >= 0 || ::poll(&p, 1, 0) <= 0) continue;
      char buffer[1024];
      const ssize_t n = ::recv(c.Fd(), buffer, sizeof buffer, 0);
      if (n > 0) {
        got[static_cast<std::size_t>(i)].append(buffer, static_cast<std::size_t>(n));
      } else {
        took[static_cast<std::size_t>(i)] = Ms(Clock::now() - start);
        ++done;
      }
    }
  }
  ASSERT_EQ(done, kBurst);
  for (int i = 0; i < kBurst; ++i) EXPECT_EQ(StatusOf(got[static_cast<std::size_t>(i)]), 200) << i;
  EXPECT_LE(*std::max_element(took.begin(), took.end()), 500.0) << "the slowest of the burst, ms";
}

TEST(ScoreServerProgram, AFloodOfHeadersLeavesItsMemoryBounded) {
  test::TempFolder folder;
  test::ServerProcess server("scores.db");
  ASSERT_TRUE(server.Ready());
  const long before = server.PeakKb();
  std::vector<std::thread> flood;
  std::vector<int> headersSent(12);
  for (int i = 0; i < 12; ++i) {
    flood.emplace_back([&, i] {
      RawClient client(server.Port(), 2 + i);
      if (!client.Send("GET / HTTP/1.1\r\n")) return;
      const std::string header = "X-Filler: " + std::string(8 * 1024, 'a') + "\r\n";
      for (int h = 0; h < 10'000 && client.Send(header); ++h) ++headersSent[static_cast<std::size_t>(i)];
    });
  }
  for (std::thread& t : flood) t.join();
  const long peak = server.PeakKb();
  EXPECT_GT(before, 0);
  EXPECT_LE(peak, 256 * 1024) << "peak resident kB";
  // Each flood was cut off long before its end, and the server still serves.
  for (const int n : headersSent) EXPECT_LT(n, 10'000);
  RawClient after(server.Port());
  after.Send(kVersion);
  EXPECT_EQ(StatusOf(after.ReadToClose()), 200);
  std::cout << "peak resident memory before " << before << " kB, after the flood " << peak << " kB\n";
}

TEST(ScoreServerProgram, StopsWithinTwoSecondsWhateverTheClientsDo) {
  test::TempFolder folder;
  test::ServerProcess server("scores.db");
  ASSERT_TRUE(server.Ready());
  SlowClients slow(server.Port(), 100);
  ASSERT_EQ(slow.Failed(), 0);
  RawClient silent(server.Port());
  RawClient kept(server.Port());
  kept.Send("GET /metrics HTTP/1.1\r\nHost: t\r\n\r\n");
  ASSERT_EQ(StatusOf(kept.ReadAnswer()), 200);
  const auto start = Clock::now();
  const int status = server.Stop(SIGTERM);
  EXPECT_LE(Ms(Clock::now() - start), 2000.0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace gw::scores
