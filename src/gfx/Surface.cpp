// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/Surface.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

namespace gw::gfx {

namespace {

// A source rectangle must lie inside its surface and hold at least one pixel.
bool ValidSource(const Rect& r, const Surface& s) {
  return !r.Empty() && r.left >= 0 && r.top >= 0 && r.right <= s.Width() && r.bottom <= s.Height();
}

template <bool Keyed>
void CopyRows(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h, Pixel key) {
  for (int row = 0; row < h; ++row) {
    const Pixel* from = src.Row(sy + row) + sx;
    Pixel* to = dst.RowSpan(dy + row, dx, dx + w) + dx;
    if constexpr (Keyed) {
      for (int col = 0; col < w; ++col) {
        if (from[col] != key) to[col] = from[col];
      }
    } else {
      std::copy_n(from, w, to);
    }
  }
}

std::atomic<std::uint64_t> lastVersion{0};

}  // namespace

Surface::Surface(int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("surface size must be positive");
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

std::uint64_t Surface::Version() const {
  if (changed_) {
    version_ = ++lastVersion;
    changed_ = false;
  }
  return version_;
}

namespace {

void Widen(Surface::Span& span, int left, int right) {
  if (span.right <= span.left) {
    span = {left, right};
  } else {
    span.left = std::min(span.left, left);
    span.right = std::max(span.right, right);
  }
}

}  // namespace

void Surface::MarkSpans(int x0, int y0, int x1, int y1) {
  x0 = std::max(x0, 0);
  x1 = std::min(x1, width_);
  if (x0 >= x1) return;
  const int top = std::max(y0, 0), bottom = std::min(y1, height_);
  if (hasBase_) {
    for (int y = top; y < bottom; ++y) Widen(drawn_[static_cast<std::size_t>(y)], x0, x1);
  }
  if (!writtenAll_) {
    for (int y = top; y < bottom; ++y) Widen(written_[static_cast<std::size_t>(y)], x0, x1);
  }
}

std::optional<std::span<const Surface::Span>> Surface::Written() const {
  if (writtenAll_) return std::nullopt;
  return std::span<const Span>(written_);
}

void Surface::ClearWritten() {
  written_.assign(static_cast<std::size_t>(height_), Span{});
  writtenAll_ = false;
}

void Surface::CoverWith(const Surface& src) {
  pendingFill_.reset();  // every pixel is about to be replaced
  changed_ = true;
  src.Settle();
  const std::uint64_t source = src.Version();
  if (hasBase_ && baseVersion_ == source) {
    // Only what was drawn over the same picture since it was last copied differs from it.
    for (int y = 0; y < height_; ++y) {
      Span& span = drawn_[static_cast<std::size_t>(y)];
      if (span.right <= span.left) continue;
      std::copy(src.Row(y) + span.left, src.Row(y) + span.right, RawRow(y) + span.left);
      if (!writtenAll_) Widen(written_[static_cast<std::size_t>(y)], span.left, span.right);
      span = {};
    }
    return;
  }
  for (int y = 0; y < height_; ++y) std::copy_n(src.Row(y), width_, RawRow(y));
  writtenAll_ = true;
  drawn_.assign(static_cast<std::size_t>(height_), Span{});
  hasBase_ = true;
  baseVersion_ = source;
}

void Surface::ApplyPendingFill() const {
  const Pixel colour = *pendingFill_;
  pendingFill_.reset();
  Forget();
  // Clearing to black happens every frame, and memset is several times faster than the fill loop.
  if (colour == 0) {
    std::memset(pixels_.data(), 0, pixels_.size() * sizeof(Pixel));
  } else {
    std::fill(pixels_.begin(), pixels_.end(), colour);
  }
}

std::optional<PixelView> Surface::Lock() {
  if (lost_) return std::nullopt;
  Settle();
  Forget();
  return PixelView{pixels_.data(), width_, height_, width_};
}

std::optional<PixelView> Surface::Lock(const Rect& area) {
  if (lost_) return std::nullopt;
  Settle();
  MarkDrawn(area.left, area.top, area.right, area.bottom);
  return PixelView{pixels_.data(), width_, height_, width_};
}

HResult Surface::BltFast(int x, int y, const Surface& src, const Rect* srcRect, std::uint32_t flags) {
  if (lost_ || src.lost_) return kSurfaceLost;
  Rect s = srcRect ? *srcRect : SurfaceRect(src);
  if (!ValidSource(s, src)) return kInvalidRect;
  // Clip against the destination, moving the source window along.
  int dx = x, dy = y;
  if (dx < 0) { s.left -= dx; dx = 0; }
  if (dy < 0) { s.top -= dy; dy = 0; }
  s.right = std::min(s.right, s.left + (width_ - dx));
  s.bottom = std::min(s.bottom, s.top + (height_ - dy));
  if (s.Empty()) return kOk;
  const bool keyed = (flags & kBltFastSrcColorKey) && src.colorKey_;
  if (!keyed && &src != this && dx == 0 && dy == 0 && s.Width() == width_ && s.Height() == height_ &&
      src.width_ == width_ && src.height_ == height_) {
    CoverWith(src);
    return kOk;
  }
  if (keyed) {
    CopyRows<true>(*this, dx, dy, src, s.left, s.top, s.Width(), s.Height(), *src.colorKey_);
  } else {
    CopyRows<false>(*this, dx, dy, src, s.left, s.top, s.Width(), s.Height(), 0);
  }
  return kOk;
}

HResult Surface::Blt(const Rect* dstRect, const Surface& src, const Rect* srcRect, std::uint32_t flags) {
  if (lost_ || src.lost_) return kSurfaceLost;
  const Rect d = dstRect ? *dstRect : SurfaceRect(*this);
  const Rect s = srcRect ? *srcRect : SurfaceRect(src);
  if (d.Empty() || !ValidSource(s, src)) return kInvalidRect;
  const bool keyed = (flags & kBltKeySrc) && src.colorKey_;
  const Pixel key = keyed ? *src.colorKey_ : 0;
  if (d.Width() == s.Width() && d.Height() == s.Height()) {
    // Same size: a clipped copy, the common case.
    return BltFast(d.left, d.top, src, &s, keyed ? kBltFastSrcColorKey : 0);
  }
  // Stretch by nearest source pixel; only destination pixels inside the surface are visited.
  const int x0 = std::max(d.left, 0), x1 = std::min(d.right, width_);
  const int y0 = std::max(d.top, 0), y1 = std::min(d.bottom, height_);
  for (int y = y0; y < y1; ++y) {
    const int sy = s.top + static_cast<int>(static_cast<long long>(y - d.top) * s.Height() / d.Height());
    const Pixel* from = src.Row(sy);
    Pixel* to = RowSpan(y, x0, x1);
    for (int x = x0; x < x1; ++x) {
      const int sx = s.left + static_cast<int>(static_cast<long long>(x - d.left) * s.Width() / d.Width());
      const Pixel p = from[sx];
      if (!keyed || p != key) to[x] = p;
    }
  }
  return kOk;
}

HResult Surface::Fill(Pixel colour) {
  if (lost_) return kSurfaceLost;
  pendingFill_ = colour;
  changed_ = true;
  return kOk;
}

HResult Surface::FillRect(const Rect& r, Pixel colour) {
  if (lost_) return kSurfaceLost;
  if (r.Empty()) return kInvalidRect;
  const int x0 = std::max(r.left, 0), x1 = std::min(r.right, width_);
  const int y0 = std::max(r.top, 0), y1 = std::min(r.bottom, height_);
  for (int y = y0; y < y1; ++y) {
    Pixel* row = RowSpan(y, x0, x1);
    std::fill(row + x0, row + std::max(x0, x1), colour);
  }
  return kOk;
}

HResult Surface::CopyFrom(const Surface& src) {
  if (lost_ || src.lost_) return kSurfaceLost;
  if (src.width_ != width_ || src.height_ != height_) return kInvalidRect;
  if (&src == this) return kOk;
  src.Settle();
  pendingFill_.reset();
  Forget();
  pixels_ = src.pixels_;
  return kOk;
}

}  // namespace gw::gfx
