// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Replay.h"

#include "audio/Sound.h"
#include "game/Game.h"

namespace gw::game {

namespace {

// The screen state while a game is played; the game leaves it when its game-over screen is over.
constexpr std::int32_t kInGameState = 2;

// The outside a replay without a window runs with: nothing is seen, heard or read from it.
class NoFont final : public gfx::GameFont {
 public:
  const std::string& FamilyName() const override { return name_; }
  bool Substituted() const override { return false; }
  void Draw(gfx::Surface&, int, int, int, int, int, std::string_view, gfx::Pixel) override {}
  int TextWidth(int, int, int, std::string_view) override { return 0; }

 private:
  std::string name_;
};

class NoWindow final : public platform::Window {
 public:
  void Setup(bool) override {}
  void Present(const std::uint32_t*, int) override {}
  bool IsActive() override { return false; }
  int ShowCursor(bool) override { return 0; }
  void WarpMouse(int, int) override {}
  bool IsLetterKeyDown(char) override { return false; }
  std::pair<int, int> DesktopSize() override { return {platform::kFrameWidth, platform::kFrameHeight}; }
  platform::ScreenRect WindowRect() override { return {}; }
  void MoveWindowTo(int, int) override {}
  void Minimize() override {}
  void RunMessageLoop(platform::WindowEvents&) override {}
  bool PumpWhileBusy(std::uint32_t) override { return false; }
  void Close() override {}
  void ShowError(const std::string&) override {}
};

// Never read: the recording's seed decides the luck, and the frames are the time.
class NoClock final : public platform::Clock {
 public:
  std::uint32_t TickCount() override { return 0; }
  std::uint64_t PerformanceCounter() override { return 0; }
  void Sleep(std::uint32_t) override {}
};

}  // namespace

ReplayDriver::ReplayDriver(const Recording& recording, GameHost host)
    : recording_(recording), screenState_(host.screenState) {
  if (!recording.seed) throw RecordingError("the recording carries no seed to play it by");
  screenState_ = kInGameState;
  game_ = std::make_unique<TGame>(host);
  game_->Deal({recording.ticket, *recording.seed});
}

ReplayDriver::~ReplayDriver() = default;

bool ReplayDriver::Step(gfx::Surface* dst) {
  if (frame_ >= recording_.frames) return false;
  if (Ended()) throw RecordingError("the recording goes on after the game's end");
  for (; mark_ < recording_.marks.size() && recording_.marks[mark_].frame == frame_; ++mark_) {
    if (recording_.marks[mark_].mark == Mark::Fire) {
      if (game_->Up.TongueOut) throw RecordingError("the recording fires while the tongue is out");
      game_->Fire();
    } else {
      if (game_->Phase != Playing) throw RecordingError("the recording quits outside play");
      game_->Quit();
    }
  }
  if (dst) {
    game_->DoFrame(*dst);
  } else {
    game_->PlayFrame();
  }
  ++frame_;
  return true;
}

void ReplayDriver::CheckFinished() {
  if (mark_ != recording_.marks.size()) throw RecordingError("the recording has marks after its last frame");
  if (!Ended()) throw RecordingError("the recording stops before the game ends");
}

bool ReplayDriver::Ended() const { return screenState_ != kInGameState; }

ReplayOutcome ReplayGame(const Recording& recording) {
  const gfx::ImageTables images;
  NoFont font;
  audio::SilentSound sound;
  NoClock clock;
  NoWindow window;
  Random random;
  store::HiScoreTable table{};
  const store::TOptions options{};
  std::int32_t screenState = kInGameState;
  ReplayDriver driver(recording, {images, font, sound, clock, window, random, table, options, screenState});
  // Nothing is shown, so nothing is drawn: the outcome is the same, at a fraction of the cost.
  while (driver.Step(nullptr)) {
  }
  driver.CheckFinished();
  return {driver.Game().Score, driver.Game().Level, driver.Game().Frames()};
}

}  // namespace gw::game
