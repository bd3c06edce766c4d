// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One line per request for the journal: when, from where, what, how it ended and how long it took. The record a
// submission carries is the player's business, so only its length is written.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace gw::scores {

// Where finished lines go; each call gets one whole line, newline included.
using LogSink = std::function<void(std::string_view line)>;

struct AccessEntry {
  std::chrono::system_clock::time_point at;
  std::string_view address;
  std::string_view method;
  std::string_view target;
  int status = 0;
  std::string_view refusal;  // empty when served
  std::chrono::nanoseconds took{};
};

// "2026-01-02T03:04:05.678Z 203.0.113.9 GET /cgi/version.pl?hs&prg=GromWumbler&inf=[96] 200 - 0.42ms"
std::string AccessLine(const AccessEntry& entry);

// The target with the value of its inf parameter replaced by its length in brackets, and any byte outside
// printable ASCII shown as %XX so a line cannot be forged or broken by what a client sends.
std::string LoggedTarget(std::string_view target);

}  // namespace gw::scores
