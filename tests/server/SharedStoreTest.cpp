// SPDX-License-Identifier: GPL-3.0-or-later
// Several score servers over one PostgreSQL database behave as one server: the same tokens, the same scores,
// the same hourly budgets; and a database that goes away is answered with 503 at once and comes back by itself.

#include <gtest/gtest.h>

#include <httplib.h>
#include <libpq-fe.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ClientAddress.h"
#include "PgScoreStore.h"
#include "net/HttpClient.h"
#include "net/ScoreCodec.h"
#include "net/ScoreExchange.h"
#include "net/ScoreProtocol.h"
#include "net/ScoreRecord.h"
#include "server/ServerProcess.h"
#include "support/PostgresServer.h"
#include "support/ScoreServerRunner.h"

namespace gw::scores {
namespace {

constexpr char kIvan[] = "\xC8\xE2\xE0\xED";            // Иван in Windows-1251
constexpr char kRussia[] = "\xD0\xEE\xF1\xF1\xE8\xFF";  // Россия
constexpr std::int64_t kHourStart = 1'700'000'000 - 1'700'000'000 % 3600;

// The first request on one server: the session cookie and the token.
struct Session {
  std::string cookie;
  std::string token;
};

Session Begin(std::uint16_t port) {
  httplib::Client client("127.0.0.1", port);
  const auto res = client.Get(std::string(net::kVersionQuery));
  if (!res || res->status != 200) return {};
  std::string cookie = res->get_header_value("Set-Cookie");
  return {cookie.substr(0, cookie.find(';')), net::FifthField(res->body)};
}

int Submit(std::uint16_t port, const Session& s, std::int32_t score = 1500, const httplib::Headers& extra = {}) {
  httplib::Client client("127.0.0.1", port);
  httplib::Headers headers = extra;
  headers.emplace("Cookie", s.cookie);
  const auto res =
      client.Get("/cgi/version.pl?hs&prg=GromWumbler&inf=" + net::EncodeRecord({kIvan, score, 'G', s.token, kRussia}),
                 headers);
  return res ? res->status : -1;
}

int Status(std::uint16_t port, const std::string& target) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(5, 0);
  const auto res = client.Get(target);
  return res ? res->status : -1;
}

ServiceSettings AtClock(std::atomic<std::int64_t>& now, int perHour) {
  ServiceSettings settings;
  settings.submissionsPerHour = perHour;
  settings.now = [&now] { return now.load(); };
  return settings;
}

TEST(SharedStore, TwoServerProgramsOverOneDatabaseAreOneServer) {
  const std::string uri = test::FreshPostgresDatabase();
  test::ServerProcess a(uri);
  test::ServerProcess b(uri, {"--pool", "4"});
  ASSERT_TRUE(a.Ready()) << a.Stderr();
  ASSERT_TRUE(b.Ready()) << b.Stderr();
  EXPECT_EQ(a.Stderr().find(uri), std::string::npos) << "the URI is not for the log";

  // A session and token from one, the submission through the other (a load balancer may do that).
  const Session s = Begin(a.Port());
  ASSERT_FALSE(s.token.empty());
  EXPECT_EQ(Submit(b.Port(), s), 200);
  EXPECT_EQ(Submit(a.Port(), s), 403) << "a token is used once, whichever server sees it";

  // A hundred players at once, each through one of the two.
  std::vector<std::thread> players;
  std::atomic<int> sent{0};
  for (int i = 0; i < 100; ++i) {
    players.emplace_back([&, i] {
      net::HttpClient http;
      const net::ServerAddress address{"127.0.0.1", i % 2 ? a.Port() : b.Port()};
      if (net::ExchangeScore(http, address, {kIvan, i, 'G', "", kRussia}) == net::ExchangeResult::Sent) ++sent;
    });
  }
  for (auto& t : players) t.join();
  EXPECT_EQ(sent.load(), 100);
  PgScoreStore store({uri});
  EXPECT_EQ(store.Count(), 101);
}

TEST(SharedStore, AnAddressHasOneHourlyBudgetWhicheverServerItReaches) {
  const std::string uri = test::FreshPostgresDatabase();
  std::atomic<std::int64_t> now{kHourStart};
  test::ScoreServerRunner a(std::make_unique<PgScoreStore>(PgSettings{uri}), AtClock(now, 4));
  test::ScoreServerRunner b(std::make_unique<PgScoreStore>(PgSettings{uri}), AtClock(now, 4));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Submit(i % 2 ? a.Port() : b.Port(), Begin(a.Port())), 200) << i;
  EXPECT_EQ(Submit(a.Port(), Begin(a.Port())), 429);
  EXPECT_EQ(Submit(b.Port(), Begin(b.Port())), 429);
  // Refusals have their own budget, shared too: garbage spends it, never the submissions'.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Status(i % 2 ? a.Port() : b.Port(), "/cgi/version.pl?hs&prg=GromWumbler&inf=NFTGG3DF"), 400);
  EXPECT_EQ(Status(b.Port(), "/cgi/version.pl?hs&prg=GromWumbler&inf=NFTGG3DF"), 429);
  now += 3600;
  EXPECT_EQ(Submit(b.Port(), Begin(a.Port())), 200);
  EXPECT_EQ(a.Store().Count(), 5);
}

