// SPDX-License-Identifier: GPL-3.0-or-later
// Recorded games replayed: a level-5 game (levels 1 to 5 played through, quit at the start of level 6) by the
// core alone, from its stored form, on one thread (CPU time a game; "bytes" its stored size); and the real score
// server verifying such games over loopback, each iteration one whole submission with its recording (version,
// record, replay) by 8 clients at once (items_per_second: whole submissions a second; "verified_per_second":
// games the server's own counter saw verified, which is the figure that matters, since the game is told nothing
// when a replay is refused).

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "game/Recording.h"
#include "game/Replay.h"
#include "net/ScoreExchange.h"
#include "support/ScoreServerRunner.h"
#include "support/ScriptedPlayer.h"

namespace {

const gw::test::PlayedGame& LevelFive() {
  static const gw::test::PlayedGame g = gw::test::PlayScripted({gw::test::Style::Catcher, 7, "Bench", "", 0, 6});
  return g;
}

// Made once: compressing at zlib's best level takes tens of milliseconds, which the clients of the server's
// benchmark would otherwise take from the server in every run.
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

std::unique_ptr<gw::test::ScoreServerRunner> server;
std::chrono::steady_clock::time_point began;

constexpr int kClients = 8;

void BM_ServerVerifiesGames(benchmark::State& state) {
  const std::string& stored = Stored();
  if (state.thread_index() == 0) {
    gw::scores::ServiceSettings settings;
    settings.submissionsPerHour = 1'000'000'000;
    server = std::make_unique<gw::test::ScoreServerRunner>(settings);
    began = std::chrono::steady_clock::now();
  }
  gw::net::HttpClient http;
  for (auto _ : state) {
    const auto result = gw::net::ExchangeScore(http, {"127.0.0.1", server->Port()},
                                               {"Bench", LevelFive().score, 'G', "", ""}, stored);
    if (result != gw::net::ExchangeResult::Sent) state.SkipWithError("an exchange failed");
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    // Every thread's loop is over by now: the library waits for them all before thread 0 goes on.
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const auto verified = server->Metrics().VerifiedCount();
    state.counters["verified_per_second"] = benchmark::Counter(static_cast<double>(verified) / seconds);
    state.counters["all_verified"] = benchmark::Counter(verified == static_cast<std::int64_t>(state.iterations()) * kClients ? 1 : 0);
    server.reset();
  }
}
BENCHMARK(BM_ServerVerifiesGames)->Threads(kClients)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
