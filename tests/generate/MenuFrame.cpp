// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the main menu's first frame as the Linux build draws it (the build's own pack, the system's font), as a
// binary PPM, for the browser build's test to compare its page with:
//   gw_menu_frame OUT.ppm

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/Program.h"
#include "support/Headless.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gw_menu_frame OUT.ppm\n");
    return 2;
  }
  const std::filesystem::path out = std::filesystem::absolute(argv[1]);
  gw::test::HeadlessGame game(GW_GAME_DIR "/Data/Data.pp");
  for (int i = 0; i < 10000 && game.program.ScreenState != gw::app::screen::kMenu; ++i) game.Frame();
  while (!game.Frame()) {
  }
  const std::vector<std::uint32_t>& frame = game.window.lastFrame;
  if (frame.size() != 800u * 600u) return 1;
  std::ofstream file(out, std::ios::binary);
  file << "P6\n800 600\n255\n";
  for (const std::uint32_t p : frame) {
    const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
    file.write(rgb, 3);
  }
  return file ? 0 : 1;
}
