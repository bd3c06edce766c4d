// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OutsideDocument.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/Headless.h"

namespace gw::app {
namespace {

// What the game hands to the desktop for a document of its folder: only web addresses from shortcut
// files, never a program, and other files as they are.
TEST(OutsideDocuments, OnlyWebAddressesFromShortcutsAndNeverAProgram) {
  const struct {
    const char* file;
    const char* content;
    std::vector<std::string> opened;
  } cases[] = {
      {"Play.url", "[InternetShortcut]\r\nURL=https://games.example/play?x=1\r\n", {"https://games.example/play?x=1"}},
      {"moregames.url", "[InternetShortcut]\nURL=http://games.example/\n", {"http://games.example/"}},
      {"Upper.URL", "URL=HTTPS://games.example/\n", {"HTTPS://games.example/"}},
      {"file.url", "[InternetShortcut]\nURL=file:///etc/hostname\n", {}},
      {"script.url", "URL=javascript:alert(1)\n", {}},
      {"spaced.url", "URL=https://games.example/ --new-window\n", {}},
      {"bare.url", "URL=https://\n", {}},
      {"empty.url", "[InternetShortcut]\n", {}},
      {"tolvex.exe", "MZ", {}},
      {"TOLVEX.EXE", "MZ", {}},
      {"readme.txt", "hello", {"readme.txt"}},
      {"missing.url", nullptr, {}},
  };
  test::HeadlessGame g;
  for (const auto& c : cases) {
    g.shell.opened.clear();
    if (c.content) std::ofstream(c.file, std::ios::binary) << c.content;
    g.form->OpenIfExists(c.file);
    EXPECT_EQ(g.shell.opened, c.opened) << c.file;
  }
}

}  // namespace
}  // namespace gw::app
