// SPDX-License-Identifier: GPL-3.0-or-later
// What presenting a frame costs in the game's process: comparing it with the frame before and sending only
// the changed tiles (both present paths), beside the whole-frame copy through a streaming texture that every
// frame used to pay. Frames come in pairs that the game really draws one after the other: the menu at rest
// (two equal frames) and two consecutive frames of the busiest play. The window is the dummy video driver's,
// so the display server's share is not in these figures (bench/measure-load.sh measures it).
// Counters: rects = changed rectangles a frame, sent = the share of the frame's pixels sent.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "BusiestPlay.h"
#include "platform/sdl/SdlPresenter.h"

namespace {

namespace sdl = gw::platform::sdl;
using Frame = std::vector<std::uint32_t>;
using FramePair = std::array<Frame, 2>;
constexpr int kW = gw::platform::kFrameWidth, kH = gw::platform::kFrameHeight;

Frame Copy(const gw::gfx::Surface& s) { return Frame(s.Data(), s.Data() + static_cast<std::ptrdiff_t>(kW) * kH); }

FramePair MenuFrames() {
  gw::test::HeadlessGame g;
  g.program.ScreenState = 1;
  g.Frame();
  g.Frame();
  const Frame a = Copy(g.form->Display().BackBuffer());
  g.Frame();
  return {a, Copy(g.form->Display().BackBuffer())};
}

FramePair PlayFrames() {
  gw::bench::PlayingProgram p;
  gw::bench::MakeBusiest(*p.g.program.Game);
  p.g.Frame();
  const Frame a = Copy(p.g.form->Display().BackBuffer());
  p.g.Frame();  // everything moves on by one frame
  return {a, Copy(p.g.form->Display().BackBuffer())};
}

// A dummy-driver window for the length of one benchmark.
struct DummyWindow {
  DummyWindow() {
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    window.reset(SDL_CreateWindow("bench", 0, 0, kW, kH, 0));
  }
  ~DummyWindow() {
    window.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  sdl::WindowPtr window;
};

// The present path of before: the whole frame into a streaming texture, drawn into the window.
void WholeFrameCopy(benchmark::State& state, const FramePair& frames) {
  DummyWindow w;
  sdl::RendererPtr renderer(SDL_CreateRenderer(w.window.get(), -1, SDL_RENDERER_SOFTWARE));
  sdl::TexturePtr texture(
      SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kW, kH));
  std::size_t i = 0;
  for (auto _ : state) {
    SDL_UpdateTexture(texture.get(), nullptr, frames[i++ % 2].data(), kW * 4);
    SDL_RenderClear(renderer.get());
    SDL_RenderCopy(renderer.get(), texture.get(), nullptr, nullptr);
    SDL_RenderPresent(renderer.get());
  }
}

// What the compare finds between the two frames.
void CountChanges(benchmark::State& state, const FramePair& frames) {
  gw::platform::FrameDiff diff;
  diff.Changes(frames[0].data(), kW * 4);
  long long area = 0;
  const auto changes = diff.Changes(frames[1].data(), kW * 4);
  for (const auto& r : changes) area += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
  state.counters["rects"] = static_cast<double>(changes.size());
  state.counters["sent"] = static_cast<double>(area) / (kW * kH);
}

template <typename MakePresenter>
void ChangedOnly(benchmark::State& state, const FramePair& frames, MakePresenter make) {
  DummyWindow w;
  auto presenter = make(w.window.get());
  presenter->Present(frames[1].data(), kW * 4);
  std::size_t i = 0;
  for (auto _ : state) presenter->Present(frames[i++ % 2].data(), kW * 4);
  CountChanges(state, frames);
}

auto WindowCopy = [](SDL_Window* w) { return std::make_unique<sdl::SurfacePresenter>(w); };
auto Renderer = [](SDL_Window* w) {
  return std::make_unique<sdl::TexturePresenter>(w, sdl::RendererPtr(SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE)));
};

void BM_PresentMenu_WholeFrameCopy(benchmark::State& state) { WholeFrameCopy(state, MenuFrames()); }
void BM_PresentMenu_ChangedOnly_WindowCopy(benchmark::State& state) { ChangedOnly(state, MenuFrames(), WindowCopy); }
void BM_PresentMenu_ChangedOnly_Renderer(benchmark::State& state) { ChangedOnly(state, MenuFrames(), Renderer); }
void BM_PresentPlay_WholeFrameCopy(benchmark::State& state) { WholeFrameCopy(state, PlayFrames()); }
void BM_PresentPlay_ChangedOnly_WindowCopy(benchmark::State& state) { ChangedOnly(state, PlayFrames(), WindowCopy); }
void BM_PresentPlay_ChangedOnly_Renderer(benchmark::State& state) { ChangedOnly(state, PlayFrames(), Renderer); }

BENCHMARK(BM_PresentMenu_WholeFrameCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentMenu_ChangedOnly_WindowCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentMenu_ChangedOnly_Renderer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentPlay_WholeFrameCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentPlay_ChangedOnly_WindowCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentPlay_ChangedOnly_Renderer)->Unit(benchmark::kMicrosecond);

}  // namespace
