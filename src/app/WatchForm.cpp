// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WatchForm.h"

#include "app/FrameGate.h"
#include "audio/Sound.h"
#include "gfx/Draw.h"
#include "gfx/ImagePack.h"

namespace gw::app {

namespace {

constexpr int kPlayBackground = 22;

}  // namespace

WatchForm::WatchForm(Services services, const game::Recording& recording, const store::TOptions& options)
    : s_(services), gameWindow_(services.window), options_(options), display_(services.window) {
  display_.SetupDisplay(options_.Windowed);
  LoadImages();
  s_.sound.SetEffectsOn(options_.Sound);
  // As a new game starts.
  if (options_.Music) {
    s_.sound.PlaySong("1.xm");
  } else {
    s_.sound.StopSong();
  }
  s_.sound.PlayEffect(audio::kLevel);
  driver_ = std::make_unique<game::ReplayDriver>(
      recording, game::GameHost{images_, s_.font, s_.sound, s_.clock, gameWindow_, unusedRandom_, noTable_, options_,
                                screenState_});
  lastFrameEnd_ = s_.clock.TickCount();
}

WatchForm::~WatchForm() {
  driver_.reset();
  images_.ReleaseAll();
}

void WatchForm::LoadImages() { gfx::LoadAllImages(images_, gfx::kPackPath, s_.decoder); }

void WatchForm::OnKeyDown(std::uint16_t key, bool, std::string_view) {
  if (key == platform::vk::kEscape) End();
}

void WatchForm::OnRestore() {
  // Back from a minimized full screen: the screen is set up afresh, as the game does.
  if (!options_.Windowed) {
    display_.SetupDisplay(false);
    LoadImages();
  }
}

bool WatchForm::OnIdle() {
  const std::uint32_t now = s_.clock.TickCount();
  s_.sound.PollSong();
  if (over_ || !FrameDue(now, lastFrameEnd_)) return false;
  if (gfx::Failed(display_.ClearBackBuffer())) display_.RestoreSurfaces([this] { LoadImages(); });
  gfx::Surface& dst = display_.BackBuffer();
  gfx::DrawPicture(dst, 0, 0, images_.Screen(kPlayBackground));
  // The game-over screen was the last frame: the run ends with it still in the window.
  if (!driver_->Step(&dst)) {
    End();
    return false;
  }
  display_.PresentFrame();
  ++shown_;
  lastFrameEnd_ = s_.clock.TickCount();
  return true;
}

void WatchForm::End() {
  if (over_) return;
  over_ = true;
  s_.sound.StopSong();
  // The game gives the cursor back at its own end; ended sooner, the cursor is given back here.
  if (!driver_->Ended()) s_.window.ShowCursor(true);
  s_.window.Close();
}

}  // namespace gw::app