TEST(SharedStore, OnlyATrustedProxyNamesTheClient) {
  const std::string uri = test::FreshPostgresDatabase();
  std::atomic<std::int64_t> now{kHourStart};
  TransportLimits trusting;
  trusting.trustedProxies = {"127.0.0.1"};
  test::ScoreServerRunner proxied(std::make_unique<PgScoreStore>(PgSettings{uri}), AtClock(now, 1), trusting);
  // Behind the trusted proxy every client has a budget of its own...
  for (const char* client : {"203.0.113.7", "203.0.113.8", "2001:db8::1"}) {
    EXPECT_EQ(Submit(proxied.Port(), Begin(proxied.Port()), 1, {{"X-Forwarded-For", client}}), 200) << client;
  }
  EXPECT_EQ(Submit(proxied.Port(), Begin(proxied.Port()), 1, {{"X-Forwarded-For", "198.51.100.1, 203.0.113.7"}}), 429);
  // ...and the access log names it.
  bool logged = false;
  for (const std::string& line : proxied.LogLines()) logged = logged || line.find("203.0.113.8") != std::string::npos;
  EXPECT_TRUE(logged);

  // A server that trusts no proxy counts the peer, whatever the header says.
  test::ScoreServerRunner direct(std::make_unique<PgScoreStore>(PgSettings{test::FreshPostgresDatabase()}),
                                 AtClock(now, 1));
  EXPECT_EQ(Submit(direct.Port(), Begin(direct.Port()), 1, {{"X-Forwarded-For", "203.0.113.9"}}), 200);
  EXPECT_EQ(Submit(direct.Port(), Begin(direct.Port()), 1, {{"X-Forwarded-For", "203.0.113.10"}}), 429);
}

TEST(ClientAddress, FollowsOnlyTrustedHops) {
  const std::vector<std::string> trusted{"10.0.0.1", "10.0.0.2"};
  struct Case {
    const char* peer;
    const char* header;
    const char* client;
  } cases[] = {
      {"192.0.2.5", "203.0.113.7", "192.0.2.5"},                      // not a proxy: the header is ignored
      {"10.0.0.1", "", "10.0.0.1"},                                   // a proxy without a header
      {"10.0.0.1", "203.0.113.7", "203.0.113.7"},                     // the usual case
      {"10.0.0.1", " 1.2.3.4 , 203.0.113.7 ", "203.0.113.7"},         // a client's own claim on the left is ignored
      {"10.0.0.1", "203.0.113.7, 10.0.0.2", "203.0.113.7"},           // through two trusted proxies
      {"10.0.0.1", "203.0.113.7, junk", "10.0.0.1"},                  // garbage ends the trust at the last hop
      {"10.0.0.1", "::ffff:203.0.113.7", "203.0.113.7"},              // one spelling per address
      {"10.0.0.1", "2001:db8::1", "2001:db8::1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClientAddress(c.peer, c.header, trusted), c.client) << c.peer << " / " << c.header;
  }
  EXPECT_EQ(ClientAddress("10.0.0.1", "203.0.113.7", {}), "10.0.0.1");
}

TEST(SharedStore, ADatabaseAwayIsA503AtOnceAndTheServerComesBackByItself) {
  const std::string uri = test::FreshPostgresDatabase();
  std::atomic<std::int64_t> now{kHourStart};
  test::ScoreServerRunner server(std::make_unique<PgScoreStore>(PgSettings{uri}), AtClock(now, 100));
  ASSERT_EQ(Status(server.Port(), "/healthz"), 200);
  const Session early = Begin(server.Port());

  test::TestPostgres().Stop();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Status(server.Port(), "/healthz"), 503);
  EXPECT_EQ(Submit(server.Port(), early), 503);
  now += 1;  // past the read cache
  EXPECT_EQ(Status(server.Port(), "/api/scores"), 503);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "no hang while it is away";
  // What needs no database is still served.
  EXPECT_EQ(Status(server.Port(), "/metrics"), 200);

  test::TestPostgres().Start();
  EXPECT_EQ(Status(server.Port(), "/healthz"), 200);
  EXPECT_EQ(Submit(server.Port(), early), 200) << "the token issued before the outage is still good";
  EXPECT_EQ(server.Store().Count(), 1);
}

