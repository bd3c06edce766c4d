// SPDX-License-Identifier: GPL-3.0-or-later
// The busiest frame of play beside two plain 800x600 frame copies, measured in the same run: seven enemies
// on the field (mirrored ones and ones cut at the edges among them), the tongue out with a catch on it, the
// score pop-up rising, and the status texts. The counter "x_two_copies" gives the frame's cost in units of
// two plain copies.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "BusiestPlay.h"

namespace {

using gw::bench::PlayingProgram;
using gw::game::TGame;
using gw::bench::MakeBusiest;
using Clock = std::chrono::steady_clock;

// Seconds for two whole-frame copies, the best of a few batches.
double TwoCopiesSeconds() {
  gw::gfx::Surface a(800, 600), b(800, 600);
  double best = 1e9;
  for (int batch = 0; batch < 5; ++batch) {
    constexpr int kReps = 100;
    const auto start = Clock::now();
    for (int i = 0; i < kReps; ++i) {
      a.CopyFrom(b);
      b.CopyFrom(a);
      benchmark::DoNotOptimize(a.Data());
    }
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count() / kReps);
  }
  return best;
}

template <typename Step>
void RunAgainstCopies(benchmark::State& state, Step step) {
  const double copies = TwoCopiesSeconds();
  double total = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    step();
    total += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double frame = total / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["two_copies_us"] = copies * 1e6;
  state.counters["x_two_copies"] = frame / copies;
}

// The whole program frame: clear, playfield, the game's frame, present.
void BM_BusiestPlayFrame(benchmark::State& state) {
  PlayingProgram p;
  TGame& game = *p.g.program.Game;
  RunAgainstCopies(state, [&] {
    MakeBusiest(game);
    p.g.Frame();
  });
}
BENCHMARK(BM_BusiestPlayFrame)->Unit(benchmark::kMicrosecond);

// The game's own part of it, drawn over the playfield.
void BM_BusiestGameDoFrame(benchmark::State& state) {
  PlayingProgram p;
  TGame& game = *p.g.program.Game;
  gw::gfx::Surface& back = p.g.form->Display().BackBuffer();
  RunAgainstCopies(state, [&] {
    MakeBusiest(game);
    p.g.clock.tick += 15;
    game.DoFrame(back);
  });
}
BENCHMARK(BM_BusiestGameDoFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
