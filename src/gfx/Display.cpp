#include "gfx/Display.h"

namespace gw::gfx {

void Display::SetupDisplay(bool windowed) {
  window_.Setup(windowed);
  backBuffer_ = std::make_unique<Surface>(platform::kFrameWidth, platform::kFrameHeight);
  snapshot_ = std::make_unique<Surface>(platform::kFrameWidth, platform::kFrameHeight);
}

HResult Display::ClearBackBuffer() { return backBuffer_->Fill(0); }

void Display::PresentFrame() {
  if (backBuffer_->IsLost()) return;
  window_.Present(backBuffer_->Data(), backBuffer_->Width() * static_cast<int>(sizeof(Pixel)));
}

int Display::RestoreSurfaces(const std::function<void()>& reloadPictures) {
  // Our surfaces live in main memory, so restoring one always succeeds; the pictures are reloaded as after
  // any loss.
  if (!Failed(backBuffer_->Restore()) && Failed(ClearBackBuffer())) return 1;
  reloadPictures();
  return 0;
}

}  // namespace gw::gfx
