#include "game/Game.h"

#include <string>

#include "gfx/Cp1251.h"
#include "gfx/Draw.h"

namespace gw::game {

namespace {

constexpr std::uint32_t kPhaseMs = 2000;
constexpr int kLevelFramesPerLevel = 1100;
constexpr int kTargetPerLevel = 150;

}  // namespace

void TScoresUp::DoFrame(gfx::Surface& dst, gfx::GameFont& font) {
  if (Y <= 350) return;
  if (Value != 0) {
    gfx::DrawShadowText(font, 375, Y, 32, 20, std::to_string(Value), dst, Value > 0 ? gfx::kYellow : gfx::kRed);
  }
  --Y;
}

TGame::TGame(GameHost host) : host_(host) {
  host_.window.ShowCursor(false);
  Enemies.Moving = true;
  PhaseStart = host_.clock.TickCount();
}

void TGame::Fire() {
  Eye.Held = true;
  Up.TongueOut = true;
  Up.Extending = true;
  Up.TongueLength = 0;
}

void TGame::DrawIntroScreen(gfx::Surface& dst, int captionX, std::string_view caption) {
  gfx::DrawPicture(dst, 0, 0, host_.images.Screen(22));
  gfx::DrawPicture(dst, ui::TDDProgress::kLeft, ui::TDDProgress::kTop, host_.images.Screen(23));
  gfx::DrawRoundFrame(111, 30, 574, 29, gfx::kFrameGreen, dst);
  gfx::DrawShadowText(host_.font, captionX, 300, 32, 20, caption, dst, gfx::kYellow);
}

void TGame::DrawStatus(gfx::Surface& dst) {
  gfx::DrawShadowText(host_.font, 145, 542, 24, 14, std::to_string(Level), dst, gfx::kYellow);
  gfx::DrawShadowText(host_.font, 145, 572, 24, 14, std::to_string(Score), dst, gfx::kYellow);
  gfx::DrawShadowText(host_.font, 710, 547, 24, 14, std::to_string(LevelScore), dst, gfx::kYellow);
  gfx::DrawShadowText(host_.font, 710, 572, 24, 14, std::to_string(Level * kTargetPerLevel), dst, gfx::kYellow);
}

void TGame::DoFrame(gfx::Surface& dst) {
  if (host_.window.IsActive()) host_.window.WarpMouse(400, 300);
  switch (Phase) {
    case LevelIntro: {
      FrameTick = host_.clock.TickCount();
      DrawIntroScreen(dst, 350, gfx::ToCp1251("Уровень ") + std::to_string(Level));
      if (FrameTick - PhaseStart > kPhaseMs) {
        Phase = Playing;
        LevelScore = 0;
        LevelFrames = Level * kLevelFramesPerLevel;
        Enemies.Moving = true;
        Progress.Max = static_cast<std::uint16_t>(LevelFrames);
        Progress.Position = 0;
        Down.Big = false;
      }
      break;
    }
    case Playing:
      Progress.Draw(dst, host_.images, Enemies.Moving);
      if (Progress.Position >= Progress.Max && !Up.TongueOut && ScoresUp.Y <= 350) Phase = LevelEnd;
      ScoresUp.DoFrame(dst, host_.font);
      DrawStatus(dst);
      break;
    case LevelEnd:
      if (Down.Big) {
        ++Level;
        Phase = LevelIntro;
        host_.sound.PlayEffect(audio::kLevel);
      } else {
        host_.sound.StopSong();
        Phase = GameOver;
        host_.sound.PlayEffect(audio::kDie);
      }
      PhaseStart = host_.clock.TickCount();
      break;
    default: {
      FrameTick = host_.clock.TickCount();
      DrawIntroScreen(dst, 310, gfx::ToCp1251("Конец Игры"));
      if (FrameTick - PhaseStart > kPhaseMs) {
        host_.screenState = 1;
        host_.window.ShowCursor(true);
        if (host_.hiScores[9].Score < Score) host_.screenState = 34;
        if (host_.options.Music) host_.sound.PlaySong("2.xm");
        PhaseStart = host_.clock.TickCount();
      }
      break;
    }
  }
}

}  // namespace gw::game
