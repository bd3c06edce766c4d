// SPDX-License-Identifier: GPL-3.0-or-later
// Serving beside replays: 4 honest clients make whole exchanges (version and record) and read the records page
// while 0, 8 or 64 copies of the longest game a ticket allows (some million frames) are in flight from one player.
// items_per_second: the honest clients' exchanges a second; "page_p99_ms": the records page's 99th percentile;
// "replays_answered": heavy replays that got their answer (verdict or 503, after which that sender waits its
// Retry-After) during the run.

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "net/HttpClient.h"
#include "net/ScoreExchange.h"
#include "support/HeavyReplays.h"
#include "support/ScoreServerRunner.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kHonestClients = 4;

struct Loaded {
  std::atomic<std::int64_t> now{1'800'000'000};
  std::unique_ptr<gw::test::ScoreServerRunner> server;
  std::unique_ptr<gw::test::HeavySession> heavy;
  std::vector<std::thread> senders;
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0};
  std::mutex lock;
  std::vector<double> pageMs;

  Loaded() {
    gw::scores::ServiceSettings settings;
    settings.submissionsPerHour = 1'000'000'000;
    settings.now = [this] { return now.load(); };
    gw::scores::TransportLimits limits;
    limits.uploadsPerAddress = 64;
    server = std::make_unique<gw::test::ScoreServerRunner>(settings, limits);
    heavy = std::make_unique<gw::test::HeavySession>(server->Port());
    now += heavy->Game().frames / 64 + 10;
  }
  // Keeps `inFlight` heavy replays going until stopped.
  void Start(int inFlight) {
    stop = false;
    answered = 0;
    pageMs.clear();
    for (int i = 0; i < inFlight; ++i) {
      senders.emplace_back([this] {
        while (!stop) {
          const int status = heavy->Send(heavy->Game().score, heavy->Recording());
          ++answered;
          // Turned away, a player's game waits as it is told before it sends again.
          if (status == 503) {
            for (int tenth = 0; tenth < 20 && !stop; ++tenth) std::this_thread::sleep_for(std::chrono::milliseconds(100));
          }
        }
      });
    }
  }
  void Stop() {
    stop = true;
    for (std::thread& t : senders) t.join();
    senders.clear();
  }
};

Loaded& Load() {
  static Loaded loaded;
  return loaded;
}

void BM_ServingBesideHeavyReplays(benchmark::State& state) {
  Loaded& load = Load();
  if (state.thread_index() == 0) load.Start(static_cast<int>(state.range(0)));
  gw::net::HttpClient http;
  httplib::Client reader("127.0.0.1", load.server->Port());
  for (auto _ : state) {
    if (gw::net::ExchangeScore(http, {"127.0.0.1", load.server->Port()}, {"Honest", 10, 'G', "", ""}) !=
        gw::net::ExchangeResult::Sent) {
      state.SkipWithError("an exchange failed");
    }
    const auto start = Clock::now();
    if (!reader.Get("/")) state.SkipWithError("the records page did not answer");
    // Kept inside the loop: the threads leave it together, and thread 0 reads the times at once.
    const std::lock_guard guard(load.lock);
    load.pageMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    load.Stop();
    const std::lock_guard guard(load.lock);
    std::sort(load.pageMs.begin(), load.pageMs.end());
    const double p99 = load.pageMs.empty() ? 0 : load.pageMs[load.pageMs.size() * 99 / 100];
    state.counters["page_p99_ms"] = benchmark::Counter(p99);
    state.counters["replays_answered"] = benchmark::Counter(load.answered.load());
  }
}
BENCHMARK(BM_ServingBesideHeavyReplays)->Arg(0)->Arg(8)->Arg(64)->Threads(kHonestClients)->UseRealTime()
    ->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
