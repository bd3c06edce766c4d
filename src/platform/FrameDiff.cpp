// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FrameDiff.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace gw::platform {

namespace {

constexpr int kTilesAcross = (kFrameWidth + FrameDiff::kTileWidth - 1) / FrameDiff::kTileWidth;
constexpr std::size_t kFramePixels = static_cast<std::size_t>(kFrameWidth) * kFrameHeight;

const std::uint32_t* RowOf(const std::uint32_t* pixels, int pitchBytes, int y) {
  return reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(pixels) +
                                                static_cast<std::ptrdiff_t>(y) * pitchBytes);
}

}  // namespace

FrameDiff::FrameDiff() : last_(kFramePixels) {}

std::span<const ScreenRect> FrameDiff::Changes(const std::uint32_t* pixels, int pitchBytes,
                                               std::span<const ColumnRange> mayDiffer) {
  const bool hinted = mayDiffer.size() == static_cast<std::size_t>(kFrameHeight);
  rects_.clear();
  if (!valid_) {
    for (int y = 0; y < kFrameHeight; ++y) {
      std::memcpy(last_.data() + static_cast<std::ptrdiff_t>(y) * kFrameWidth, RowOf(pixels, pitchBytes, y),
                  kFrameWidth * sizeof(std::uint32_t));
    }
    valid_ = true;
    rects_.push_back({0, 0, kFrameWidth, kFrameHeight});
    return rects_;
  }
  // Rectangles that reached the bottom of the previous band may grow down into this one when they span the
  // same columns, so a tall change stays one rectangle.
  std::size_t openFrom = 0;
  for (int top = 0; top < kFrameHeight; top += kTileHeight) {
    const int bottom = std::min(top + kTileHeight, kFrameHeight);
    std::array<bool, kTilesAcross> dirty{};
    bool any = false;
    for (int y = top; y < bottom; ++y) {
      const std::uint32_t* now = RowOf(pixels, pitchBytes, y);
      std::uint32_t* was = last_.data() + static_cast<std::ptrdiff_t>(y) * kFrameWidth;
      int firstTile = 0, endTile = kTilesAcross;
      if (hinted) {
        const ColumnRange& may = mayDiffer[static_cast<std::size_t>(y)];
        const int left = std::max(may.left, 0), right = std::min(may.right, kFrameWidth);
        if (right <= left) continue;
        firstTile = left / kTileWidth;
        endTile = (right - 1) / kTileWidth + 1;
      } else if (std::memcmp(now, was, kFrameWidth * sizeof(std::uint32_t)) == 0) {
        continue;
      }
      for (int t = firstTile; t < endTile; ++t) {
        if (dirty[static_cast<std::size_t>(t)]) continue;
        const int x = t * kTileWidth;
        const auto bytes = static_cast<std::size_t>(std::min(kTileWidth, kFrameWidth - x)) * sizeof(std::uint32_t);
        if (std::memcmp(now + x, was + x, bytes) != 0) dirty[static_cast<std::size_t>(t)] = any = true;
      }
    }
    const std::size_t bandFrom = rects_.size();
    if (any) {
      for (int t = 0; t < kTilesAcross;) {
        if (!dirty[static_cast<std::size_t>(t)]) {
          ++t;
          continue;
        }
        int end = t;
        while (end < kTilesAcross && dirty[static_cast<std::size_t>(end)]) ++end;
        const int left = t * kTileWidth, right = std::min(end * kTileWidth, kFrameWidth);
        for (int y = top; y < bottom; ++y) {
          std::memcpy(last_.data() + static_cast<std::ptrdiff_t>(y) * kFrameWidth + left,
                      RowOf(pixels, pitchBytes, y) + left, static_cast<std::size_t>(right - left) * sizeof(std::uint32_t));
        }
        const auto above = std::find_if(rects_.begin() + static_cast<std::ptrdiff_t>(openFrom),
                                        rects_.begin() + static_cast<std::ptrdiff_t>(bandFrom), [&](const ScreenRect& r) {
                                          return r.left == left && r.right == right && r.bottom == top;
                                        });
        if (above != rects_.begin() + static_cast<std::ptrdiff_t>(bandFrom)) {
          above->bottom = bottom;
        } else {
          rects_.push_back({left, top, right, bottom});
        }
        t = end;
      }
    }
    // Only rectangles that now end at this band's bottom may grow further.
    const auto stillOpen = std::stable_partition(rects_.begin() + static_cast<std::ptrdiff_t>(openFrom), rects_.end(),
                                                 [&](const ScreenRect& r) { return r.bottom != bottom; });
    openFrom = static_cast<std::size_t>(stillOpen - rects_.begin());
  }
  return rects_;
}

}  // namespace gw::platform
