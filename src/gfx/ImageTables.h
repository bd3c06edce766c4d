// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three picture tables every screen draws from: backgrounds and panels, sprites, and the mirrored
// enemy pictures. A slot is empty until its picture is loaded.

#include <array>
#include <memory>

#include "gfx/Surface.h"

namespace gw::gfx {

struct ImageTables {
  static constexpr int kScreenCount = 29;
  static constexpr int kSpriteCount = 17;
  static constexpr int kMirroredCount = 6;
  // Pack record of each table's first slot.
  static constexpr int kFirstScreenRecord = 17;
  static constexpr int kFirstMirroredRecord = 6;

  std::array<std::unique_ptr<Surface>, kScreenCount> screen;
  std::array<std::unique_ptr<Surface>, kSpriteCount> sprite;
  std::array<std::unique_ptr<Surface>, kMirroredCount> mirrored;

  const Surface* Screen(int k) const { return k >= 0 && k < kScreenCount ? screen[k].get() : nullptr; }
  const Surface* Sprite(int k) const { return k >= 0 && k < kSpriteCount ? sprite[k].get() : nullptr; }
  const Surface* Mirrored(int k) const { return k >= 0 && k < kMirroredCount ? mirrored[k].get() : nullptr; }

  void ReleaseAll() {
    for (auto& s : screen) s.reset();
    for (auto& s : sprite) s.reset();
    for (auto& s : mirrored) s.reset();
  }
};

// Opaque (or keyed) copy of a picture that may not be loaded: a missing picture draws nothing and succeeds.
inline HResult DrawPicture(Surface& dst, int x, int y, const Surface* picture, std::uint32_t flags = kBltFastWait) {
  return picture ? dst.BltFast(x, y, *picture, nullptr, flags) : kOk;
}

}  // namespace gw::gfx
