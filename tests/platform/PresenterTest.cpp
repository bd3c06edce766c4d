// SPDX-License-Identifier: GPL-3.0-or-later
// Presenting only what changed: the frame compare's rectangles, and what each present path leaves in the
// window after a run of changing frames (read back from the dummy video driver's window).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/FrameDiff.h"
#include "platform/sdl/SdlPresenter.h"

namespace gw::platform {
namespace {

constexpr int kW = kFrameWidth, kH = kFrameHeight;

using Frame = std::vector<std::uint32_t>;

void FillRect(Frame& f, int left, int top, int right, int bottom, std::uint32_t colour) {
  for (int y = top; y < bottom; ++y) std::fill_n(f.begin() + y * kW + left, right - left, colour);
}

bool Covered(std::span<const ScreenRect> rects, int x, int y) {
  return std::any_of(rects.begin(), rects.end(),
                     [&](const ScreenRect& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; });
}

// The rectangles top to bottom, left to right.
std::string Show(std::span<const ScreenRect> changes) {
  std::vector<ScreenRect> rects(changes.begin(), changes.end());
  std::sort(rects.begin(), rects.end(),
            [](const ScreenRect& a, const ScreenRect& b) { return std::pair{a.top, a.left} < std::pair{b.top, b.left}; });
  std::string s;
  for (const auto& r : rects) {
    s += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
  }
  return s;
}

TEST(FrameDiffTest, ReportsTheWholeFrameFirstAndAfterInvalidateAndNothingForAnUnchangedFrame) {
  Frame f(kW * kH, 0x123456);
  FrameDiff diff;
  EXPECT_EQ(Show(diff.Changes(f.data(), kW * 4)), "(0,0,800,600)");
  EXPECT_TRUE(diff.Changes(f.data(), kW * 4).empty());
  diff.Invalidate();
  EXPECT_EQ(Show(diff.Changes(f.data(), kW * 4)), "(0,0,800,600)");
  EXPECT_TRUE(diff.Changes(f.data(), kW * 4).empty());
}

TEST(FrameDiffTest, ChangedTilesBecomeFewRectangles) {
  struct Case {
    const char* name;
    std::function<void(Frame&)> change;
    const char* rects;
  };
  const Case cases[] = {
      {"first pixel", [](Frame& f) { f[0] = 1; }, "(0,0,32,16)"},
      {"last pixel", [](Frame& f) { f[kW * kH - 1] = 1; }, "(768,592,800,600)"},
      {"pixels either side of a tile corner", [](Frame& f) { f[15 * kW + 31] = f[16 * kW + 32] = 1; },
       "(0,0,32,16)(32,16,64,32)"},
      {"a run across tiles of one band", [](Frame& f) { FillRect(f, 30, 5, 100, 6, 1); }, "(0,0,128,16)"},
      {"a sprite across bands stays one rectangle", [](Frame& f) { FillRect(f, 40, 10, 90, 70, 1); },
       "(32,0,96,80)"},
      {"a column down the whole frame", [](Frame& f) { FillRect(f, 400, 0, 401, kH, 1); }, "(384,0,416,600)"},
      {"two sprites side by side in different bands", [](Frame& f) {
         FillRect(f, 0, 0, 10, 40, 1);
         FillRect(f, 700, 20, 710, 30, 1);
       }, "(0,0,32,48)(672,16,736,32)"},
      {"everything", [](Frame& f) { std::fill(f.begin(), f.end(), 7u); }, "(0,0,800,600)"},
  };
  for (const Case& c : cases) {
    Frame f(kW * kH, 0);
    FrameDiff diff;
    diff.Changes(f.data(), kW * 4);
    c.change(f);
    EXPECT_EQ(Show(diff.Changes(f.data(), kW * 4)), c.rects) << c.name;
    EXPECT_TRUE(diff.Changes(f.data(), kW * 4).empty()) << c.name << ": the changed frame became the last one";
  }
}

TEST(FrameDiffTest, EveryChangedPixelIsInsideARectangleAlsoWithAWiderPitch) {
  constexpr int kPitch = kW + 24;  // pixels past the frame's width are not part of it
  std::mt19937 rng(13);
  Frame f(kPitch * kH, 0);
  FrameDiff diff;
  diff.Changes(f.data(), kPitch * 4);
  for (int round = 0; round < 20; ++round) {
    Frame before = f;
    for (int k = 0; k < 40; ++k) f[rng() % f.size()] = static_cast<std::uint32_t>(rng());
    const auto rects = diff.Changes(f.data(), kPitch * 4);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (f[y * kPitch + x] != before[y * kPitch + x]) {
          ASSERT_TRUE(Covered(rects, x, y)) << x << "," << y;
        }
      }
    }
  }
}

