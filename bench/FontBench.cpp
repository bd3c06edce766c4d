// SPDX-License-Identifier: GPL-3.0-or-later
// Text is drawn several times every frame; once its glyphs are cached a line must cost microseconds.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/Cp1251.h"
#include "gfx/Font.h"

namespace {

constexpr const char* kFace = "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf";

void BM_DrawCyrillicLine(benchmark::State& state) {
  const auto font = gw::gfx::GameFont::LoadFile(kFace);
  gw::gfx::Surface surface(800, 600);
  const std::string text = gw::gfx::ToCp1251("Ваш результат: 12345");  // 20 characters
  font->Draw(surface, 270, 232, 24, 16, 400, text, gw::gfx::Rgb(243, 243, 0));  // warm the cache
  for (auto _ : state) {
    font->Draw(surface, 270, 232, 24, 16, 400, text, gw::gfx::Rgb(243, 243, 0));
    benchmark::DoNotOptimize(surface.Data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_DrawCyrillicLine);

void BM_MeasureCyrillicLine(benchmark::State& state) {
  const auto font = gw::gfx::GameFont::LoadFile(kFace);
  const std::string text = gw::gfx::ToCp1251("Ваш результат: 12345");
  benchmark::DoNotOptimize(font->TextWidth(32, 20, 700, text));
  for (auto _ : state) benchmark::DoNotOptimize(font->TextWidth(32, 20, 700, text));
}
BENCHMARK(BM_MeasureCyrillicLine);

// The first drawing of a line at a new size: every glyph is rasterised.
void BM_DrawCyrillicLineUncached(benchmark::State& state) {
  gw::gfx::Surface surface(800, 600);
  const std::string text = gw::gfx::ToCp1251("Ваш результат: 12345");
  std::unique_ptr<gw::gfx::GameFont> font;
  for (auto _ : state) {
    state.PauseTiming();
    font = gw::gfx::GameFont::LoadFile(kFace);  // the old one goes while the clock is stopped
    state.ResumeTiming();
    font->Draw(surface, 270, 232, 24, 16, 400, text, gw::gfx::Rgb(243, 243, 0));
    benchmark::DoNotOptimize(surface.Data());
  }
}
BENCHMARK(BM_DrawCyrillicLineUncached);

}  // namespace

BENCHMARK_MAIN();
