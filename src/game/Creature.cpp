// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Creature.h"

#include <bit>
#include <numbers>

#include "game/Game.h"
#include "game/Geometry.h"
#include "gfx/Draw.h"
#include "gfx/SpriteTransform.h"

namespace gw::game {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr int kBodyX = 340, kBodyY = 410;
constexpr int kStunX = 362, kStunY = 423;
constexpr std::uint32_t kBobMs = 500;
constexpr std::uint32_t kBlinkMs = 200;
constexpr gfx::Pixel kTongueColour = gfx::Rgb(255, 102, 102);
constexpr int kTonguePen = 7;
constexpr int kRootLength = 70;
// The parts of the tongue's pictures that are drawn turned.
constexpr std::uint16_t kRootWidth = 10, kRootHeight = 70, kTipWidth = 24, kTipHeight = 22;

enum Picture : int { kBodyClosed = 0, kBodyOpen = 1, kRoot = 12, kTip = 13, kStunA = 14, kStunB = 15 };

void DrawKeyed(gfx::Surface& dst, int x, int y, const gfx::Surface* picture) {
  gfx::DrawPicture(dst, x, y, picture, gfx::kBltFastWait | gfx::kBltFastSrcColorKey);
}

}  // namespace

void TGromDown::Draw(gfx::Surface& dst, const TGame& game) const {
  gfx::DrawPicture(dst, 314, 475, game.Images().Screen(Big ? 21 : 20));
}

const AimDirection& TGromEye::Direction() const {
  if (std::bit_cast<std::uint32_t>(Angle) != std::bit_cast<std::uint32_t>(directionFor_)) {
    direction_ = AimDirection::Of(Angle);
    directionFor_ = Angle;
  }
  return direction_;
}

void TGromEye::DoFrame(gfx::Surface* dst, TGame& game) {
  // The pupils are drawn where the angle was before this frame's step.
  const int bob = game.Up.Toggle == 1 ? 5 : 0;
  const AimDirection& d = Direction();
  const auto x = static_cast<std::int16_t>(401 + TruncatedScaled(d.cosine, 3));
  const auto y = static_cast<std::int16_t>(438 + bob - TruncatedScaled(d.sine, 3));
  if (Angle >= kAimTop) Rising = false;
  if (Angle <= kAimBottom) Rising = true;
  if (!Held && !game.Up.Extending) Angle = SteppedAngle(Angle, Rising ? kAimStep : Negated(kAimStep));
  if (!dst) return;
  const gfx::Surface* pupil = game.Images().Sprite(Sprite);
  DrawKeyed(*dst, x, y, pupil);
  DrawKeyed(*dst, x - 26, y, pupil);
}

void TGromUp::DoFrame(gfx::Surface* dst, TGame& game) {
  const gfx::ImageTables& images = game.Images();
  NowTick = game.Now();
  if (Hurt) {
    // Stunned: the eyes and a shot under way stand still while the overlay blinks.
    if (NowTick - ToggleTick > kBlinkMs) {
      Toggle = static_cast<std::uint8_t>(1 - Toggle);
      ToggleTick = game.Now();
      ++HurtBlinks;
    }
    if (dst) {
      DrawKeyed(*dst, kBodyX, kBodyY, images.Sprite(kBodyOpen));
      gfx::DrawPicture(*dst, kStunX, kStunY, images.Sprite(Toggle == 1 ? kStunB : kStunA));
    }
    if (HurtBlinks == kStunBlinks) Hurt = false;
    return;
  }
  if (!TongueOut) {
    if (NowTick - ToggleTick > kBobMs) {
      Toggle = static_cast<std::uint8_t>(1 - Toggle);
      ToggleTick = game.Now();
    }
    if (dst) DrawKeyed(*dst, kBodyX, kBodyY + 5 * Toggle, images.Sprite(kBodyClosed));
    game.Eye.DoFrame(dst, game);
    return;
  }
  if (dst) DrawKeyed(*dst, kBodyX, kBodyY, images.Sprite(kBodyOpen));
  game.Eye.DoFrame(dst, game);
  if (dst) DrawTongue(*dst, game);
  TurnAtEdge(game);
  TongueLength = static_cast<std::int16_t>(Extending ? TongueLength + kStep : TongueLength - kStep);
  if (TongueLength > kLongest) Extending = false;
  if (TongueLength <= 0) {
    TongueOut = false;
    game.Eye.Held = false;
  }
}

void TGromUp::TurnAtEdge(const TGame& game) {
  const Offset end = AlongAim(game.Eye.Direction(), TongueLength + 80);
  if (403 + end.x <= 30 || 403 + end.x >= 790 || 500 + end.y <= 90) Extending = false;
}

void TGromUp::DrawTongue(gfx::Surface& dst, const TGame& game) const {
  const gfx::ImageTables& images = game.Images();
  const float a = game.Eye.Angle;
  const long double turn = -static_cast<long double>(a) - kPi / 2;
  const int length = TongueLength;
  if (const gfx::Surface* root = images.Sprite(kRoot)) {
    gfx::DrawRotated(*root, dst, {6, 70}, 401, 550, kRootWidth, kRootHeight, turn);
  }
  const AimDirection& d = game.Eye.Direction();
  const Offset from = AlongAim(d, kRootLength);
  const Offset to = AlongAim(d, length + kRootLength);
  gfx::DrawThickLine(394 + from.x, 480 + from.y, 394 + to.x, 480 + to.y, kTonguePen, kTongueColour, dst);
  if (const gfx::Surface* tip = images.Sprite(kTip)) {
    const Offset at = AlongAim(d, length + kRootLength);
    gfx::DrawRotated(*tip, dst, {10, 21}, static_cast<std::uint16_t>(403 + at.x), static_cast<std::uint16_t>(500 + at.y),
                     kTipWidth, kTipHeight, turn);
  }
}

}  // namespace gw::game
