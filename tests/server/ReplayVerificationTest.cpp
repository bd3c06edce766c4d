// SPDX-License-Identifier: GPL-3.0-or-later
// Scores the server has seen played: real games of the headless program, played on the luck the server dealt and
// sent as the game sends them, are replayed by the real server and marked verified; every forgery (other luck, a
// stolen or duplicated recording, another session's ticket, a game faster than real time, another score, the old
// form) stays unverified, with its own reason in the access log, the counters and the entry. A verified entry's
// recording is served back, over either store, for the web build to play.

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "PgScoreStore.h"
#include "game/Recording.h"
#include "game/RecordingFile.h"
#include "net/HttpClient.h"
#include "net/ScoreCodec.h"
#include "net/ScoreExchange.h"
#include "net/ScoreProtocol.h"
#include "net/ScoreRecord.h"
#include "support/Headless.h"
#include "support/PostgresServer.h"
#include "support/ScoreServerRunner.h"
#include "support/ScriptedPlayer.h"

#include <sqlite3.h>

#include <atomic>
#include <functional>

#include "net/GameTicket.h"

namespace gw::scores {
namespace {

using test::PlayScripted;
using test::Style;

std::string Stored(const game::Recording& r) {
  const std::vector<std::uint8_t> bytes = game::EncodeRecording(r);
  return {bytes.begin(), bytes.end()};
}

net::ScoreRecord RecordOf(std::int32_t score, const std::string& name) { return {name, score, 'G', "", "Moldova"}; }

// The server's clock, moved on by the test as the games it deals are played.
struct ServerClock {
  std::atomic<std::int64_t> now{1'800'000'000};
  ServiceSettings Settings() {
    ServiceSettings settings;
    settings.now = [this] { return now.load(); };
    return settings;
  }
  // As long as a game of that many frames takes at 64 frames a second.
  void Play(const test::PlayedGame& g) { now += g.frames / 64 + 1; }
};

// One player's session: a ticket as a new game starts, then the game's three requests one by one, so that a replay
// can be sent again or another recording sent in its place.
struct Sender {
  explicit Sender(std::uint16_t port) : address{"127.0.0.1", port} {}

  game::Ticket Ticket() { return net::ParseTicketAnswer(http.HttpGet(address.Url(net::kTicketQuery))).value(); }
  // A game played on a ticket of this session.
  test::PlayedGame Play(test::Script script) {
    const game::Ticket ticket = Ticket();
    script.ticket = ticket.id;
    script.seed = ticket.seed;
    return test::PlayScripted(script);
  }
  // Status of the replay's answer, the score stored first.
  int Send(const std::string& name, std::int32_t score, const std::string& recording) {
    const std::string token = Submit(RecordOf(score, name));
    try {
      http.HttpPost(address.Url(std::string(net::kReplayQuery) + token), recording);
      return 200;
    } catch (const net::HttpError& e) {
      return e.Status();
    }
  }

  std::string Submit(net::ScoreRecord record) {
    record.p = net::FifthField(http.HttpGet(address.Url(net::kVersionQuery)));
    http.HttpGet(address.Url(std::string(net::kSubmitQuery) + net::EncodeRecord(record)));
    return record.p;
  }
  bool Replay(const std::string& token, const std::string& recording) {
    try {
      http.HttpPost(address.Url(std::string(net::kReplayQuery) + token), recording);
      return true;
    } catch (const net::HttpError&) {
      return false;
    }
  }

