// SPDX-License-Identifier: GPL-3.0-or-later
// Scores the server has seen played: real games of the headless program, sent as the game sends them, are
// replayed by the real server and marked verified; a recording altered in what matters, a score one higher or
// another name stays unverified, with the reason in the access log and the counters. A verified entry's
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

namespace gw::scores {
namespace {

using test::PlayScripted;
using test::Style;

std::string Stored(const game::Recording& r) {
  const std::vector<std::uint8_t> bytes = game::EncodeRecording(r);
  return {bytes.begin(), bytes.end()};
}

net::ScoreRecord RecordOf(const test::PlayedGame& g, std::int32_t score, const std::string& name) {
  return {name, score, 'G', "", g.recording.country};
}

// The game's three requests one by one, so that the replay can be sent again; its status (0 when refused).
struct Sender {
  explicit Sender(std::uint16_t port) : address{"127.0.0.1", port} {}

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

// Each real game is played once for all the tests that send it.
const test::PlayedGame& Catcher() {
  static const test::PlayedGame game = PlayScripted({Style::Catcher, 21, "Catcher"});
  return game;
}
const test::PlayedGame& Waiter() {
  static const test::PlayedGame game = PlayScripted({Style::Waiter, 22, "Waiter"});
  return game;
}

TEST(ReplayVerification, RealGamesAreVerifiedAndAlteredOnesRefusedWithAReason) {
  const test::PlayedGame& catcher = Catcher();
  const test::PlayedGame& waiter = Waiter();
  ASSERT_GT(catcher.score, 0);
  test::ScoreServerRunner server;
  net::HttpClient http;
  const net::ServerAddress address{"127.0.0.1", server.Port()};

  // As the game sends them.
  for (const test::PlayedGame* g : {&catcher, &waiter}) {
    ASSERT_EQ(net::ExchangeScore(http, address, RecordOf(*g, g->score, g->recording.name), Stored(g->recording)),
              net::ExchangeResult::Sent);
    EXPECT_TRUE(VerifiedRow(server.Store(), g->recording.name, g->score)) << g->recording.name;
  }

  // One fire a frame later; a score one higher; another name: stored, but not verified.
  game::Recording moved = catcher.recording;
  moved.marks[moved.marks.size() / 2].frame += 1;
  ASSERT_EQ(net::ExchangeScore(http, address, RecordOf(catcher, catcher.score, "Moved"),
                               Stored({"Moved", moved.country, moved.frames, moved.marks, moved.values})),
            net::ExchangeResult::Sent);
  ASSERT_EQ(net::ExchangeScore(http, address, RecordOf(catcher, catcher.score + 1, "Catcher"), Stored(catcher.recording)),
            net::ExchangeResult::Sent);
  ASSERT_EQ(net::ExchangeScore(http, address, RecordOf(waiter, waiter.score, "Other"), Stored(waiter.recording)),
            net::ExchangeResult::Sent);
  EXPECT_FALSE(VerifiedRow(server.Store(), "Moved", catcher.score));
  EXPECT_FALSE(VerifiedRow(server.Store(), "Catcher", catcher.score + 1));
  EXPECT_FALSE(VerifiedRow(server.Store(), "Other", waiter.score));
  EXPECT_EQ(server.Store().Best(0, 100, true).size(), 2u);
  EXPECT_EQ(server.Store().Best(0, 100, false).size(), 5u);

  // A replay for a token that stored nothing, and a second replay of a verified entry.
  Sender sender(server.Port());
  EXPECT_FALSE(sender.Replay(net::FifthField(sender.http.HttpGet(address.Url(net::kVersionQuery))),
                             Stored(waiter.recording)));
  const std::string token = sender.Submit(RecordOf(waiter, waiter.score, "Again"));
  game::Recording again = waiter.recording;
  again.name = "Again";
  EXPECT_TRUE(sender.Replay(token, Stored(again)));
  EXPECT_FALSE(sender.Replay(token, Stored(again)));
  EXPECT_TRUE(VerifiedRow(server.Store(), "Again", waiter.score));

  const std::string metrics = server.Metrics().Text();
  for (const char* reason : {"replay_invalid\"", "replay_score\"", "replay_name\"", "replay_no_entry\"", "replay_again\""}) {
    EXPECT_NE(metrics.find(reason), std::string::npos) << reason;
  }
  EXPECT_NE(metrics.find("gromwumbler_replays_verified_total 3"), std::string::npos);
  const std::vector<std::string> log = server.LogLines();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
    return l.find("POST /replay?token=") != std::string::npos && l.find(" 422 replay_score ") != std::string::npos;
  }));
}

TEST(ReplayVerification, BodiesAreBoundedAndOnlyAReplayMayHaveOne) {
  test::ScoreServerRunner server;
  Sender sender(server.Port());
  const std::string token = sender.Submit({"Big", 10, 'G', "", ""});
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
  const test::PlayedGame& catcher = Catcher();
  const test::PlayedGame& waiter = Waiter();
  ServiceSettings settings;
  settings.playLink = true;
  auto server = Server(settings);
  net::HttpClient http;
  const net::ServerAddress address{"127.0.0.1", server->Port()};
  // Verified; refused (another name); stored, its game never sent.
  ASSERT_EQ(net::ExchangeScore(http, address, RecordOf(catcher, catcher.score, "Catcher"), Stored(catcher.recording)),
            net::ExchangeResult::Sent);
  ASSERT_EQ(net::ExchangeScore(http, address, RecordOf(waiter, waiter.score, "Other"), Stored(waiter.recording)),
            net::ExchangeResult::Sent);
  Sender(server->Port()).Submit(RecordOf(waiter, waiter.score, "Pending"));

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
    EXPECT_EQ(watched.recording.name, "Catcher");
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
