// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the standard test pack at build time, so that test processes share one file and write none.

#include <exception>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "support/TestPack.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: gw_write_test_pack <output file>\n";
    return 2;
  }
  // Written beside the target and renamed over it, so an interrupted build leaves no half pack behind.
  const std::filesystem::path target = argv[1];
  std::filesystem::path part = target;
  part += ".part";
  try {
    gw::test::WriteStandardTestPack(part);
    std::filesystem::rename(part, target);
  } catch (const std::exception& e) {
    std::error_code ignored;
    std::filesystem::remove(part, ignored);
    std::cerr << "gw_write_test_pack: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
