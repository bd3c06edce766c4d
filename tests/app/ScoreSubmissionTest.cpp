// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "game/Game.h"
#include "gfx/Draw.h"
#include "net/ScoreProtocol.h"
#include "net/ServerAddress.h"
#include "support/Headless.h"
#include "support/LoopbackServer.h"
#include "support/ScoreServerRunner.h"

namespace gw::app {
namespace {

using namespace platform::vk;

// Points the game at a score server for the fixture's lifetime; set before the game starts, as a player would.
struct ServerVariable {
  explicit ServerVariable(const std::string& hostPort) { setenv(net::kScoreServerVariable, hostPort.c_str(), 1); }
  ~ServerVariable() { unsetenv(net::kScoreServerVariable); }
};

// A game that has just ended with a new high score, on its name entry.
struct AfterAGame : ServerVariable, test::HeadlessGame {
  explicit AfterAGame(const std::string& hostPort) : ServerVariable(hostPort) {
    program.ScreenState = screen::kMenu;
    Keys({kReturn});  // a new game
    program.Game->Score = 1200;
    program.ScreenState = screen::kNameEntry;
  }
  void Keys(std::initializer_list<std::uint16_t> keys) {
    for (std::uint16_t k : keys) form->FormKeyDown(k, false);
  }
  std::int32_t State() const { return program.ScreenState; }
};

TEST(ScoreSubmission, YesSendsTheScoreThroughTheWaitScreenToTheTable) {
  test::ScoreServerRunner server;
  AfterAGame g(server.HostPort());
  g.Keys({Letter('D'), Letter('F'), Letter('Y'), kReturn});  // ВАН, OK
  ASSERT_EQ(g.State(), screen::kSendConfirm);
  const int presents = g.window.presents;
  g.Keys({kReturn});  // ДА
  EXPECT_EQ(g.State(), screen::kHiScores);
  EXPECT_EQ(g.window.presents, presents + 1);  // the wait screen, shown before the exchange
  EXPECT_GE(g.window.busyPumps, 1);            // the window was kept alive meanwhile
  const auto rows = server.Store().Best(0, 10);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "ВАН");
  EXPECT_EQ(rows[0].country, "Россия");
  EXPECT_EQ(rows[0].score, 1200);
}

TEST(ScoreSubmission, AnUnreachableServerAsksAgainUntilNo) {
  AfterAGame g("127.0.0.1:" + std::to_string(test::ClosedPort()));
  g.Keys({Letter('D'), kReturn, kReturn});  // name, OK, ДА
  EXPECT_EQ(g.State(), screen::kRetryConfirm);
  g.Keys({kReturn});  // ДА: the whole exchange again
  EXPECT_EQ(g.State(), screen::kRetryConfirm);
  const int presents = g.window.presents;
  g.Keys({kRight, kReturn});  // НЕТ: through the wait screen to the table
  EXPECT_EQ(g.State(), screen::kHiScores);
  EXPECT_EQ(g.window.presents, presents + 1);
}

// A server that answers with an error status: to the first request the game asks again and sends nothing
// more; to the second, the record has gone out and the table follows. The game asked for its ticket first, and
// was refused it: it plays on its own luck, and no recording goes out.
TEST(ScoreSubmission, AnErrorToTheFirstRequestAsksAgainAndToTheSecondShowsTheTable) {
  const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\na|b|c|d|e|f";
  const std::string error = "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n";
  const struct {
    const char* name;
    std::vector<test::ScriptedReply> replies;
    std::int32_t state;
    std::size_t requests;
  } cases[] = {
      {"first fails", {{error}, {error}}, screen::kRetryConfirm, 2},
      {"second fails", {{error}, {ok}, {error}}, screen::kHiScores, 3},
  };
  for (const auto& c : cases) {
    test::LoopbackServer server(c.replies);
    AfterAGame g("127.0.0.1:" + std::to_string(server.Port()));
    g.Keys({Letter('D'), kReturn, kReturn});  // name, OK, ДА
    EXPECT_EQ(g.State(), c.state) << c.name;
    EXPECT_FALSE(g.program.Game->Dealt());
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), c.requests) << c.name;
    EXPECT_TRUE(requests[0].starts_with("GET " + std::string(net::kTicketQuery) + " HTTP/1.1\r\n")) << requests[0];
    EXPECT_TRUE(requests[1].starts_with("GET " + std::string(net::kVersionQuery) + " HTTP/1.1\r\n")) << requests[1];
    if (c.requests == 3) {
      EXPECT_TRUE(requests[2].starts_with("GET " + std::string(net::kSubmitQuery))) << requests[2];
    }
  }
}