  net::HttpClient http;
  net::ServerAddress address;
};

bool VerifiedRow(ScoreStore& store, const std::string& name, std::int32_t score) {
  const auto rows = store.Best(0, 100, true);
  return std::any_of(rows.begin(), rows.end(), [&](const ScoreRow& r) { return r.name == name && r.score == score; });
}

// The recording as the game sends it: the ticket and the marks, no seed.
std::string Sent(game::Recording r) {
  r.seed.reset();
  return Stored(r);
}

// What the store kept with an entry of the SQLite store: the replay's reason, and whether any recording.
std::pair<std::string, bool> KeptVerdict(const std::filesystem::path& db, const std::string& name) {
  sqlite3* raw = nullptr;
  EXPECT_EQ(sqlite3_open_v2(db.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> handle(raw, &sqlite3_close);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(raw, "SELECT replay_reason, recording IS NOT NULL FROM scores WHERE name = ?1", -1, &statement, nullptr);
  const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> query(statement, &sqlite3_finalize);
  sqlite3_bind_text(statement, 1, name.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(statement) != SQLITE_ROW) return {"no entry", false};
  const auto* reason = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  return {reason ? reason : "", sqlite3_column_int(statement, 1) != 0};
}

TEST(ReplayVerification, ARealGameOnItsTicketIsVerifiedAndEveryForgeryRefusedWithItsReason) {
  ServerClock clock;
  test::ScoreServerRunner server(clock.Settings());
  Sender player(server.Port());
  Sender thief(server.Port());

  // A real game on its ticket, played in real time: verified under the name it is sent with. The luck is the
  // server's, so the scripted player may have a bad game: it plays again until it eats something.
  test::PlayedGame real = player.Play({Style::Catcher, 0, "", "", 0, 3});
  for (int again = 0; again < 5 && real.score <= 0; ++again) real = player.Play({Style::Catcher, 0, "", "", 0, 3});
  ASSERT_GT(real.score, 0);
  clock.Play(real);
  ASSERT_EQ(player.Send("Real", real.score, Sent(real.recording)), 200);
  EXPECT_TRUE(VerifiedRow(server.Store(), "Real", real.score));
  // What a thief finds on the records page.
  httplib::Client client("127.0.0.1", server.Port());
  const auto rows = nlohmann::json::parse(client.Get("/api/scores")->body);
  ASSERT_EQ(rows.size(), 1u);
  const std::string published = client.Get("/api/recording?id=" + std::to_string(rows[0].at("id").get<std::int64_t>()))->body;

  // Short games for the rest: quit a few seconds into the first level, with some points eaten or lost.
  const test::Script quick{Style::Catcher, 0, "", "", 900};
  struct Forgery {
    const char* name;
    std::function<std::pair<std::int32_t, std::string>()> make;  // the claim and the recording sent
    int status;
    const char* reason;
    // Other luck may end otherwise or not fit the presses at all: either refuses it.
    const char* orReason = nullptr;
  };
  const std::vector<Forgery> forgeries = {
      {"OtherLuck", [&] {
         test::PlayedGame g = player.Play(quick);
         test::Script same = quick;
         same.ticket = g.recording.ticket;
         // The presses of a game on luck it chose: luck that gave points, as a cheat's would.
         test::PlayedGame chosen;
         for (std::uint64_t other = 1; other <= 10 && chosen.score <= 0; ++other) {
           same.seed = g.recording.seed.value() + other;
           chosen = test::PlayScripted(same);
         }
         clock.Play(chosen);
         return std::make_pair(chosen.score, Sent(chosen.recording));
       }, 422, "replay_score", "replay_invalid"},
      {"Stolen", [&] { return std::make_pair(real.score, published); }, 403, "ticket_other_session"},
      {"StolenRenamed", [&] { return std::make_pair(real.score, published); }, 403, "ticket_other_session"},
      {"Duplicate", [&] { return std::make_pair(real.score, Sent(real.recording)); }, 409, "ticket_used"},
      {"OthersTicket", [&] {
         const game::Ticket theirs = thief.Ticket();
         test::Script onTheirs = quick;
         onTheirs.ticket = theirs.id;
         onTheirs.seed = theirs.seed;
         const test::PlayedGame g = test::PlayScripted(onTheirs);
         clock.Play(g);
         return std::make_pair(g.score, Sent(g.recording));
       }, 403, "ticket_other_session"},
      {"UnknownTicket", [&] {
         test::PlayedGame g = player.Play(quick);
         clock.Play(g);
         g.recording.ticket.replace(30, 4, g.recording.ticket.substr(30, 4) == "0000" ? "1111" : "0000");
         return std::make_pair(g.score, Sent(g.recording));
       }, 403, "ticket_unknown"},
      {"FasterThanRealTime", [&] {
         const test::PlayedGame g = player.Play(quick);
         clock.now += 5;  // the game took some 15 s
         return std::make_pair(g.score, Sent(g.recording));
       }, 422, "replay_too_fast"},
      {"OffByOne", [&] {
         const test::PlayedGame g = player.Play(quick);
         clock.Play(g);
         return std::make_pair(g.score + 1, Sent(g.recording));
       }, 422, "replay_score"},
      {"OldForm", [&] {
         return std::make_pair(std::int32_t{10}, std::string{'\x01', '\x78', '\xDA', '\x03', '\x00'});
       }, 422, "replay_old_form"},
  };
  for (const Forgery& f : forgeries) {
    SCOPED_TRACE(f.name);
    const auto [claim, recording] = f.make();
    // The thief sends what was stolen; the player everything else.
    Sender& sender = std::string_view(f.name).starts_with("Stolen") ? thief : player;
    EXPECT_EQ(sender.Send(f.name, claim, recording), f.status);
    EXPECT_FALSE(VerifiedRow(server.Store(), f.name, claim));
    const auto [kept, recordingKept] = KeptVerdict(server.DbPath(), f.name);
    const std::string reason = f.orReason && kept == f.orReason ? f.orReason : f.reason;
    EXPECT_EQ(kept, reason);
    EXPECT_FALSE(recordingKept) << "a refused recording's bytes are not kept";
    const std::vector<std::string> log = server.LogLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& l) {
      return l.find("POST /replay?token=") != std::string::npos &&
             l.find(" " + std::to_string(f.status) + " " + reason + " ") != std::string::npos;
    })) << reason;
    EXPECT_NE(server.Metrics().Text().find("reason=\"" + reason + "\""), std::string::npos);
  }
  EXPECT_EQ(server.Store().Best(0, 100, true).size(), 1u);
  EXPECT_NE(server.Metrics().Text().find("gromwumbler_replays_verified_total 1"), std::string::npos);
  // The verified entry keeps its recording, with the dealt seed in it for watching.
  EXPECT_TRUE(KeptVerdict(server.DbPath(), "Real").second);
  EXPECT_EQ(published, Stored(real.recording));
}

TEST(ReplayVerification, ATicketComesWithTheSessionAndOtherMethodsAreRefused) {
  test::ScoreServerRunner server;
  httplib::Client client("127.0.0.1", server.Port());
  const auto first = client.Get(std::string(net::kTicketQuery));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 200);
  EXPECT_NE(first->get_header_value("Set-Cookie").find("gwsid="), std::string::npos);
  EXPECT_EQ(first->get_header_value("Cache-Control"), "no-cache");
  const auto ticket = net::ParseTicketAnswer(first->body);
  ASSERT_TRUE(ticket);
  // Every ticket is new luck.
  EXPECT_NE(net::ParseTicketAnswer(client.Get(std::string(net::kTicketQuery))->body)->seed, ticket->seed);
  EXPECT_EQ(client.Get("/ticket?prg=Other")->status, 400);
  const auto put = client.Put(std::string(net::kReplayQuery) + "x", "x", "application/octet-stream");
  ASSERT_TRUE(put);
  EXPECT_EQ(put->status, 405);
  EXPECT_EQ(put->get_header_value("Allow"), "POST");

}

TEST(ReplayVerification, BodiesAreBoundedAndOnlyAReplayMayHaveOne) {
  test::ScoreServerRunner server;
  Sender sender(server.Port());
  const std::string token = sender.Submit(RecordOf(10, "Big"));
  EXPECT_FALSE(sender.Replay(token, std::string(game::kMaxRecordingBytes + 1, 'x')));
  EXPECT_FALSE(sender.Replay(token, "not a recording"));
  EXPECT_FALSE(sender.Replay(token, "not a recording")) << "one replay an entry, refused or not";
  EXPECT_THROW(sender.http.HttpPost(sender.address.Url("/api/scores"), "x"), net::HttpError);
  const std::string metrics = server.Metrics().Text();
  EXPECT_NE(metrics.find("body_too_large"), std::string::npos);
  EXPECT_EQ(server.Store().Best(0, 10, true).size(), 0u);
}

// The real server over each store: SQLite in a folder of its own, or a fresh database of the test's PostgreSQL.
class RecordingsServed : public testing::TestWithParam<std::string> {
 protected:
  std::unique_ptr<test::ScoreServerRunner> Server(ServiceSettings settings) {
    if (GetParam() == "Postgres") {
      return std::make_unique<test::ScoreServerRunner>(
          std::make_unique<PgScoreStore>(PgSettings{test::FreshPostgresDatabase()}), std::move(settings));
    }
    return std::make_unique<test::ScoreServerRunner>(std::move(settings));
  }
};

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
  return n;
}

