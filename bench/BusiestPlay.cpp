// SPDX-License-Identifier: GPL-3.0-or-later
#include "BusiestPlay.h"

#include <memory>

namespace gw::bench {

namespace {

struct Placed {
  int kind, x, y;
  bool right;
};

// Away from the tongue's tip and the mouth, so nothing is caught or eaten and the frame repeats itself.
constexpr Placed kField[] = {{1, 0, 0, true},     {8, -20, 190, true}, {7, 130, 120, false}, {4, 250, 110, true},
                             {3, 620, 140, false}, {6, 700, 170, false}, {5, 775, 230, false}};

}  // namespace

void MakeBusiest(game::TGame& game) {
  game.Phase = game::Playing;
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
    if (!slot) slot = std::make_unique<game::TEnemy>(static_cast<std::uint8_t>(p.kind), game);
    slot->X = static_cast<std::int16_t>(p.x);
    slot->Y = static_cast<std::int16_t>(p.y);
    slot->MovingRight = p.right;
    slot->Caught = i == 0;  // hangs at the end of the tongue
  }
}

PlayingProgram::PlayingProgram() {
  g.program.ScreenState = 2;
  g.program.Game = std::make_unique<game::TGame>(g.form->GameHostFor());
  MakeBusiest(*g.program.Game);
  g.Frame();
}

}  // namespace gw::bench
