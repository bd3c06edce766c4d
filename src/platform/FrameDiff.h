// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which parts of a frame differ from the frame shown before it, so that only those reach the screen. The
// frame is compared in tiles against a copy of the last one given; changed tiles are merged into as few
// rectangles as the tiling allows.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/Window.h"

namespace gw::platform {

class FrameDiff {
 public:
  static constexpr int kTileWidth = 32;
  static constexpr int kTileHeight = 16;

  FrameDiff();

  // Compares the 800x600 frame (pitch in bytes) with the last one given and keeps it as the new last one.
  // Returns the changed areas, right and bottom exclusive; the whole frame after Invalidate or on the first
  // call, nothing when the frame is unchanged. The span lives until the next call.
  std::span<const ScreenRect> Changes(const std::uint32_t* pixels, int pitchBytes) {
    return Changes(pixels, pitchBytes, {});
  }
  // The same, looking only at the columns of each row that may differ (one range per row; any other size
  // means anything may).
  std::span<const ScreenRect> Changes(const std::uint32_t* pixels, int pitchBytes,
                                      std::span<const ColumnRange> mayDiffer);

  // The next call reports the whole frame: what the screen shows can no longer be trusted.
  void Invalidate() { valid_ = false; }

 private:
  std::vector<std::uint32_t> last_;
  std::vector<ScreenRect> rects_;
  bool valid_ = false;
};

}  // namespace gw::platform
