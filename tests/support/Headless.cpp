// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Headless.h"

#include <algorithm>
#include <random>

#include "platform/sdl/SdlServices.h"
#include "support/TestPack.h"

namespace gw::test {

void FakeWindow::Present(const std::uint32_t* pixels, int pitchBytes) {
  ++presents;
  const int pitch = pitchBytes / 4;
  lastFrame.resize(static_cast<std::size_t>(platform::kFrameWidth) * platform::kFrameHeight);
  for (int y = 0; y < platform::kFrameHeight; ++y) {
    std::copy_n(pixels + static_cast<std::ptrdiff_t>(y) * pitch, platform::kFrameWidth,
                lastFrame.begin() + static_cast<std::ptrdiff_t>(y) * platform::kFrameWidth);
  }
}

void FakeWindow::PresentChanged(const std::uint32_t* pixels, int pitchBytes,
                                std::span<const platform::ColumnRange> mayDiffer) {
  ++changedPresents;
  const int pitch = pitchBytes / 4;
  if (!lastFrame.empty() && mayDiffer.size() == static_cast<std::size_t>(platform::kFrameHeight)) {
    for (int y = 0; y < platform::kFrameHeight; ++y) {
      const std::uint32_t* now = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
      const std::uint32_t* was = lastFrame.data() + static_cast<std::ptrdiff_t>(y) * platform::kFrameWidth;
      if (std::equal(now, now + platform::kFrameWidth, was)) continue;
      const platform::ColumnRange may = mayDiffer[static_cast<std::size_t>(y)];
      for (int x = 0; x < platform::kFrameWidth; ++x) {
        if (now[x] != was[x] && (x < may.left || x >= may.right)) ++missedChanges;
      }
    }
  }
  Present(pixels, pitchBytes);
}

int RecordingSound::Count(const std::string& call) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

gfx::GameFont& TestFont() {
  static const std::unique_ptr<gfx::GameFont> font = gfx::GameFont::Load();
  return *font;
}

TempFolder::TempFolder() : previous_(std::filesystem::current_path()) {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() / ("gw-test-" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(path_);
  std::filesystem::current_path(path_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::current_path(previous_, ec);
  std::filesystem::remove_all(path_, ec);
}

HeadlessGame::HeadlessGame() : HeadlessGame(StandardTestPack()) {}

void PlacePack(const std::filesystem::path& pack) {
  std::filesystem::create_directories("Data");
  // Linked where the system allows it; a copy where it does not (Windows without the right to make links).
  std::error_code ec;
  std::filesystem::create_symlink(pack, "Data/Data.pp", ec);
  if (ec) std::filesystem::copy_file(pack, "Data/Data.pp");
}

HeadlessGame::HeadlessGame(const std::filesystem::path& pack)
    : decoder(std::make_unique<platform::sdl::SdlImageDecoder>()) {
  PlacePack(pack);
  form = std::make_unique<app::MainForm>(app::Services{clock, window, shell, *decoder, sound, TestFont()}, program);
  window.events = form.get();
}

bool HeadlessGame::Frame() {
  clock.tick += 15;  // ticks of 1/64 s come as 15 or 16 ms
  return form->RunFrame();
}

}  // namespace gw::test