// The connections a server holds open to one database, as the database counts them.
int ServerConnections(const std::string& uri) {
  std::unique_ptr<PGconn, decltype(&PQfinish)> c(PQconnectdb(uri.c_str()), PQfinish);
  std::unique_ptr<PGresult, decltype(&PQclear)> r(
      PQexec(c.get(), "SELECT count(*) FROM pg_stat_activity WHERE application_name = 'gromwumbler-scores' "
                      "AND datname = current_database()"),
      PQclear);
  return PQresultStatus(r.get()) == PGRES_TUPLES_OK ? std::stoi(PQgetvalue(r.get(), 0, 0)) : -1;
}

TEST(SharedStore, AfterADatabaseRestartNoRequestFailsOnAStaleConnection) {
  const std::string uri = test::FreshPostgresDatabase();
  std::atomic<std::int64_t> now{kHourStart};
  TransportLimits limits;
  limits.storeThreads = 8;
  test::ScoreServerRunner server(std::make_unique<PgScoreStore>(PgSettings{uri, 8}), AtClock(now, 100000), limits);
  int answered = 0;
  const std::pair<const char*, std::function<void()>> restarts[] = {
      {"fast stop and start", [] { test::TestPostgres().Stop(); test::TestPostgres().Start(); }},
      {"kill -9 and start", [] { test::TestPostgres().Kill(); test::TestPostgres().Start(); }},
  };
  for (const auto& [how, restart] : restarts) {
    // Warm: players at once until the whole pool is open.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ServerConnections(uri) < 8 && std::chrono::steady_clock::now() < deadline) {
      std::vector<std::thread> players;
      std::atomic<int> ok{0};
      for (int i = 0; i < 16; ++i) players.emplace_back([&] { ok += Submit(server.Port(), Begin(server.Port())) == 200; });
      for (auto& t : players) t.join();
      answered += ok;
    }
    ASSERT_EQ(ServerConnections(uri), 8) << how;

    restart();
    // Every connection of the pool is stale now; none may cost a request.
    for (int i = 0; i < 12; ++i) {
      ASSERT_EQ(Status(server.Port(), "/healthz"), 200) << how << " " << i;
      const Session s = Begin(server.Port());
      ASSERT_EQ(Submit(server.Port(), s), 200) << how << " " << i;
      ++answered;
      now += 1;  // past the read cache
      ASSERT_EQ(Status(server.Port(), "/api/scores"), 200) << how << " " << i;
    }
  }
  EXPECT_EQ(server.Store().Count(), answered) << "every answered submission once";
}

TEST(SharedStore, PageReadsAreServedFromACacheOfOneSecond) {
  const std::string uri = test::FreshPostgresDatabase();
  std::atomic<std::int64_t> now{kHourStart};
  test::ScoreServerRunner server(std::make_unique<PgScoreStore>(PgSettings{uri}), AtClock(now, 100));
  httplib::Client client("127.0.0.1", server.Port());
  const std::string before = client.Get("/api/scores?period=all&all=1")->body;
  EXPECT_EQ(before, "[]");
  ASSERT_EQ(Submit(server.Port(), Begin(server.Port()), 700), 200);
  EXPECT_EQ(client.Get("/api/scores?period=all&all=1")->body, before) << "the same second reads the cache";
  now += 1;
  EXPECT_NE(client.Get("/api/scores?period=all&all=1")->body.find("\"score\":700"), std::string::npos);
}

}  // namespace
}  // namespace gw::scores
