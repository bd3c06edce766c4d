// SPDX-License-Identifier: GPL-3.0-or-later
// Load on the real score server over loopback: each iteration is one whole submission as the game makes it
// (the version request, then the encoded record), by 32 clients at once, each with its own connection and
// cookies; with the argument N, while N slow clients hold half requests open, adding a byte every 2 s. Reports
// exchanges per second (items_per_second), the 99th-percentile exchange time in ms ("p99_ms") and whether every
// answered submission is in the database ("all_stored", 1 when so). The access log is formatted but not written.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "PgScoreStore.h"
#include "net/ScoreExchange.h"
#include "support/PostgresServer.h"
#include "support/RawClient.h"
#include "support/ScoreServerRunner.h"

namespace {

constexpr int kClients = 32;
constexpr char kName[] = "\xC8\xE2\xE0\xED";
constexpr char kRussia[] = "\xD0\xEE\xF1\xF1\xE8\xFF";

std::unique_ptr<gw::test::ScoreServerRunner> server;
std::unique_ptr<gw::test::SlowClients> slow;
std::vector<std::vector<double>> latencies(kClients);
std::atomic<std::int64_t> sent{0};

// One client's whole exchanges against the server whose port `port` gives, each timed. The port is asked for
// inside the loop: thread 0 starts the servers, and the loop's start is where the threads wait for each other.
void Exchange(benchmark::State& state, const std::function<std::uint16_t()>& port) {
  const int me = state.thread_index();
  gw::net::HttpClient http;
  std::int32_t score = me * 1000;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const auto result = gw::net::ExchangeScore(http, {"127.0.0.1", port()}, {kName, ++score, 'G', "", kRussia});
    latencies[static_cast<std::size_t>(me)].push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (result == gw::net::ExchangeResult::Sent) {
      ++sent;
    } else {
      state.SkipWithError("an exchange failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void Begin() {
  for (auto& l : latencies) l.clear();
  sent = 0;
}

// Thread 0, after every client: the 99th percentile and whether the store holds every answered submission.
void Report(benchmark::State& state, gw::scores::ScoreStore& store) {
  std::vector<double> all;
  for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  state.counters["p99_ms"] = benchmark::Counter(all.empty() ? 0 : all[all.size() * 99 / 100]);
  state.counters["all_stored"] = benchmark::Counter(store.Count() == sent.load() ? 1 : 0);
}

gw::scores::ServiceSettings OneAddressSendsEverything() {
  gw::scores::ServiceSettings settings;
  settings.submissionsPerHour = 1'000'000'000;
  return settings;
}

void BM_ScoreExchanges(benchmark::State& state) {
  if (state.thread_index() == 0) {
    server = std::make_unique<gw::test::ScoreServerRunner>(OneAddressSendsEverything());
    if (state.range(0) > 0) slow = std::make_unique<gw::test::SlowClients>(server->Port(), static_cast<int>(state.range(0)));
    Begin();
  }
  Exchange(state, [] { return server->Port(); });
  if (state.thread_index() == 0) {
    Report(state, server->Store());
    state.counters["open_connections"] = benchmark::Counter(static_cast<double>(server->Metrics().OpenConnections()));
    slow.reset();
    server.reset();
  }
}

// The same load on two servers over one PostgreSQL database (started here, in a temporary folder), each client
// on one of the two, as a load balancer would spread them. Both servers run in this process, each with its own
// transport, store threads and connection pool.
std::unique_ptr<gw::test::ScoreServerRunner> pair[2];

void BM_ScoreExchangesTwoServersOnePostgres(benchmark::State& state) {
  if (state.thread_index() == 0) {
    const std::string uri = gw::test::FreshPostgresDatabase();
    for (auto& one : pair) {
      one = std::make_unique<gw::test::ScoreServerRunner>(
          std::make_unique<gw::scores::PgScoreStore>(gw::scores::PgSettings{uri}), OneAddressSendsEverything());
    }
    Begin();
  }
  Exchange(state, [&state] { return pair[state.thread_index() % 2]->Port(); });
  if (state.thread_index() == 0) {
    Report(state, pair[0]->Store());
    for (auto& one : pair) one.reset();
  }
}

}  // namespace

BENCHMARK(BM_ScoreExchanges)->Arg(0)->Arg(300)->Threads(kClients)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_ScoreExchangesTwoServersOnePostgres)->Threads(kClients)->UseRealTime()->MinTime(3.0);
