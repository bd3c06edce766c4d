// SPDX-License-Identifier: GPL-3.0-or-later
// Recorded games replayed: a level-5 game (levels 1 to 5 played through, quit at the start of level 6) by the
// core alone, from its stored form, on one thread (CPU time a game; "bytes" its stored size); and the real score
// server verifying such games, each played on a ticket it dealt, over loopback, each iteration one whole submission
// with its recording (version, record, replay) by 8 clients at once (items_per_second: whole submissions a second; "verified_per_second":
// games the server's own counter saw verified, which is the figure that matters, since the game is told nothing
// when a replay is refused).

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "game/Recording.h"
#include "game/Replay.h"
#include "net/GameTicket.h"
#include "net/ScoreProtocol.h"
#include "net/ScoreExchange.h"
#include "support/ScoreServerRunner.h"
#include "support/ScriptedPlayer.h"

namespace {

const gw::test::PlayedGame& LevelFive() {
  static const gw::test::PlayedGame g = gw::test::PlayScripted({gw::test::Style::Catcher, 7, "Bench", "", 0, 6});
  return g;
}

const std::string& Stored() {
  static const std::string stored = [] {
    const std::vector<std::uint8_t> bytes = gw::game::EncodeRecording(LevelFive().recording);
    return std::string(bytes.begin(), bytes.end());
  }();
  return stored;
}

void BM_ReplayLevelFiveGame(benchmark::State& state) {
  const std::string& stored = Stored();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stored.data());
  for (auto _ : state) {
    const gw::game::ReplayOutcome out = gw::game::ReplayGame(gw::game::DecodeRecording({bytes, stored.size()}));
    if (out.score != LevelFive().score) state.SkipWithError("the replay ended otherwise");
    benchmark::DoNotOptimize(out);
  }
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(stored.size()));
  state.counters["frames"] = benchmark::Counter(LevelFive().frames);
  state.counters["level"] = benchmark::Counter(LevelFive().level);
}
BENCHMARK(BM_ReplayLevelFiveGame)->Unit(benchmark::kMillisecond);

constexpr int kClients = 8;
constexpr int kGamesPerClient = 40;

// The server and, for each client (a session of its own), level-5 games played on tickets the server dealt to it,
// made before the clock starts: playing them costs far more than verifying them. The server's clock then stands
// long enough after the tickets for every game to have been played in real time.
struct Dealt {
  std::atomic<std::int64_t> now{1'800'000'000};
  std::unique_ptr<gw::test::ScoreServerRunner> server;
  std::vector<std::unique_ptr<gw::net::HttpClient>> clients;
  std::vector<std::vector<std::pair<std::int32_t, std::string>>> games;  // claim and recording, per client

  Dealt() {
    gw::scores::ServiceSettings settings;
    settings.submissionsPerHour = 1'000'000'000;
    settings.now = [this] { return now.load(); };
    // Every client here is 127.0.0.1: each may have its recording in flight, as players at their own addresses.
    gw::scores::TransportLimits limits;
    limits.uploadsPerAddress = kClients;
    server = std::make_unique<gw::test::ScoreServerRunner>(settings, limits);
    const gw::net::ServerAddress address{"127.0.0.1", server->Port()};
    for (int c = 0; c < kClients; ++c) {
      clients.push_back(std::make_unique<gw::net::HttpClient>());
      games.emplace_back();
      for (int g = 0; g < kGamesPerClient; ++g) {
        const auto ticket = gw::net::ParseTicketAnswer(clients.back()->HttpGet(address.Url(gw::net::kTicketQuery)));
        gw::test::Script script{gw::test::Style::Catcher, ticket->seed, "Bench", "", 0, 6, ticket->id};
        gw::test::PlayedGame played = gw::test::PlayScripted(script);
        played.recording.seed.reset();  // as the game sends it
        const std::vector<std::uint8_t> bytes = gw::game::EncodeRecording(played.recording);
        games.back().emplace_back(played.score, std::string(bytes.begin(), bytes.end()));
      }
    }
    now += 2 * 3600;
  }
};

Dealt& Games() {
  static Dealt dealt;
  return dealt;
}

std::chrono::steady_clock::time_point began;

void BM_ServerVerifiesGames(benchmark::State& state) {
  Dealt& dealt = Games();
  const auto client = static_cast<std::size_t>(state.thread_index());
  const std::int64_t verifiedBefore = dealt.server->Metrics().VerifiedCount();
  if (state.thread_index() == 0) began = std::chrono::steady_clock::now();
  std::size_t next = 0;
  for (auto _ : state) {
    const auto& [score, stored] = dealt.games[client].at(next++);
    const auto result = gw::net::ExchangeScore(*dealt.clients[client], {"127.0.0.1", dealt.server->Port()},
                                               {"Bench", score, 'G', "", ""}, stored);
    if (result != gw::net::ExchangeResult::Sent) state.SkipWithError("an exchange failed");
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    // Every thread's loop is over by now: the library waits for them all before thread 0 goes on.
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const auto verified = dealt.server->Metrics().VerifiedCount() - verifiedBefore;
    state.counters["verified_per_second"] = benchmark::Counter(static_cast<double>(verified) / seconds);
    state.counters["all_verified"] =
        benchmark::Counter(verified == static_cast<std::int64_t>(state.iterations()) * kClients ? 1 : 0);
  }
}
BENCHMARK(BM_ServerVerifiesGames)->Threads(kClients)->UseRealTime()->Unit(benchmark::kMillisecond)
    ->Iterations(kGamesPerClient);

}  // namespace
