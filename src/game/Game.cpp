// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Game.h"

#include <algorithm>
#include <string>

#include "game/EnemyKinds.h"
#include "game/Geometry.h"
#include "gfx/Cp1251.h"
#include "gfx/Draw.h"

namespace gw::game {

namespace {

constexpr gfx::Rect kMouth{310, 390, 477, 560};
constexpr int kTipWidth = 24, kTipHeight = 22;
// The total's line under the game-over caption, in the sky band kept dark for the texts of play.
constexpr int kTotalY = 346, kTotalHeight = 24, kTotalWidth = 16;

// Right and bottom exclusive: two rectangles overlap when their intersection holds a pixel.
bool Overlap(const gfx::Rect& a, const gfx::Rect& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

// Kinds each level draws from, by level mod 10; level 10 itself always gives kind 1.
bool InPool(int level, std::uint32_t kind) {
  switch (level) {
    case 0: return kind == 1 || (kind >= 4 && kind <= 8);
    case 2: return kind == 1 || kind == 4 || kind == 7;
    case 4: return kind == 1 || kind == 4 || kind == 6 || kind == 7;
    case 5: return kind == 1 || (kind >= 4 && kind <= 7);
    default: return kind == 1 || kind == 4;
  }
}

}  // namespace

void TScoresUp::DoFrame(gfx::Surface* dst, gfx::GameFont& font) {
  if (Y <= 350) return;
  if (dst && Value > 0) gfx::DrawShadowText(font, 375, Y, 32, 20, std::to_string(Value), *dst, gfx::kYellow);
  // A shadow leaves red unreadable on the sky: a loss gets a whole outline.
  if (dst && Value < 0) gfx::DrawOutlinedText(font, 375, Y, 32, 20, std::to_string(Value), *dst, gfx::kRed);
  --Y;
}

TGame::TGame(GameHost host) : host_(host) {
  host_.window.ShowCursor(false);
  Enemies.Moving = true;
  PhaseStart = Now();
}

bool TGame::Deal(const Ticket& ticket) {
  if (luck_) return false;
  dealt_ = ticket;
  return true;
}

void TGame::Reseed() {
  if (host_.overrides.reseed) {
    host_.random.Reseed(host_.overrides.reseed());
    return;
  }
  if (!luck_) {
    // No ticket by now: the game's own luck, from the high-resolution counter as the program's generator always was.
    seed_ = dealt_ ? dealt_->seed : host_.clock.PerformanceCounter();
    luck_.emplace(*seed_);
  }
  host_.random.Reseed(luck_->Next());
}

Recording TGame::TakeRecording() const {
  return recorded_.Take(dealt_ ? dealt_->id : std::string(), seed_);
}

void TGame::Fire() {
  recorded_.Put(Mark::Fire);
  Eye.Held = true;
  Up.TongueOut = true;
  Up.Extending = true;
  Up.TongueLength = 0;
}

void TGame::Quit() {
  recorded_.Put(Mark::Quit);
  PhaseStart = Now();
  Phase = GameOver;
}

std::uint8_t TGame::ChooseKind() {
  int level = Level;
  if (level > 10) level %= 10;
  Reseed();
  std::uint32_t kind = 1;
  if (level != 10) {
    do {
      kind = Random(9);
    } while (!InPool(level, kind));
  }
  // The dangerous, the freezing and the stunning kinds come only by this rare chance.
  if (Random(50) == 0 && level != 0) kind = Random(4);
  return static_cast<std::uint8_t>(kind);
}

void TGame::CheckCatches() {
  const Offset tip = AlongAim(Eye.Direction(), Up.TongueLength + 70);
  const auto tx = static_cast<std::int16_t>(tip.x + 401);
  const auto ty = static_cast<std::int16_t>(tip.y + 500);
  const gfx::Rect tipRect{tx, ty, tx + kTipWidth, ty + kTipHeight};
  Reseed();
  for (std::size_t i = 0; i < Enemies.Slots.size(); ++i) {
    TEnemy* enemy = Enemies.Slots[i].get();
    if (!enemy) continue;
    const gfx::Rect bounds = enemy->Bounds();
    // Also while the tongue is in or on its way back: one shot may catch several.
    if (Overlap(bounds, tipRect)) {
      enemy->Caught = true;
      Up.Extending = false;
    }
    if (Overlap(bounds, kMouth)) {
      Eat(i);
      return;  // at most one a frame
    }
  }
}

void TGame::Eat(std::size_t slot) {
  const int kind = Enemies.Slots[slot]->Kind;
  const std::int8_t points = KindOf(kind).points;
  if (kind == kFreezingKind) Enemies.Moving = false;
  if (kind == kStunningKind) {
    Up.Hurt = true;
    Up.HurtBlinks = 0;
  }
  host_.sound.PlayEffect(static_cast<int>(audio::kHam1 + Random(2)));
  Score = std::max(Score + points, 0);
  LevelScore = std::max(LevelScore + points, 0);
  ScoresUp.Y = 400;
  if (LevelScore >= Target()) {
    if (!Down.Big) host_.sound.PlayEffect(audio::kBig);
    Down.Big = true;
  } else {
    if (Down.Big) host_.sound.PlayEffect(audio::kSmall);
    Down.Big = false;
  }
  ScoresUp.Value = points;
  Enemies.Slots[slot].reset();
}

void TGame::DrawIntroScreen(gfx::Surface& dst, int captionX, std::string_view caption) {
  gfx::DrawPicture(dst, 0, 0, host_.images.Screen(22));
  gfx::DrawPicture(dst, ui::TDDProgress::kLeft, ui::TDDProgress::kTop, host_.images.Screen(ui::TDDProgress::kBarImage));
  gfx::DrawRoundFrame(111, 30, 574, 29, gfx::kFrameGreen, dst);
  gfx::DrawShadowText(host_.font, captionX, 300, 32, 20, caption, dst, gfx::kYellow);
}

void TGame::DrawStatus(gfx::Surface& dst) {
  gfx::DrawShadowText(host_.font, 145, 542, 24, 14, std::to_string(Level), dst, gfx::kYellow);
  gfx::DrawShadowText(host_.font, 145, 572, 24, 14, std::to_string(Score), dst, gfx::kYellow);
  gfx::DrawShadowText(host_.font, 710, 547, 24, 14, std::to_string(LevelScore), dst, gfx::kYellow);
  gfx::DrawShadowText(host_.font, 710, 572, 24, 14, std::to_string(Target()), dst, gfx::kYellow);
}

void TGame::DrawTotal(gfx::Surface& dst) {
  const std::string total = gfx::ToCp1251("Очки: ") + std::to_string(Score) + gfx::ToCp1251("   Уровень: ") +
                            std::to_string(Level);
  const int width = host_.font.TextWidth(kTotalHeight, kTotalWidth, gfx::kNormalWeight, total);
  gfx::DrawShadowText(host_.font, 400 - width / 2, kTotalY, kTotalHeight, kTotalWidth, total, dst, gfx::kYellow);
  DrawStatus(dst);
}

void TGame::StartLevel() {
  Enemies.ReleaseAll();
  Phase = Playing;
  LevelScore = 0;
  LevelFrames = Level * kFramesPerLevel;
  Enemies.Moving = true;
  // From level 60 on the length no longer fits the clock: those levels run for the clock's longest.
  Progress.Max = static_cast<std::uint16_t>(std::min<std::int32_t>(LevelFrames, kClockTop));
  Progress.Position = 0;
  Down.Big = false;
}

void TGame::Play(gfx::Surface* dst) {
  if (dst) Down.Draw(*dst, *this);
  CheckCatches();
  Up.DoFrame(dst, *this);
  // The clock stops at its top: a level held open by the tongue or the pop-up must not wrap it back to empty.
  const bool clockRuns = Enemies.Moving && Progress.Position < kClockTop;
  if (dst) {
    Progress.Draw(*dst, host_.images, clockRuns);
  } else {
    Progress.Advance(clockRuns);
  }
  if (Progress.Position >= Progress.Max && !Up.TongueOut && ScoresUp.Y <= 350) Phase = LevelEnd;
  Enemies.DoFrame(dst, *this);
  ScoresUp.DoFrame(dst, host_.font);
  if (dst) DrawStatus(*dst);
}

void TGame::EndLevel() {
  if (Down.Big) {
    if (Level < kLastLevel) ++Level;
    Phase = LevelIntro;
    host_.sound.PlayEffect(audio::kLevel);
  } else {
    host_.sound.StopSong();
    Phase = GameOver;
    host_.sound.PlayEffect(audio::kDie);
  }
  PhaseStart = Now();
}

void TGame::Frame(gfx::Surface* dst) {
  recorded_.Frame();
  // The hidden cursor is held in the middle, so a click always lands on the game.
  if (host_.window.IsActive()) host_.window.WarpMouse(400, 300);
  switch (Phase) {
    case LevelIntro:
      FrameTick = Now();
      if (dst) DrawIntroScreen(*dst, 350, gfx::ToCp1251("Уровень ") + std::to_string(Level));
      if (FrameTick - PhaseStart > kPhaseMs) StartLevel();
      break;
    case Playing:
      Play(dst);
      break;
    case LevelEnd:
      EndLevel();
      break;
    default:
      FrameTick = Now();
      if (dst) {
        DrawIntroScreen(*dst, 310, gfx::ToCp1251("Конец Игры"));
        DrawTotal(*dst);
      }
      if (FrameTick - PhaseStart > kPhaseMs) {
        host_.screenState = 1;
        host_.window.ShowCursor(true);
        if (store::Qualifies(host_.hiScores, Score)) host_.screenState = 34;
        if (host_.options.Music) host_.sound.PlaySong("2.xm");
        PhaseStart = Now();
      }
      break;
  }
}

}  // namespace gw::game
