// SPDX-License-Identifier: GPL-3.0-or-later
// What one whole frame costs: clear, draw the screen, present (the copy into the window's texture is the
// headless window's copy here).

#include <benchmark/benchmark.h>

#include "support/Headless.h"

namespace {

void BM_SplashFrame(benchmark::State& state) {
  gw::test::HeadlessGame g;
  for (auto _ : state) {
    g.program.SplashColour = 0x8000;  // mid-fade, and never reaching the hold
    g.Frame();
  }
}
BENCHMARK(BM_SplashFrame)->Unit(benchmark::kMicrosecond);

void BM_MenuFrame(benchmark::State& state) {
  gw::test::HeadlessGame g;
  g.program.ScreenState = 1;
  for (auto _ : state) g.Frame();
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMicrosecond);

void BM_TwoPlainFrameCopies(benchmark::State& state) {
  gw::gfx::Surface a(800, 600), b(800, 600);
  for (auto _ : state) {
    a.CopyFrom(b);
    b.CopyFrom(a);
    benchmark::DoNotOptimize(a.Data());
  }
}
BENCHMARK(BM_TwoPlainFrameCopies)->Unit(benchmark::kMicrosecond);

}  // namespace

