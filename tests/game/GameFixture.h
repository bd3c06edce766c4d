// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game driven frame by frame: the headless program's services around one TGame made directly, drawing into
// a back buffer of its own. The rules' time and every reseed's value are the test's: play's time is the headless
// clock's tick and each reseed takes the high-resolution counter, so every moment and every random draw of a frame
// is known. (Live play's own time and luck, the frame count and the dealt seed, are the recorded games' tests'.)

#include <cstddef>
#include <cstdint>
#include <memory>
#include <numbers>

#include "game/EnemyKinds.h"
#include "game/Game.h"
#include "game/Random.h"
#include "support/Headless.h"
#include "support/TestPack.h"

namespace gw::test {

// The aim straight up, as the float the angle is kept in.
inline const float kStraightUp = std::numbers::pi_v<float> / 2;

// A counter whose reseed makes a spawn attempt on an empty field create nothing.
inline std::uint64_t QuietCounter() {
  for (std::uint64_t c = 1;; ++c) {
    game::Random r(static_cast<std::uint32_t>(c));
    r.Below(500);
    bool spawns = false;
    for (int slot = 0; slot < game::TEnemyEngine::kSlotCount; ++slot) spawns = spawns || r.Below(100) == 1;
    if (!spawns) return c;
  }
}

// The pixel a picture of the test pack has at (x, y); screen pictures are records from 17 on.
inline std::uint32_t SpritePixel(int sprite, int x, int y) { return PatternPixel(sprite, x, y); }
inline std::uint32_t ScreenPixel(int screen, int x, int y) { return PatternPixel(17 + screen, x, y); }

// Play's time and reseeds from the headless clock: its tick, and its high-resolution counter at each reseed.
inline game::PlayOverrides ClockTimeAndLuck(HeadlessGame& h) {
  return {[&h] { return h.clock.tick; }, [&h] { return static_cast<std::uint32_t>(h.clock.counter); }};
}

class GameDriver {
 public:
  GameDriver() : GameDriver(StandardTestPack()) {}
  explicit GameDriver(const std::filesystem::path& pack) : g(pack) {
    g.program.ScreenState = 2;
    game::GameHost host = g.form->GameHostFor();
    host.overrides = ClockTimeAndLuck(g);
    g.program.Game = std::make_unique<game::TGame>(host);
  }

  game::TGame& Game() { return *g.program.Game; }
  std::uint32_t& Tick() { return g.clock.tick; }

  // One frame of the game, ms after the previous one.
  void Frame(std::uint32_t ms = 15) {
    g.clock.tick += ms;
    Game().DoFrame(screen);
  }
  // Ends the intro: the next frame is the level's first frame of play.
  void StartPlay() { Frame(game::TGame::kPhaseMs + 1); }
  // Play with no enemy appearing by chance.
  void StartQuietPlay() {
    g.clock.counter = QuietCounter();
    StartPlay();
  }

  // An enemy of the kind in a slot, at a position, not moved yet.
  game::TEnemy& Put(std::size_t slot, int kind, int x, int y, bool movingRight = true) {
    auto& e = Game().Enemies.Slots.at(slot);
    e = std::make_unique<game::TEnemy>(static_cast<std::uint8_t>(kind), Game());
    e->X = static_cast<std::int16_t>(x);
    e->Y = static_cast<std::int16_t>(y);
    e->MovingRight = movingRight;
    return *e;
  }
  int EnemyCount() {
    int n = 0;
    for (const auto& e : Game().Enemies.Slots) n += e ? 1 : 0;
    return n;
  }

  HeadlessGame g;
  gfx::Surface screen{800, 600};
};

}  // namespace gw::test