// A whole game as a player plays it against the real server: its ticket comes while the level's opening screen
// stands, the player quits a little into the level and sends the score, and the server replays it: verified.
TEST(ScoreSubmission, AGameTheServerDealtIsSentWithItsRecordingAndVerified) {
  test::ScoreServerRunner server;
  ServerVariable variable(server.HostPort());
  test::HeadlessGame g;
  g.program.HiScores[9].Score = -1;  // so that a game of no points still makes the table
  g.program.ScreenState = screen::kMenu;
  const auto frame = [&g] {
    g.clock.tick += 16;
    g.form->RunFrame();
  };
  g.form->FormKeyDown(kReturn, false);  // a new game
  ASSERT_TRUE(g.program.Game);
  // The answer comes over loopback in far less than the opening screen's two seconds.
  for (int f = 0; f < 100 && !g.program.Game->Dealt(); ++f) {
    frame();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
    while (!g.program.Game->Dealt() && std::chrono::steady_clock::now() < until) {
      std::this_thread::yield();
      g.form->RunFrame();
    }
  }
  ASSERT_TRUE(g.program.Game->Dealt()) << "no ticket while the level's opening screen stood";
  while (g.program.Game->Phase != game::Playing) frame();
  for (int f = 0; f < 100; ++f) frame();
  g.form->FormKeyDown(kEscape, false);
  ASSERT_EQ(g.program.ScreenState, screen::kQuitGameConfirm);
  g.form->FormKeyDown(kReturn, false);  // ДА
  for (int f = 0; f < 400 && g.program.ScreenState == screen::kInGame; ++f) frame();
  ASSERT_EQ(g.program.ScreenState, screen::kNameEntry);
  for (std::uint16_t k : {Letter('D'), kReturn, kReturn}) g.form->FormKeyDown(k, false);  // name, OK, ДА
  EXPECT_EQ(g.program.ScreenState, screen::kHiScores);
  const auto verified = server.Store().Best(0, 10, true);
  ASSERT_EQ(verified.size(), 1u) << "the game was not verified";
  EXPECT_EQ(verified[0].name, "В");
  EXPECT_EQ(verified[0].score, g.program.Game->Score);
}

// A server too busy to replay the game now (503, its replays' queue full): the recording is kept and goes out again
// before the next score, first of that exchange's requests.
TEST(ScoreSubmission, ARecordingTheServerWasTooBusyForIsSentAgainBeforeTheNextScore) {
  const auto reply = [](const std::string& status, const std::string& body) {
    return test::ScriptedReply{"HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body};
  };
  const std::string ticket = "abc123 00000000000000ff\n";
  const test::ScriptedReply ok = reply("200 OK", "a|b|c|d|token1|f");
  const test::ScriptedReply busy = reply("503 Service Unavailable", "");
  test::LoopbackServer server({reply("200 OK", ticket), ok, reply("200 OK", "OK\n"), busy,  // the first game
                               reply("200 OK", ticket), reply("200 OK", "verified\n"), ok, reply("200 OK", "OK\n"), busy});
  AfterAGame g("127.0.0.1:" + std::to_string(server.Port()));
  for (int game = 0; game < 2; ++game) {
    if (game == 1) {
      g.program.ScreenState = screen::kMenu;
      g.program.Controls.MainMenu->ItemIndex = 0;
      g.Keys({kReturn});  // a new game
      ASSERT_FALSE(g.program.Game->Dealt());
    }
    g.program.ScreenState = screen::kInGame;
    // The scripted server answers the ticket over loopback at once; bounded all the same.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!g.program.Game->Dealt() && std::chrono::steady_clock::now() < until) {
      g.clock.tick += 16;
      g.form->RunFrame();
    }
    ASSERT_TRUE(g.program.Game->Dealt());
    g.program.ScreenState = screen::kNameEntry;
    g.Keys({Letter('D'), kReturn, kReturn});  // name, OK, ДА
    EXPECT_EQ(g.State(), screen::kHiScores);
  }
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 9u);
  EXPECT_TRUE(requests[3].starts_with("POST " + std::string(net::kReplayQuery) + "token1 ")) << requests[3];
  EXPECT_TRUE(requests[5].starts_with("POST " + std::string(net::kReplayQuery) + "token1 ")) << "sent again first";
  // The scripted server reads heads only: the recording sent before is still ahead of this one.
  EXPECT_NE(requests[6].find("GET " + std::string(net::kVersionQuery)), std::string::npos) << requests[6];
  EXPECT_TRUE(requests[8].starts_with("POST " + std::string(net::kReplayQuery))) << requests[8];
}

