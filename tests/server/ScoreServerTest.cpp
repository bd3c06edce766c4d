// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <httplib.h>
#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "net/ScoreCodec.h"
#include "net/ScoreExchange.h"
#include "net/ScoreProtocol.h"
#include "net/ScoreRecord.h"
#include "support/Headless.h"
#include "RecordsPage.h"
#include "ScoreCeiling.h"
#include "server/ServerProcess.h"
#include "support/ScoreServerRunner.h"

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
  EXPECT_EQ(net::ExchangeScore(http, address, {kIvan, 40, 'G', "", kRussia}), net::ExchangeResult::Sent);
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
      {"a session the server never issued, with a token made for it",
       [&] {
         // The old shape of a session: any 32 hex digits, which a client could choose for itself.
         const std::string mine(32, 'a');
         httplib::Client client("127.0.0.1", server.Port());
         const auto first = client.Get(std::string(net::kVersionQuery), {{"Cookie", "gwsid=" + mine}});
         EXPECT_NE(first->get_header_value("Set-Cookie").find("gwsid="), std::string::npos);
         return player.Submit({"gwsid=" + mine, net::FifthField(first->body)});
       },
       403},
      {"negative score", [&] { return player.Submit(player.Begin(), kIvan, -1); }, 400},
      {"score above what the game can make",
       [&] { return player.Submit(player.Begin(), kIvan, static_cast<std::int32_t>(kHighestScore + 1)); }, 400},
      {"largest score the record holds", [&] { return player.Submit(player.Begin(), kIvan, 2147483647); }, 400},
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

