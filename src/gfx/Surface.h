// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A software drawing surface with the blit rules the game was tuned for: 32-bit pixels 0x00RRGGBB,
// an optional source colour key, opaque and keyed blits, colour fill, and a "lost" state that makes
// blits fail the way a lost video surface does, so the restoration path can be exercised.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gw::gfx {

using Pixel = std::uint32_t;

constexpr Pixel Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (Pixel{r} << 16) | (Pixel{g} << 8) | Pixel{b};
}
constexpr std::uint8_t RedOf(Pixel p) { return static_cast<std::uint8_t>(p >> 16); }
constexpr std::uint8_t GreenOf(Pixel p) { return static_cast<std::uint8_t>(p >> 8); }
constexpr std::uint8_t BlueOf(Pixel p) { return static_cast<std::uint8_t>(p); }

// Left, top, right, bottom; right and bottom exclusive.
struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  constexpr std::int32_t Width() const { return right - left; }
  constexpr std::int32_t Height() const { return bottom - top; }
  constexpr bool Empty() const { return right <= left || bottom <= top; }
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Results as callers examine them: a failure has the top bit set.
using HResult = std::int32_t;
constexpr HResult kOk = 0;
constexpr HResult kFail = static_cast<HResult>(0x80004005u);
constexpr HResult kSurfaceLost = static_cast<HResult>(0x887601C2u);
constexpr HResult kInvalidRect = static_cast<HResult>(0x88760096u);
constexpr bool Failed(HResult r) { return r < 0; }

// Blit flags, with the values the drawing code was written against.
constexpr std::uint32_t kBltFastSrcColorKey = 0x1;
constexpr std::uint32_t kBltFastWait = 0x10;
constexpr std::uint32_t kBltKeySrc = 0x8000;
constexpr std::uint32_t kBltWait = 0x1000000;

// Direct pixel access, as a lock hands it out. Pitch is in pixels.
struct PixelView {
  Pixel* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  Pixel* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * pitch; }
};

// Two ways of drawing a frame over its background cost only what is drawn over it, not the whole surface
// again, with exactly the pixels the plain way leaves:
// - a whole-surface fill is only noted, and done when a pixel is next looked at, unless an opaque copy that
//   covers the whole surface comes first (every frame is cleared and then covered by its background);
// - after such a whole opaque copy the surface remembers its source's version and, row by row, the span drawn
//   over since; the next whole opaque copy of the same unchanged source puts back only those spans.
// - it keeps, row by row, the columns written since the last ClearWritten, so that presenting a frame needs
//   to look only there for what changed since the frame before.
// So every write to the pixels goes through a call that says where it writes: Set, Row (the whole row),
// RowSpan, the blits and fills, and Lock (the whole surface, or the area given). A pointer or a lock's view
// is used at once and not kept across other calls on the surface.
class Surface {
 public:
  Surface(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }

  Pixel At(int x, int y) const {
    Settle();
    return pixels_[Index(x, y)];
  }
  void Set(int x, int y, Pixel p) {
    RowSpan(y, x, x + 1)[x] = p;
  }
  // A row to write anywhere in.
  Pixel* Row(int y) {
    MarkDrawn(0, y, width_, y + 1);
    return RawRow(y);
  }
  // A row to write only in columns x0 to x1 (exclusive).
  Pixel* RowSpan(int y, int x0, int x1) {
    MarkDrawn(x0, y, x1, y + 1);
    return RawRow(y);
  }
  const Pixel* Row(int y) const { return RawRow(y); }
  const Pixel* Data() const { return RawRow(0); }

  // Fails (nothing returned) while the surface is lost. With an area, the caller writes only inside it.
  std::optional<PixelView> Lock();
  std::optional<PixelView> Lock(const Rect& area);

  void SetColorKey(Pixel key) { colorKey_ = key; }
  std::optional<Pixel> ColorKey() const { return colorKey_; }

  // Copies src (or srcRect of it) with its top-left at (x, y). kBltFastSrcColorKey skips key pixels.
  // A source rectangle that is empty, reversed or outside src is rejected; the destination is clipped.
  HResult BltFast(int x, int y, const Surface& src, const Rect* srcRect, std::uint32_t flags);
  // Copies srcRect of src onto dstRect (whole surfaces when null), stretching when the sizes differ.
  // kBltKeySrc skips key pixels. Empty or reversed rectangles are rejected and draw nothing.
  HResult Blt(const Rect* dstRect, const Surface& src, const Rect* srcRect, std::uint32_t flags);
  HResult Fill(Pixel colour);
  HResult FillRect(const Rect& r, Pixel colour);
  // Whole-surface copy of a surface of the same size (the frozen frame of pause and questions).
  HResult CopyFrom(const Surface& src);

  // Columns left to right (exclusive) of one row; none when right <= left.
  struct Span {
    int left = 0, right = 0;
  };
  // Per row, the columns written since the last ClearWritten; nothing when any pixel may have been.
  std::optional<std::span<const Span>> Written() const;
  void ClearWritten();

  // A lost surface refuses every blit, fill and lock until Restore; its pixels are then undefined.
  bool IsLost() const { return lost_; }
  void MarkLost() {
    lost_ = true;
    Forget();
  }
  HResult Restore() {
    lost_ = false;
    return kOk;
  }

 private:
  void Settle() const {
    if (pendingFill_) [[unlikely]] ApplyPendingFill();
  }
  void ApplyPendingFill() const;
  Pixel* RawRow(int y) const {
    Settle();
    return pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
  }
  // Notes a write to the (clipped) rectangle.
  void MarkDrawn(int x0, int y0, int x1, int y1) {
    changed_ = true;
    MarkSpans(x0, y0, x1, y1);
  }
  void MarkSpans(int x0, int y0, int x1, int y1);
  // Any pixel may have changed: the pixels are no longer a known source's plus spans.
  void Forget() const {
    changed_ = true;
    hasBase_ = false;
    writtenAll_ = true;
  }
  // A number that changes whenever the pixels do, and that no other content of any surface ever had.
  std::uint64_t Version() const;
  // An opaque copy of all of src, which has this surface's size.
  void CoverWith(const Surface& src);

  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }

  int width_;
  int height_;
  mutable std::vector<Pixel> pixels_;  // filled late: see Settle
  mutable std::optional<Pixel> pendingFill_;
  std::optional<Pixel> colorKey_;
  bool lost_ = false;
  mutable bool changed_ = true;
  mutable std::uint64_t version_ = 0;
  mutable bool hasBase_ = false;
  std::uint64_t baseVersion_ = 0;
  std::vector<Span> drawn_;    // one per row while hasBase_
  std::vector<Span> written_;  // one per row unless writtenAll_
  mutable bool writtenAll_ = true;
};

inline Rect SurfaceRect(const Surface& s) { return {0, 0, s.Width(), s.Height()}; }

}  // namespace gw::gfx