TEST(ScoreSubmission, ClosingTheWindowDuringTheWaitAsksToQuitAfterIt) {
  test::ScoreServerRunner server;
  AfterAGame g(server.HostPort());
  g.window.closeWhileBusy = true;
  g.Keys({Letter('D'), kReturn, kReturn});
  EXPECT_EQ(g.State(), screen::kQuitConfirm);
  EXPECT_FALSE(g.window.closed);
  EXPECT_EQ(server.Store().Count(), 1);  // the score went out all the same
}

TEST(ScoreSubmission, TheTableScreenOpensTheRecordsPageOfTheSameServer) {
  AfterAGame g("scores.test:8123");
  g.program.ScreenState = screen::kHiScores;
  g.Keys({kDown, kReturn});
  ASSERT_FALSE(g.shell.opened.empty());
  EXPECT_EQ(g.shell.opened.back(), "http://scores.test:8123/cgi/version.pl?prg=GromWumbler&show&type=0");
}

// A build without a score host (the default), or a run with the variable set but empty: no dead ends.
TEST(NoScoreServer, TheScoreGoesStraightToTheTableAndTheRecordsButtonSaysThereAreNone) {
  AfterAGame g("");
  g.Keys({Letter('D'), kReturn});  // name, OK
  EXPECT_EQ(g.State(), screen::kHiScores) << "asked to send a score with nowhere to send it";
  EXPECT_EQ(g.window.busyPumps, 0);
  EXPECT_EQ(g.program.HiScores[0].Score, 1200);

  const auto redPixels = [&g] {
    g.clock.tick += 16;
    g.form->RunFrame();
    int red = 0;
    for (const std::uint32_t pixel : g.window.lastFrame) red += pixel == kTableWarningColour;
    return red;
  };
  // The notice beside the table, where the two warnings below differ.
  const auto notice = [&g] {
    std::vector<std::uint32_t> area;
    for (int y = 200; y < 260; ++y)
      for (int x = 500; x < 800; ++x) area.push_back(g.window.lastFrame[static_cast<std::size_t>(y) * 800 + x]);
    return area;
  };
  EXPECT_GT(redPixels(), 50) << "no word that the score stays on this computer";
  const std::vector<std::uint32_t> keptHere = notice();
  g.Keys({kDown, kReturn});  // the online records
  EXPECT_TRUE(g.shell.opened.empty()) << g.shell.opened.back();
  EXPECT_GT(redPixels(), 50) << "no word that there are no online records";
  EXPECT_NE(notice(), keptHere) << "the records button's notice is not shown";
  g.program.ScreenState = screen::kMenu;
  g.clock.tick += 16;
  g.form->RunFrame();
  g.program.ScreenState = screen::kHiScores;
  EXPECT_EQ(redPixels(), 0) << "the notice outlived the visit";
}

TEST(NoScoreServer, TheVariableOverridesTheBuiltInHostAndAnEmptyOneMeansNone) {
  const struct {
    const char* variable;  // null: unset
    const char* builtIn;
    std::optional<std::string> expected;
  } cases[] = {
      {nullptr, "", std::nullopt},
      {nullptr, "scores.example.org", "http://scores.example.org/x"},
      {nullptr, "scores.example.org:8080", "http://scores.example.org:8080/x"},
      {"", "scores.example.org", std::nullopt},
      {"127.0.0.1:81", "", "http://127.0.0.1:81/x"},
      {"bad host!", "scores.example.org", "http://scores.example.org/x"},
  };
  for (const auto& c : cases) {
    if (c.variable) {
      setenv(net::kScoreServerVariable, c.variable, 1);
    } else {
      unsetenv(net::kScoreServerVariable);
    }
    ::testing::internal::CaptureStderr();
    const auto server = net::ConfiguredScoreServer(c.builtIn);
    ::testing::internal::GetCapturedStderr();
    unsetenv(net::kScoreServerVariable);
    const std::optional<std::string> url = server ? std::optional(server->Url("/x")) : std::nullopt;
    EXPECT_EQ(url, c.expected) << (c.variable ? c.variable : "(unset)") << " / " << c.builtIn;
  }
}

}  // namespace
}  // namespace gw::app