// Whole-frame linear scaling as the plain path does it, to see what the window would hold.
Frame ScaleWhole(const Frame& f, int w, int h) {
  sdl::SurfacePtr src(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(f.data()), kW, kH, 32, kW * 4,
                                                         SDL_PIXELFORMAT_RGB888));
  sdl::SurfacePtr dst(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888));
  SDL_FillRect(dst.get(), nullptr, 0);
  SDL_Rect area = sdl::FrameArea(w, h);
  EXPECT_EQ(SDL_SoftStretchLinear(src.get(), nullptr, dst.get(), &area), 0) << SDL_GetError();
  Frame out(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    std::copy_n(reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(dst->pixels) + y * dst->pitch),
                w, out.begin() + static_cast<std::ptrdiff_t>(y) * w);
  }
  return out;
}

TEST(FrameDiffTest, ScaledWindowPixelsThatChangeAreInsideTheScaledRectangles) {
  std::mt19937 rng(7);
  for (const auto& [w, h] : {std::pair{1280, 1024}, std::pair{1000, 700}, std::pair{640, 480}}) {
    Frame f(kW * kH);
    for (auto& p : f) p = rng() & 0xFFFFFF;
    FrameDiff diff;
    diff.Changes(f.data(), kW * 4);
    Frame shownBefore = ScaleWhole(f, w, h);
    for (int round = 0; round < 4; ++round) {
      const int x = static_cast<int>(rng() % 760), y = static_cast<int>(rng() % 560);
      FillRect(f, x, y, x + 1 + static_cast<int>(rng() % 40), y + 1 + static_cast<int>(rng() % 40), rng() & 0xFFFFFF);
      f[rng() % f.size()] = 0xFFFFFF;
      std::vector<SDL_Rect> sent;
      const SDL_Rect area = sdl::FrameArea(w, h);
      for (const auto& r : diff.Changes(f.data(), kW * 4)) sent.push_back(sdl::ScaledArea(r, area));
      const Frame shown = ScaleWhole(f, w, h);
      for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
          if (shown[py * w + px] == shownBefore[py * w + px]) continue;
          const SDL_Point p{px, py};
          ASSERT_TRUE(std::any_of(sent.begin(), sent.end(), [&](const SDL_Rect& r) { return SDL_PointInRect(&p, &r); }))
              << w << "x" << h << " window pixel " << px << "," << py << " changed but was not sent";
        }
      }
      shownBefore = shown;
    }
  }
}

// A window of the dummy video driver with one of the two present paths, and a way to read back what it shows.
class PresentPathTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window_.reset(SDL_CreateWindow("present", 0, 0, kW, kH, 0));
    ASSERT_TRUE(window_) << SDL_GetError();
    if (GetParam()) {
      sdl::RendererPtr renderer(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_SOFTWARE));
      ASSERT_TRUE(renderer) << SDL_GetError();
      renderer_ = renderer.get();
      presenter_ = std::make_unique<sdl::TexturePresenter>(window_.get(), std::move(renderer));
    } else {
      presenter_ = std::make_unique<sdl::SurfacePresenter>(window_.get());
    }
  }
  void TearDown() override {
    presenter_.reset();
    window_.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  Frame Shown() {
    Frame out(kW * kH);
    if (renderer_) {
      EXPECT_EQ(SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB888, out.data(), kW * 4), 0);
    } else {
      SDL_Surface* s = SDL_GetWindowSurface(window_.get());
      EXPECT_EQ(s->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_RGB888));
      for (int y = 0; y < kH; ++y) {
        std::copy_n(reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch),
                    kW, out.begin() + y * kW);
      }
    }
    for (auto& p : out) p &= 0xFFFFFF;
    return out;
  }

  // What the display server would lose when the window is covered and uncovered.
  void ScribbleOverWindow() {
    SDL_Surface* s = SDL_GetWindowSurface(window_.get());
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 0, 255));
  }

  sdl::WindowPtr window_;
  SDL_Renderer* renderer_ = nullptr;
  std::unique_ptr<sdl::Presenter> presenter_;
};