TEST_P(RecordingsServed, AVerifiedEntrysRecordingComesBackAsKeptAndNoOtherEntrysDoes) {
  ServerClock clock;
  ServiceSettings settings = clock.Settings();
  settings.playLink = true;
  auto server = Server(settings);
  Sender player(server->Port());
  // Verified; refused (a score one higher); stored, its game never sent.
  const test::PlayedGame catcher = player.Play({Style::Catcher, 0, "", "", 2000});
  const test::PlayedGame waiter = player.Play({Style::Waiter});
  clock.Play(catcher);
  clock.Play(waiter);
  ASSERT_EQ(player.Send("Catcher", catcher.score, Sent(catcher.recording)), 200);
  ASSERT_EQ(player.Send("Other", waiter.score + 1, Sent(waiter.recording)), 422);
  player.Submit(RecordOf(waiter.score, "Pending"));

  httplib::Client client("127.0.0.1", server->Port());
  const auto verified = nlohmann::json::parse(client.Get("/api/scores")->body);
  ASSERT_EQ(verified.size(), 1u);
  const std::int64_t id = verified[0].at("id");
  const auto every = nlohmann::json::parse(client.Get("/api/scores?all=1")->body);
  ASSERT_EQ(every.size(), 3u);
  for (const auto& row : every) {
    EXPECT_EQ(row.contains("id"), row.at("verified").get<bool>()) << row.dump();
    if (row.contains("id")) {
      EXPECT_EQ(row.at("id"), id);
    }
  }

  // The entries' keys and some beyond them: only the verified one has a recording to give.
  for (std::int64_t n = 0; n <= 8; ++n) {
    const auto res = client.Get("/api/recording?id=" + std::to_string(n));
    ASSERT_TRUE(res);
    if (n != id) {
      EXPECT_EQ(res->status, 404) << n;
      continue;
    }
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, Stored(catcher.recording));
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/octet-stream");
    EXPECT_NE(res->get_header_value("Cache-Control").find("max-age=31536000"), std::string::npos);
    EXPECT_FALSE(res->has_header("Access-Control-Allow-Origin")) << "for the server's own pages only";
    // What the game's --watch reads from a file.
    test::TempFolder folder;
    std::ofstream(folder.Path() / "game.gwr", std::ios::binary) << res->body;
    const game::WatchableGame watched = game::ReadRecordingFile(folder.Path() / "game.gwr");
    EXPECT_EQ(watched.outcome.score, catcher.score);
  }
  for (const char* bad : {"", "?id=", "?id=x", "?id=-1", "?id=%2D1", "?id=+1", "?id=%2B1", "?id=%201", "?id=1%20",
                          "?id=1x", "?id=1.0", "?id=0x1", "?id=9223372036854775808", "?id=99999999999999999999999"}) {
    const auto res = client.Get(std::string("/api/recording") + bad);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400) << bad;
  }
  EXPECT_EQ(client.Get("/api/recording?id=9223372036854775807")->status, 404);
  const std::string metrics = server->Metrics().Text();
  EXPECT_NE(metrics.find("reason=\"no_recording\"} 9"), std::string::npos) << metrics;
  EXPECT_NE(metrics.find("reason=\"bad_id\"} 14"), std::string::npos) << metrics;
  const std::vector<std::string> log = server->LogLines();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
    return l.find("GET /api/recording?id=x 400 bad_id ") != std::string::npos;
  }));

  // The records page links the verified entry, in the week's and in the all-time table, and no other.
  const std::string link = "href=\"/play/?watch=" + std::to_string(id) + "\"";
  for (const char* page : {"/", "/?all=1"}) {
    const std::string html = client.Get(page)->body;
    EXPECT_EQ(Occurrences(html, link), 2u) << page;
    EXPECT_EQ(Occurrences(html, "?watch="), 2u) << page;
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, RecordingsServed, testing::Values("Sqlite", "Postgres"),
                         [](const testing::TestParamInfo<std::string>& p) { return p.param; });

}  // namespace
}  // namespace gw::scores
