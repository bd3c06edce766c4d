// SPDX-License-Identifier: GPL-3.0-or-later
// Scores the server has seen played: real games of the headless program, sent as the game sends them, are
// replayed by the real server and marked verified; a recording altered in what matters, a score one higher or
// another name stays unverified, with the reason in the access log and the counters.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "game/Recording.h"
#include "net/HttpClient.h"
#include "net/ScoreCodec.h"
#include "net/ScoreExchange.h"
#include "net/ScoreProtocol.h"
#include "net/ScoreRecord.h"
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

TEST(ReplayVerification, RealGamesAreVerifiedAndAlteredOnesRefusedWithAReason) {
  const test::PlayedGame catcher = PlayScripted({Style::Catcher, 21, "Catcher"});
  const test::PlayedGame waiter = PlayScripted({Style::Waiter, 22, "Waiter"});
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

}  // namespace
}  // namespace gw::scores
