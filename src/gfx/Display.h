// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The back buffer every frame is drawn into, the snapshot of the frozen frame behind pause and questions,
// and presentation of the finished frame in the window.

#include <functional>
#include <memory>
#include <vector>

#include "gfx/Surface.h"
#include "platform/Window.h"

namespace gw::gfx {

class Display {
 public:
  explicit Display(platform::Window& window) : window_(window) {}

  // Sets the window up for the mode and makes a new back buffer and snapshot, each holding the old one's
  // pixels.
  void SetupDisplay(bool windowed);
  // The whole back buffer becomes black; fails while the back buffer is lost.
  HResult ClearBackBuffer();
  void PresentFrame();
  // After a loss: returns 1 when the back buffer is still unusable, else reloads the pictures and returns 0.
  int RestoreSurfaces(const std::function<void()>& reloadPictures);

  Surface& BackBuffer() { return *backBuffer_; }
  Surface& Snapshot() { return *snapshot_; }

 private:
  platform::Window& window_;
  std::unique_ptr<Surface> backBuffer_;
  std::unique_ptr<Surface> snapshot_;
  std::vector<platform::ColumnRange> mayDiffer_;  // kept to spare an allocation a frame
};

}  // namespace gw::gfx
