// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/Display.h"

#include <algorithm>

namespace gw::gfx {

namespace {

// A fresh frame surface that keeps what the old one held, so a display switch on the pause screen or a
// question keeps the frozen picture behind it.
std::unique_ptr<Surface> Renewed(const std::unique_ptr<Surface>& old) {
  auto fresh = std::make_unique<Surface>(platform::kFrameWidth, platform::kFrameHeight);
  if (old) fresh->CopyFrom(*old);  // a lost surface has nothing worth keeping: the fresh one stays black
  return fresh;
}

}  // namespace

void Display::SetupDisplay(bool windowed) {
  window_.Setup(windowed);
  backBuffer_ = Renewed(backBuffer_);
  snapshot_ = Renewed(snapshot_);
}

HResult Display::ClearBackBuffer() { return backBuffer_->Fill(0); }

void Display::PresentFrame() {
  if (backBuffer_->IsLost()) return;
  const Pixel* pixels = backBuffer_->Data();  // first, as it may still have to clear
  const int pitch = backBuffer_->Width() * static_cast<int>(sizeof(Pixel));
  // What was not written since the last present is as it was then; the window need not look there.
  if (const auto written = backBuffer_->Written()) {
    mayDiffer_.resize(written->size());
    std::transform(written->begin(), written->end(), mayDiffer_.begin(),
                   [](const Surface::Span& s) { return platform::ColumnRange{s.left, s.right}; });
    window_.PresentChanged(pixels, pitch, mayDiffer_);
  } else {
    window_.Present(pixels, pitch);
  }
  backBuffer_->ClearWritten();
}

int Display::RestoreSurfaces(const std::function<void()>& reloadPictures) {
  // Our surfaces live in main memory, so restoring one always succeeds; the pictures are reloaded as after
  // any loss.
  if (!Failed(backBuffer_->Restore()) && Failed(ClearBackBuffer())) return 1;
  reloadPictures();
  return 0;
}

}  // namespace gw::gfx
