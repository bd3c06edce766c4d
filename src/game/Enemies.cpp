// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Enemies.h"

#include "game/EnemyKinds.h"
#include "game/Game.h"
#include "game/Geometry.h"

namespace gw::game {

namespace {

constexpr int kFieldWidth = 800;

}  // namespace

TEnemy::TEnemy(std::uint8_t kind, TGame& game) : Kind(kind) {
  game.Reseed();
  const std::uint32_t t = game.Now();
  MovingRight = t % 2 == 0;
  BaseY = static_cast<std::uint8_t>(game.Random(10) * 10 + 100);
  Speed = static_cast<std::uint8_t>(game.Random(6) + 1);
  X = static_cast<std::int16_t>(MovingRight ? -KindOf(Kind).width : kFieldWidth - 1);
}

gfx::Rect TEnemy::Bounds() const {
  const EnemyKind& k = KindOf(Kind);
  return {X, Y, X + k.width, Y + k.height};
}

bool TEnemy::HasLeftField() const {
  return (X < -KindOf(Kind).width && !MovingRight) || (X > kFieldWidth && MovingRight);
}

void TEnemy::DoFrame(gfx::Surface* dst, TGame& game) {
  const EnemyKind& k = KindOf(Kind);
  NowTick = game.Now();
  if (Caught) {
    // Hangs at the end of the tongue, its centre 120 pixels beyond the tongue's length from the mouth.
    const Offset at = AlongAim(game.Eye.Direction(), game.Up.TongueLength + 120);
    X = static_cast<std::int16_t>(at.x + 390 - k.width / 2);
    Y = static_cast<std::int16_t>(at.y + 520 - k.height / 2);
  } else if (game.Enemies.Moving) {
    X = static_cast<std::int16_t>(MovingRight ? X + Speed : X - Speed);
    const std::int32_t fromMiddle = X - 400;
    // The arch lies 112 rows lower at the field's edges than at its middle.
    Y = static_cast<std::int16_t>(ArchDrop(fromMiddle) + BaseY);
    if (k.frameMs < NowTick - FrameTick) {
      ++AnimFrame;
      FrameTick = game.Now();
      if (AnimFrame > k.frames - 1) AnimFrame = 0;
    }
  }
  if (dst) Draw(*dst, game);
}

void TEnemy::Draw(gfx::Surface& dst, const TGame& game) const {
  const EnemyKind& k = KindOf(Kind);
  // Cut at the field's edges; a sprite cut at the left starts at column 1.
  const int cutLeft = X <= 0 ? X - 1 : 0;
  const int cutRight = X + k.width >= kFieldWidth ? X + k.width - kFieldWidth : 0;
  const gfx::Rect from{k.width * AnimFrame - cutLeft, 0, k.width * (AnimFrame + 1) - cutRight, k.height};
  const gfx::Rect to{X - cutLeft, Y, X + k.width - cutRight, Y + k.height};
  const gfx::Surface* picture = MovingRight || Kind < kFirstMirroredKind
                                    ? game.Images().Sprite(Kind + 3)
                                    : game.Images().Mirrored(Kind - kFirstMirroredKind);
  // A rectangle the blitter rejects (the sprite wholly past an edge) draws nothing.
  if (picture) dst.Blt(&to, *picture, &from, gfx::kBltWait | gfx::kBltKeySrc);
}

void TEnemyEngine::ReleaseAll() {
  for (auto& slot : Slots) slot.reset();
}

void TEnemyEngine::DoFrame(gfx::Surface* dst, TGame& game) {
  game.Reseed();
  NowTick = game.Now();
  for (auto& slot : Slots) {
    if (slot && slot->HasLeftField()) slot.reset();
    if (slot) slot->DoFrame(dst, game);
  }
  if (!Moving) {
    // The freeze ends 8 s after the last spawn attempt before it.
    if (NowTick - SpawnTick > kFreezeMs) Moving = true;
    return;
  }
  // A random wait of up to half a second since the last attempt.
  if (game.Random(500) >= NowTick - SpawnTick) return;
  SpawnTick = game.Now();
  for (auto& slot : Slots) {
    if (slot) continue;
    if (game.Random(100) == 1) {
      slot = std::make_unique<TEnemy>(game.ChooseKind(), game);
      return;
    }
  }
}

}  // namespace gw::game
