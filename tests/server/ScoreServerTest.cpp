// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "net/ScoreCodec.h"
#include "net/ScoreExchange.h"
#include "net/ScoreProtocol.h"
#include "net/ScoreRecord.h"
#include "support/Headless.h"
#include "support/LoopbackServer.h"
#include "support/ScoreServerRunner.h"

extern char** environ;

namespace gw::scores {
namespace {

using test::ScoreServerRunner;

constexpr char kIvan[] = "\xC8\xE2\xE0\xED";            // Иван in Windows-1251
constexpr char kRussia[] = "\xD0\xEE\xF1\xF1\xE8\xFF";  // Россия
constexpr char kIvanUtf8[] = "Иван";
constexpr char kRussiaUtf8[] = "Россия";
constexpr std::int64_t kStart = 1'700'000'000;

// A player's session with the server: its cookie and the token of its last first request.
struct Session {
  std::string cookie;
  std::string token;
};

class Player {
 public:
  explicit Player(std::uint16_t port) : client_("127.0.0.1", port) {}

  Session Begin() {
    const auto res = client_.Get(std::string(net::kVersionQuery));
    if (!res || res->status != 200) return {};
    std::string cookie = res->get_header_value("Set-Cookie");
    cookie = cookie.substr(0, cookie.find(';'));
    return {cookie, net::FifthField(res->body)};
  }

  // The second request with any letters; returns the status.
  int Send(const Session& s, const std::string& letters, const std::string& program = "GromWumbler") {
    httplib::Headers headers;
    if (!s.cookie.empty()) headers.emplace("Cookie", s.cookie);
    const auto res = client_.Get("/cgi/version.pl?hs&prg=" + program + "&inf=" + letters, headers);
    return res ? res->status : -1;
  }

  int Submit(const Session& s, const std::string& name = kIvan, std::int32_t score = 1500, char key = 'G',
             std::string country = kRussia) {
    return Send(s, net::EncodeRecord({name, score, key, s.token, std::move(country)}));
  }

  httplib::Result Get(const std::string& target) { return client_.Get(target); }