TEST(ScoreServer, ScoresFromNothingToTheCeilingAreStored) {
  std::atomic<std::int64_t> now{kStart};
  ScoreServerRunner server(AtClock(now));
  Player player(server.Port());
  EXPECT_EQ(player.Submit(player.Begin(), kIvan, 0), 200);
  EXPECT_EQ(player.Submit(player.Begin(), kIvan, static_cast<std::int32_t>(kHighestScore)), 200);
  EXPECT_EQ(server.Store().Best(0, 1).at(0).score, kHighestScore);
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

TEST(ScoreServer, GarbageSpendsItsOwnBudgetNotTheHonestOne) {
  std::atomic<std::int64_t> now{kStart - kStart % 3600};
  ScoreServerRunner server(AtClock(now, 5));
  Player player(server.Port());
  const auto garbage = [&] { return player.Send(player.Begin(), "NFTGG3DF"); };
  for (int i = 0; i < 5; ++i) EXPECT_EQ(garbage(), 400) << i;
  EXPECT_EQ(garbage(), 429);  // the refusals are spent...
  for (int i = 0; i < 5; ++i) EXPECT_EQ(player.Submit(player.Begin()), 200) << i;  // ...the submissions are not
  EXPECT_EQ(player.Submit(player.Begin()), 429);
  EXPECT_EQ(server.Store().Count(), 5);
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

  // Every entry: none of them came with its recorded game.
  const auto page = player.Get("/?all=1");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(page->body.find("<script>"), std::string::npos);
  EXPECT_NE(page->body.find("&lt;script&gt;"), std::string::npos);
  EXPECT_NE(page->body.find("a&amp;b&quot;c"), std::string::npos);
  EXPECT_NE(page->body.find(kIvanUtf8), std::string::npos);
  EXPECT_NE(page->body.find(kRussiaUtf8), std::string::npos);
  // The address the game's table screen opens shows the same page.
  EXPECT_EQ(player.Get(std::string(net::kRecordsPageQuery) + "&all=1")->body, page->body);
  EXPECT_NE(page->body.find("class=\"unverified\""), std::string::npos);
  EXPECT_EQ(player.Get("/")->body.find(kIvanUtf8), std::string::npos) << "by default only verified entries";

  const auto week = player.Get("/api/scores?period=week&all=1");
  EXPECT_EQ(week->body, R"([{"country":"Россия","name":"Иван","rank":1,"score":300,"time":)" +
                            std::to_string(now.load()) +
                            R"(,"verified":false},{"country":"Россия","name":"B","rank":2,"score":200,"time":)" +
                            std::to_string(now.load()) + R"(,"verified":false}])");
  EXPECT_EQ(player.Get("/api/scores?period=week")->body, "[]");
  const auto all = player.Get("/api/scores?period=all&limit=2&all=1");
  EXPECT_NE(all->body.find(R"("name":"<script>","rank":1,"score":9000)"), std::string::npos) << all->body;
  EXPECT_EQ(all->body.find(R"("name":"B")"), std::string::npos);
  for (const char* bad : {"/api/scores?period=year", "/api/scores?limit=0", "/api/scores?limit=101", "/api/scores?limit=x"}) {
    EXPECT_EQ(player.Get(bad)->status, 400) << bad;
  }
}

TEST(RecordsPage, ANameOfNothingButSpacesShowsAsADash) {
  const char* blank[] = {"", "   ", "\xC2\xA0", " \xC2\xA0\t\xC2\xA0 "};
  std::vector<ScoreRow> rows;
  for (const char* name : blank) rows.push_back({name, "R", 5, kStart});
  rows.push_back({" A\xC2\xA0", "R", 4, kStart});
  const std::string html = RecordsPageHtml(rows, {}, kStart);
  std::size_t dashes = 0;
  for (std::size_t at = 0; (at = html.find("<span class=\"name\">—</span>", at)) != std::string::npos; ++at) ++dashes;
  EXPECT_EQ(dashes, std::size(blank));
  EXPECT_NE(html.find("<span class=\"name\"> A\xC2\xA0</span>"), std::string::npos) << "a real name is kept as it is";
}

TEST(RecordsPage, LinksEachVerifiedEntrysGameOnlyWhenItServesTheGame) {
  const std::vector<ScoreRow> rows{{"A", "R", 30, kStart, true, 7}, {"B", "R", 20, kStart, false, 0},
                                   {"C", "R", 10, kStart, true, 12}};
  const std::string with = RecordsPageHtml(rows, {}, kStart, true);
  EXPECT_NE(with.find(R"(<a class="watch" href="/play/?watch=7">Смотреть</a>)"), std::string::npos) << with;
  EXPECT_NE(with.find(R"(href="/play/?watch=12")"), std::string::npos);
  // The unverified row between them has none.
  EXPECT_EQ(with.find("?watch=", with.find("?watch=7") + 1), with.find("?watch=12"));
  EXPECT_EQ(with.find("?watch=", with.find("?watch=12") + 1), std::string::npos);
  EXPECT_EQ(RecordsPageHtml(rows, rows, kStart, false).find("?watch="), std::string::npos);
}

TEST(ScoreServer, AnOperatorSeesEveryRequestAndTheCounters) {
  std::atomic<std::int64_t> now{kStart};
  ScoreServerRunner server(AtClock(now));
  Player player(server.Port());
  const Session s = player.Begin();
  const std::string letters = net::EncodeRecord({kIvan, 1500, 'G', s.token, kRussia});
  ASSERT_EQ(player.Send(s, letters), 200);
  ASSERT_EQ(player.Submit(player.Begin(), kIvan, 10, 'Q'), 403);
  EXPECT_EQ(player.Get("/healthz")->status, 200);

  const auto metrics = player.Get("/metrics");
  ASSERT_TRUE(metrics);
  EXPECT_EQ(metrics->get_header_value("Content-Type"), "text/plain; version=0.0.4; charset=utf-8");
  for (const char* line : {"gromwumbler_scores_stored_total 1\n", "gromwumbler_scores_refusals_total{reason=\"wrong_key\"} 1\n",
                           "gromwumbler_scores_requests_total{status=\"200\"} 4\n",
                           "gromwumbler_scores_requests_total{status=\"403\"} 1\n",
                           "gromwumbler_scores_request_duration_seconds_count 5\n",
                           "gromwumbler_scores_open_connections "}) {
    EXPECT_NE(metrics->body.find(line), std::string::npos) << line << metrics->body;
  }

  // One line per request; the record itself is the player's and shows only as its length.
  const auto log = server.LogLines();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_NE(log[1].find(" 127.0.0.1 GET /cgi/version.pl?hs&prg=GromWumbler&inf=[" + std::to_string(letters.size()) +
                        "] 200 - "),
            std::string::npos)
      << log[1];
  EXPECT_EQ(log[1].find(letters), std::string::npos);
  EXPECT_NE(log[3].find(" 403 wrong_key "), std::string::npos) << log[3];
  EXPECT_TRUE(log[3].ends_with("ms\n")) << log[3];
}

TEST(ScoreServer, HealthIsThatOfTheStore) {
  // The real store, until it stops answering.
  class FailingStore final : public ScoreStore {
   public:
    explicit FailingStore(ScoreStore& real) : real_(real) {}
    AddResult Add(const Submission& s) override { return real_.Add(s); }
    std::vector<ScoreRow> Best(std::int64_t since, int limit, bool verifiedOnly) override {
      return real_.Best(since, limit, verifiedOnly);
    }
    std::optional<std::string> Recording(std::int64_t id) override { return real_.Recording(id); }
    std::optional<ReplayClaim> Claim(const std::string& token) override { return real_.Claim(token); }
    KeepResult KeepReplay(const std::string& token, const ReplayVerdict& v) override { return real_.KeepReplay(token, v); }
    std::int64_t Count() override { return real_.Count(); }
    void Ping() override {
      if (down) throw StoreError("gone");
      real_.Ping();
    }
    std::string Secret() override { return real_.Secret(); }
    bool down = false;

   private:
    ScoreStore& real_;
  };
  test::TempFolder folder;
  SqliteScoreStore real("scores.db");
  FailingStore store(real);
  Metrics metrics;
  ScoreService service(store, metrics, {});
  const auto health = [&] { return std::get<StoreWork>(service.Handle({"GET", "/healthz", "", "127.0.0.1", ""}))().status; };
  EXPECT_EQ(health(), 200);
  store.down = true;
  EXPECT_EQ(health(), 503);
}

TEST(ScoreStorePrivacy, TheKeyIsForTheOwnerAlone) {
  test::TempFolder folder;
  {
    SqliteScoreStore made("made.db");
    made.Secret();
  }
  for (const char* file : {"made.db"}) {
    struct stat st {};
    ASSERT_EQ(stat(file, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << file;
  }
  struct Case {
    const char* name;
    const char* path;
    std::filesystem::perms folder;
    std::filesystem::perms file;
    const char* says;
  };
  using P = std::filesystem::perms;
  const P mine = P::owner_read | P::owner_write;
  const Case refused[] = {
      {"a database others can read", "open/scores.db", P::owner_all, mine | P::others_read, "chmod 600"},
      {"a database its group can read", "open/scores.db", P::owner_all, mine | P::group_read, "chmod 600"},
      {"a folder others can change", "shared/scores.db", P::owner_all | P::others_all, mine, "chmod go-w"},
  };
  for (const Case& c : refused) {
    const std::filesystem::path path(c.path);
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::permissions(path.parent_path(), c.folder);
    std::ofstream(path).close();
    std::filesystem::permissions(path, c.file);
    try {
      SqliteScoreStore store(c.path);
      ADD_FAILURE() << c.name << " was opened";
    } catch (const StoreError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
    }
    std::filesystem::remove_all(path.parent_path());
  }
}

TEST(ScoreStorePrivacy, AFileThatIsNotADatabaseIsNamedAndLeftAsItIs) {
  test::TempFolder folder;
  const std::string text = "these are my notes, not scores\n";
  {
    std::ofstream notes("notes.txt");
    notes << text << std::string(4096, 'x');
  }
  std::filesystem::permissions("notes.txt", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  try {
    SqliteScoreStore store("notes.txt");
    ADD_FAILURE() << "a text file was opened as the database";
  } catch (const StoreError& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("notes.txt: ")) << e.what();
    EXPECT_NE(std::string(e.what()).find("not a database"), std::string::npos) << e.what();
  }
  std::ifstream notes("notes.txt");
  const std::string after((std::istreambuf_iterator<char>(notes)), {});
  EXPECT_EQ(after, text + std::string(4096, 'x'));
}

TEST(ScoreServerProgram, MakesItsDatabaseForItsOwnerWhateverTheUmask) {
  test::TempFolder folder;
  const mode_t previous = umask(0);  // the loosest a shell could start it with
  {
    test::ServerProcess server("scores.db");
    umask(previous);
    ASSERT_TRUE(server.Ready());
    httplib::Client client("127.0.0.1", server.Port());
    ASSERT_EQ(client.Get(std::string(net::kVersionQuery))->status, 200);
    server.Stop(SIGTERM);
  }
  struct stat st {};
  ASSERT_EQ(stat("scores.db", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ScoreServerProgram, HelpGoesToStandardOutputAndABadOptionToStandardError) {
  test::TempFolder folder;
  struct Case {
    const char* args;
    int exit;
    const char* out;  // what standard output starts with
    const char* err;  // what standard error starts with
  };
  const std::string version = std::string("gromwumbler-scores (Grom Wumbler) ") + GW_VERSION + "\n";
  for (const Case& c : {Case{"--help", 0, "usage: gromwumbler-scores", ""},
                        Case{"-h", 0, "usage: gromwumbler-scores", ""},
                        Case{"--version", 0, version.c_str(), ""},
                        Case{"-v", 0, version.c_str(), ""},
                        Case{"--no-such-option", 2, "", "gromwumbler-scores: unknown option '--no-such-option'\nusage:"},
                        Case{"stray", 2, "", "gromwumbler-scores: unexpected argument 'stray'\nusage:"},
                        Case{"--pool", 2, "", "gromwumbler-scores: option '--pool' needs a value\nusage:"},
                        Case{"--pool 0", 2, "", "gromwumbler-scores: bad value '0' for option '--pool'\nusage:"}}) {
    const std::string command = std::string(GW_SCORE_SERVER_PROGRAM) + " " + c.args + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << c.args;
    EXPECT_EQ(WEXITSTATUS(status), c.exit) << c.args;
    std::ifstream out("out.txt"), err("err.txt");
    const std::string outText((std::istreambuf_iterator<char>(out)), {});
    const std::string errText((std::istreambuf_iterator<char>(err)), {});
    EXPECT_TRUE(outText.starts_with(c.out) && outText.empty() == (*c.out == 0)) << c.args << ": " << outText;
    EXPECT_TRUE(errText.starts_with(c.err) && errText.empty() == (*c.err == 0)) << c.args << ": " << errText;
  }
}

TEST(ScoreServerProgram, AKillAtAnyMomentKeepsEveryAnsweredSubmission) {
  test::TempFolder folder;
  for (const int signal : {SIGKILL, SIGTERM}) {
    const std::string db = "scores-" + std::to_string(signal) + ".db";
    std::mutex lock;
    std::condition_variable more;
    std::atomic<int> answered{0};
    std::atomic<int> attempted{0};
    {
      test::ServerProcess server(db);
      ASSERT_TRUE(server.Ready());
      std::atomic<bool> stop{false};
      std::thread load([&] {
        net::HttpClient http;
        const net::ServerAddress address{"127.0.0.1", server.Port()};
        while (!stop) {
          ++attempted;
          if (net::ExchangeScore(http, address, {kIvan, attempted.load(), 'G', "", kRussia}) == net::ExchangeResult::Sent) {
            std::lock_guard guard(lock);
            ++answered;
            more.notify_all();
          }
        }
      });
      {
        // A broken server answers nothing: give up after a while rather than wait for ever.
        std::unique_lock guard(lock);
        EXPECT_TRUE(more.wait_for(guard, std::chrono::seconds(30), [&] { return answered >= 50; })) << signal;
      }
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
