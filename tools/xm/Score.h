// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a score (the text format described in assets/songs/README.md) into a song ready to write.
#pragma once

#include "Song.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace xm {

// A mistake in the score, with the 1-based line it was found on (0 when it concerns the whole score).
class ScoreError : public std::runtime_error {
 public:
  ScoreError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

// Parses the score and synthesises its instruments. Throws ScoreError on the first mistake.
Song compileScore(std::string_view text);

}  // namespace xm
