// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedPlayer.h"

#include <stdexcept>

#include "game/EnemyKinds.h"
#include "game/Game.h"
#include "game/Geometry.h"
#include "support/Headless.h"

namespace gw::test {

namespace {

constexpr std::uint32_t kMostFrames = 2'000'000;
constexpr int kTongueStep = 15, kLongest = 380;

bool Overlap(const gfx::Rect& a, const gfx::Rect& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

// Whether a shot now would meet a creature worth catching on its way out: the tongue's tip and each creature
// are followed frame by frame as the game will move them.
bool WorthFiring(const game::TGame& g) {
  const game::AimDirection& d = g.Eye.Direction();
  for (const auto& slot : g.Enemies.Slots) {
    if (!slot || slot->Caught) continue;
    const game::EnemyKind& k = game::KindOf(slot->Kind);
    if (k.points <= 0) continue;
    int x = slot->X;
    for (int length = kTongueStep; length <= kLongest + kTongueStep; length += kTongueStep) {
      x += slot->MovingRight ? slot->Speed : -slot->Speed;
      const int y = game::ArchDrop(x - 400) + slot->BaseY;
      const game::Offset tip = game::AlongAim(d, length + 70);
      const gfx::Rect tipRect{tip.x + 401, tip.y + 500, tip.x + 401 + 24, tip.y + 500 + 22};
      if (Overlap({x, y, x + k.width, y + k.height}, tipRect)) return true;
    }
  }
  return false;
}

}  // namespace

PlayedGame PlayScripted(const Script& script) {
  HeadlessGame h;
  h.program.ScreenState = 2;
  h.program.Game = std::make_unique<game::TGame>(h.form->GameHostFor());
  game::TGame& g = *h.program.Game;
  g.Deal({script.ticket, script.seed});
  std::uint32_t playFrames = 0;
  for (std::uint32_t frame = 0; h.program.ScreenState == 2; ++frame) {
    if (frame >= kMostFrames) throw std::runtime_error("the scripted game does not end");
    if (g.Phase == game::Playing) ++playFrames;
    const bool quit = (script.quitAtFrame != 0 && playFrames == script.quitAtFrame) ||
                      (script.quitOnLevel != 0 && g.Level == script.quitOnLevel);
    if (quit && g.Phase == game::Playing) g.Quit();
    if (script.style == Style::Catcher && g.Phase == game::Playing && !g.Up.TongueOut && WorthFiring(g)) g.Fire();
    g.PlayFrame();  // nothing is looked at, and undrawn play is the same play
  }
  PlayedGame played;
  played.recording = g.TakeRecording();
  played.score = g.Score;
  played.level = g.Level;
  played.frames = g.Frames();
  return played;
}

}  // namespace gw::test
