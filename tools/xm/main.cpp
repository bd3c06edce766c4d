// SPDX-License-Identifier: GPL-3.0-or-later
// gw_xmcompose: turns a text score into a FastTracker 2 module.
//   gw_xmcompose <score> <output.xm>
// On any mistake in the score it names the line, exits non-zero and leaves no output file behind.

#include "Score.h"
#include "XmWriter.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Written under a temporary name and renamed, so a half-written module never looks finished.
void writeAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::path temp = path;
  temp += ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      throw std::runtime_error("cannot write " + temp.string());
    }
  }
  std::filesystem::rename(temp, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: gw_xmcompose <score> <output.xm>\n";
    return 2;
  }
  const std::filesystem::path score = argv[1], output = argv[2];
  try {
    const xm::Song song = xm::compileScore(readFile(score));
    writeAtomically(output, xm::writeXm(song));
    return 0;
  } catch (const xm::ScoreError& e) {
    std::cerr << score.string() << ':' << (e.line() > 0 ? std::to_string(e.line()) + ":" : "") << " error: " << e.what()
              << '\n';
  } catch (const std::exception& e) {
    std::cerr << "gw_xmcompose: " << e.what() << '\n';
  }
  // A module from an earlier, good score must not outlive the broken one and hide the failure.
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  return 1;
}
