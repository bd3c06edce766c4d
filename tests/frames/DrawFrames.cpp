// SPDX-License-Identifier: GPL-3.0-or-later
// Draws two frames of the game on the build's own pack, headless, into raw 800x600 files of 32-bit pixels: the
// main menu, and play at a fixed tick with the random numbers seeded from a fixed counter. Every build draws
// them the same way, so the files of two builds (two systems) compare byte for byte.
//   gw_frames PACK OUT_FOLDER      writes OUT_FOLDER/menu.raw and OUT_FOLDER/play.raw
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Program.h"
#include "support/Headless.h"

namespace {

namespace fs = std::filesystem;

// Play this many frames after the start: long enough for creatures to fly in and the aim to swing.
constexpr int kPlayFrames = 700;

void Write(const std::vector<std::uint32_t>& frame, const fs::path& file) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(frame.data()), static_cast<std::streamsize>(frame.size() * 4));
  if (!out) throw std::runtime_error("cannot write " + file.filename().string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: gw_frames PACK OUT_FOLDER\n", stderr);
    return 2;
  }
  try {
    const fs::path pack = fs::absolute(argv[1]);
    const fs::path out = fs::absolute(argv[2]);
    fs::create_directories(out);
    gw::test::HeadlessGame g(pack);
    g.program.ScreenState = gw::app::screen::kMenu;
    g.form->FormMouseMove(5, 5);  // out of every control's way
    g.Frame();
    Write(g.window.lastFrame, out / "menu.raw");
    g.form->FormKeyDown(gw::platform::vk::kReturn, false);
    for (int i = 0; i < kPlayFrames; ++i) g.Frame();
    Write(g.window.lastFrame, out / "play.raw");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gw_frames: %s\n", e.what());
    return 1;
  }
  return 0;
}
