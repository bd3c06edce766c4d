// The busiest frame of play beside two plain 800x600 frame copies, measured in the same run: seven enemies
// on the field (mirrored ones and ones cut at the edges among them), the tongue out with a catch on it, the
// score pop-up rising, and the status texts. The counter "x_two_copies" gives the frame's cost in units of
// two plain copies.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "game/Game.h"
#include "support/Headless.h"

namespace {

using gw::game::TGame;
using Clock = std::chrono::steady_clock;

struct Placed {
  int kind, x, y;
  bool right;
};

// Away from the tongue's tip and the mouth, so nothing is caught or eaten and the frame repeats itself.
constexpr Placed kField[] = {{1, 0, 0, true},     {8, -20, 190, true}, {7, 130, 120, false}, {4, 250, 110, true},
                             {3, 620, 140, false}, {6, 700, 170, false}, {5, 775, 230, false}};

// Sets every field the frame changes back to the busiest state, so each iteration draws the same frame.
void MakeBusiest(TGame& game) {
  game.Phase = gw::game::Playing;
  game.Progress.Max = 1100;
  game.Progress.Position = 500;
  game.Eye.Angle = 1.2f;
  game.Eye.Held = true;
  game.Up.Hurt = false;
  game.Up.TongueOut = true;
  game.Up.Extending = false;
  game.Up.TongueLength = 240;
  game.ScoresUp.Y = 400;
  game.ScoresUp.Value = 50;
  game.Score = 12340;
  game.LevelScore = 120;
  game.Enemies.Moving = true;
  for (std::size_t i = 0; i < game.Enemies.Slots.size(); ++i) {
    auto& slot = game.Enemies.Slots[i];
    const Placed& p = kField[i];
    if (!slot) slot = std::make_unique<gw::game::TEnemy>(static_cast<std::uint8_t>(p.kind), game);
    slot->X = static_cast<std::int16_t>(p.x);
    slot->Y = static_cast<std::int16_t>(p.y);
    slot->MovingRight = p.right;
    slot->Caught = i == 0;  // hangs at the end of the tongue
  }
}

struct PlayingProgram {
  PlayingProgram() {
    g.program.ScreenState = 2;
    g.program.Game = std::make_unique<TGame>(g.form->GameHostFor());
    MakeBusiest(*g.program.Game);
    g.Frame();  // fills the glyph cache
  }
  gw::test::HeadlessGame g;
};

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