TEST_P(PresentPathTest, TheWindowShowsEveryFrameOfAChangingSequenceExactly) {
  std::mt19937 rng(42);
  Frame f(kW * kH);
  const auto background = [&](int x, int y) { return static_cast<std::uint32_t>((x * 2654435761u) ^ (y * 40503u)) & 0xFFFFFF; };
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) f[y * kW + x] = background(x, y);
  }
  int spriteX = 100;
  const std::pair<const char*, std::function<void()>> steps[] = {
      {"first frame", [] {}},
      {"unchanged", [] {}},
      {"corners", [&] { f[0] = f[kW - 1] = f[(kH - 1) * kW] = f[kW * kH - 1] = 0xFFFFFF; }},
      {"either side of a tile edge", [&] { f[15 * kW + 31] = f[16 * kW + 32] = 0x00FF00; }},
      {"sprite drawn", [&] { FillRect(f, spriteX, 40, spriteX + 64, 90, 0xFF0000); }},
      {"sprite moved", [&] {
         for (int y = 40; y < 90; ++y) {
           for (int x = spriteX; x < spriteX + 64; ++x) f[y * kW + x] = background(x, y);
         }
         spriteX += 3;
         FillRect(f, spriteX, 40, spriteX + 64, 90, 0xFF0000);
       }},
      {"a pixel set", [&] { f[300 * kW + 300] = 0x0000FF; }},
      {"and set back", [&] { f[300 * kW + 300] = background(300, 300); }},
      {"scattered pixels", [&] { for (int k = 0; k < 300; ++k) f[rng() % f.size()] = rng() & 0xFFFFFF; }},
      {"a column", [&] { FillRect(f, 799, 0, 800, kH, 0x808080); }},
      {"all black", [&] { std::fill(f.begin(), f.end(), 0u); }},
      {"a bar at the bottom", [&] { FillRect(f, 0, 590, 800, 600, 0xF3F300); }},
  };
  // Every other frame comes with the columns of each row that differ from the frame before, as the back
  // buffer tells them; only those are compared then.
  bool hinted = false;
  for (const auto& [name, step] : steps) {
    const Frame before = f;
    step();
    std::vector<ColumnRange> mayDiffer(kH);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (f[y * kW + x] == before[y * kW + x]) continue;
        ColumnRange& r = mayDiffer[static_cast<std::size_t>(y)];
        r = r.right <= r.left ? ColumnRange{x, x + 1} : ColumnRange{std::min(r.left, x), x + 1};
      }
    }
    hinted = !hinted;
    presenter_->Present(f.data(), kW * 4, hinted ? std::span<const ColumnRange>(mayDiffer) : std::span<const ColumnRange>());
    ASSERT_TRUE(Shown() == f) << "after: " << name << (hinted ? ", told where" : "");
  }
}

TEST_P(PresentPathTest, AnUncoveredOrRebuiltWindowGetsTheWholeFrameAgain) {
  Frame f(kW * kH, 0x2040A0);
  presenter_->Present(f.data(), kW * 4);
  ScribbleOverWindow();
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(window_.get());
  e.window.event = SDL_WINDOWEVENT_EXPOSED;
  SDL_PushEvent(&e);
  presenter_->Present(f.data(), kW * 4);
  EXPECT_TRUE(Shown() == f) << "after an expose";

  ScribbleOverWindow();
  presenter_->Invalidate();  // as a display rebuild does
  presenter_->Present(f.data(), kW * 4);
  EXPECT_TRUE(Shown() == f) << "after a rebuild";
}

INSTANTIATE_TEST_SUITE_P(BothPaths, PresentPathTest, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "Renderer" : "WindowCopy"; });

TEST(PresentScaledTest, AWindowOfAnotherSizeShowsTheScaledFrameOnBlack) {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  {
    sdl::WindowPtr window(SDL_CreateWindow("present", 0, 0, kW, kH, 0));
    ASSERT_TRUE(window);
    sdl::SurfacePresenter presenter(window.get());
    Frame f(kW * kH, 0x3366CC);
    presenter.Present(f.data(), kW * 4);
    SDL_SetWindowSize(window.get(), 1000, 700);
    for (int step = 0; step < 3; ++step) {
      FillRect(f, 100 * step, 50, 100 * step + 40, 90, 0xFFEE00);
      presenter.Present(f.data(), kW * 4);
      SDL_Surface* s = SDL_GetWindowSurface(window.get());
      ASSERT_EQ(s->w, 1000);
      ASSERT_EQ(s->h, 700);
      const Frame expected = ScaleWhole(f, 1000, 700);
      for (int y = 0; y < 700; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < 1000; ++x) {
          ASSERT_EQ(row[x] & 0xFFFFFF, expected[y * 1000 + x]) << "step " << step << " at " << x << "," << y;
        }
      }
    }
    // The mouse in that window: frame corners where the frame lands, and beyond it outside the frame.
    const SDL_Rect area = sdl::FrameArea(1000, 700);
    const std::pair<SDL_Point, SDL_Point> mouse[] = {{{area.x, 0}, {0, 0}},
                                                     {{area.x + area.w, 700}, {800, 600}},
                                                     {{500, 350}, {400, 300}},
                                                     {{0, 0}, {-area.x * 800 / area.w - 1, 0}}};
    for (const auto& [inWindow, inFrame] : mouse) {
      const SDL_Point got = presenter.ToFrame(inWindow.x, inWindow.y);
      EXPECT_EQ(got.x, inFrame.x) << inWindow.x << "," << inWindow.y;
      EXPECT_EQ(got.y, inFrame.y) << inWindow.x << "," << inWindow.y;
    }
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
}  // namespace gw::platform
