// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The busiest frame of play, set up again before every frame so that each draws the same picture: seven
// enemies on the field (mirrored ones and ones cut at the edges among them), the tongue out with a catch on
// it, the score pop-up rising, and the status texts.

#include "game/Game.h"
#include "support/Headless.h"

namespace gw::bench {

// Sets every field the frame changes back to the busiest state.
void MakeBusiest(game::TGame& game);

// A headless program in play, in the busiest state, its first frame drawn (so the glyph cache is full).
struct PlayingProgram {
  PlayingProgram();
  test::HeadlessGame g;
};

}  // namespace gw::bench