 private:
  httplib::Client client_;
};

ServiceSettings AtClock(std::atomic<std::int64_t>& now, int perHour = 1000) {
  ServiceSettings settings;
  settings.key = 'G';
  settings.submissionsPerHour = perHour;
  settings.now = [&now] { return now.load(); };
  return settings;
}

TEST(ScoreServer, TheGamesExchangeEndsWithTheRowInTheDatabase) {
  std::atomic<std::int64_t> now{kStart};
  ScoreServerRunner server(AtClock(now));
  net::HttpClient http;
  const net::ServerAddress address{"127.0.0.1", server.Port()};
  EXPECT_EQ(net::ExchangeScore(http, address, {kIvan, 1500, 'G', "", kRussia}), net::ExchangeResult::Sent);
  const auto rows = server.Store().Best(0, 100);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, kIvanUtf8);
  EXPECT_EQ(rows[0].country, kRussiaUtf8);
  EXPECT_EQ(rows[0].score, 1500);
  EXPECT_EQ(rows[0].time, kStart);
  // The same client again: its cookie is kept, and a new token makes a second row.
  EXPECT_EQ(net::ExchangeScore(http, address, {kIvan, -40, 'G', "", kRussia}), net::ExchangeResult::Sent);
  EXPECT_EQ(server.Store().Count(), 2);
}

TEST(ScoreServer, RefusesWithAReasonAndStoresNothing) {
  std::atomic<std::int64_t> now{kStart};
  ScoreServerRunner server(AtClock(now));
  Player player(server.Port());
  Player other(server.Port());
  struct Refusal {
    const char* name;
    std::function<int()> send;
    int status;
  };
  const Refusal refusals[] = {
      {"wrong key", [&] { return player.Submit(player.Begin(), kIvan, 10, 'Q'); }, 403},
      {"reused token",
       [&] {
         const Session s = player.Begin();
         EXPECT_EQ(player.Submit(s), 200);
         return player.Submit(s, kIvan, 99999);
       },
       403},
      {"unknown token",
       [&] {
         Session s = player.Begin();
         s.token = std::string(56, 'a');
         return player.Submit(s);
       },
       403},
      {"token from another session",
       [&] {
         Session mine = player.Begin();
         mine.token = other.Begin().token;
         return player.Submit(mine);
       },
       403},
      {"no session cookie", [&] { return player.Submit({"", player.Begin().token}); }, 403},
      {"token older than ten minutes",
       [&] {
         const Session s = player.Begin();
         now += 600;
         return player.Submit(s);
       },
       403},
      {"letter outside the alphabet", [&] { return player.Send(player.Begin(), "NFTGG3DI"); }, 400},
      {"letters not in groups of 8", [&] { return player.Send(player.Begin(), "NFTGG3D"); }, 400},
      {"oversized inf", [&] { return player.Send(player.Begin(), std::string(2000, 'A')); }, 414},
      {"wrong prg", [&] { return player.Send(player.Begin(), "NFTGG3DF", "Other"); }, 400},
      {"not a record", [&] { return player.Send(player.Begin(), net::BitsToLetters(net::BytesToBits("abcdeabcde"))); },
       400},
      {"control byte in the name", [&] { return player.Submit(player.Begin(), "a\nb"); }, 400},
      {"byte the code page lacks", [&] { return player.Submit(player.Begin(), "a\x98"); }, 400},
      {"name too long", [&] { return player.Submit(player.Begin(), std::string(40, 'a')); }, 400},
  };
  for (const Refusal& r : refusals) {
    const std::int64_t before = server.Store().Count();
    const bool reuse = std::string(r.name) == "reused token";  // its first submission is a good one
    EXPECT_EQ(r.send(), r.status) << r.name;
    EXPECT_EQ(server.Store().Count(), before + (reuse ? 1 : 0)) << r.name;
  }
  // Unknown requests to the script.
  EXPECT_EQ(player.Get("/cgi/version.pl?prg=GromWumbler&what")->status, 400);
  EXPECT_EQ(player.Get("/cgi/version.pl?version&prg=Other")->status, 400);
}

TEST(ScoreServer, EachAddressHasItsHourlyShare) {
  std::atomic<std::int64_t> now{kStart - kStart % 3600};
  ScoreServerRunner server(AtClock(now, 3));
  Player player(server.Port());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(player.Submit(player.Begin()), 200);
  EXPECT_EQ(player.Submit(player.Begin()), 429);
  now += 3600;
  EXPECT_EQ(player.Submit(player.Begin()), 200);
  EXPECT_EQ(server.Store().Count(), 4);
}

TEST(ScoreServer, GarbageIsRefusedAndNeverStored) {
  std::atomic<std::int64_t> now{kStart};
  ScoreServerRunner server(AtClock(now, 1'000'000));
  Player player(server.Port());
  std::mt19937 rng(9);
  const Session s = player.Begin();
  for (int i = 0; i < 300; ++i) {
    std::string bytes(5 * (1 + rng() % 40), '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    if (i % 3 == 0) bytes.replace(0, std::min<std::size_t>(bytes.size(), 12), "type=0|name=");
    const int status = player.Send(s, net::BitsToLetters(net::BytesToBits(bytes)));
    EXPECT_GE(status, 400) << i;
    EXPECT_LT(status, 500) << i;
  }
  EXPECT_EQ(server.Store().Count(), 0);
  EXPECT_EQ(player.Submit(player.Begin()), 200);  // and it still serves
}

TEST(RecordsPage, ShowsTheBestOfTheWeekAndOfAllTimeEscaped) {
  std::atomic<std::int64_t> now{kStart};
  ScoreServerRunner server(AtClock(now));
  Player player(server.Port());
  ASSERT_EQ(player.Submit(player.Begin(), "<script>", 9000, 'G', "a&b\"c"), 200);
  now += 8 * 24 * 3600;  // that one is now older than a week
  ASSERT_EQ(player.Submit(player.Begin(), kIvan, 300), 200);
  ASSERT_EQ(player.Submit(player.Begin(), "B", 200), 200);

  const auto page = player.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(page->body.find("<script>"), std::string::npos);
  EXPECT_NE(page->body.find("&lt;script&gt;"), std::string::npos);
  EXPECT_NE(page->body.find("a&amp;b&quot;c"), std::string::npos);
  EXPECT_NE(page->body.find(kIvanUtf8), std::string::npos);
  EXPECT_NE(page->body.find(kRussiaUtf8), std::string::npos);
  // The address the game's table screen opens shows the same page.
  EXPECT_EQ(player.Get(std::string(net::kRecordsPageQuery))->body, page->body);

  const auto week = player.Get("/api/scores?period=week");
  EXPECT_EQ(week->body, R"([{"country":"Россия","name":"Иван","rank":1,"score":300,"time":)" +
                            std::to_string(now.load()) + R"(},{"country":"Россия","name":"B","rank":2,"score":200,"time":)" +
                            std::to_string(now.load()) + "}]");
  const auto all = player.Get("/api/scores?period=all&limit=2");
  EXPECT_NE(all->body.find(R"("name":"<script>","rank":1,"score":9000)"), std::string::npos) << all->body;
  EXPECT_EQ(all->body.find(R"("name":"B")"), std::string::npos);
  for (const char* bad : {"/api/scores?period=year", "/api/scores?limit=0", "/api/scores?limit=101", "/api/scores?limit=x"}) {
    EXPECT_EQ(player.Get(bad)->status, 400) << bad;
  }
}

// The server program itself, started as a deployment starts it.
class ServerProcess {
 public:
  explicit ServerProcess(const std::string& db) : port_(test::ClosedPort()) {
    const std::string listen = "127.0.0.1:" + std::to_string(port_);
    std::vector<std::string> args = {GW_SCORE_SERVER_PROGRAM, "--listen", listen, "--db", db, "--max-per-hour", "100000"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~ServerProcess() {
    if (pid_ > 0) Stop(SIGKILL);
  }
  // Waits until the server answers; the program needs a moment to open its database and listen.
  bool Ready() {
    httplib::Client client("127.0.0.1", port_);
    client.set_connection_timeout(0, 100'000);
    for (int i = 0; i < 100; ++i) {
      if (auto res = client.Get("/api/scores?limit=1"); res && res->status == 200) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  int Stop(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }
  std::uint16_t Port() const { return port_; }

 private:
  std::uint16_t port_;
  pid_t pid_ = -1;
};

TEST(ScoreServerProgram, AKillAtAnyMomentKeepsEveryAnsweredSubmission) {
  test::TempFolder folder;
  for (const int signal : {SIGKILL, SIGTERM}) {
    const std::string db = "scores-" + std::to_string(signal) + ".db";
    std::atomic<int> answered{0};
    std::atomic<int> attempted{0};
    {
      ServerProcess server(db);
      ASSERT_TRUE(server.Ready());
      std::atomic<bool> stop{false};
      std::thread load([&] {
        net::HttpClient http;
        const net::ServerAddress address{"127.0.0.1", server.Port()};
        while (!stop) {
          ++attempted;
          if (net::ExchangeScore(http, address, {kIvan, attempted.load(), 'G', "", kRussia}) == net::ExchangeResult::Sent) {
            ++answered;
          }
        }
      });
      while (answered < 50) std::this_thread::yield();
      const int status = server.Stop(signal);
      stop = true;
      load.join();
      if (signal == SIGTERM) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      }
    }
    SqliteScoreStore store(db);
    EXPECT_GE(store.Count(), answered.load()) << signal;
    EXPECT_LE(store.Count(), attempted.load()) << signal;
  }
}

}  // namespace
}  // namespace gw::scores
