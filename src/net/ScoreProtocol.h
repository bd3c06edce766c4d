// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The addresses of the score exchange, shared by the game and the score server.

#include <algorithm>
#include <string_view>

namespace gw::net {

inline constexpr std::string_view kScoreProgram = "GromWumbler";
inline constexpr std::string_view kScoreScript = "/cgi/version.pl";
// As a new game starts: the seed of its luck, dealt by the server and known to it by a ticket id.
inline constexpr std::string_view kTicketPath = "/ticket";
inline constexpr std::string_view kTicketQuery = "/ticket?prg=GromWumbler";
// First request: its reply carries the one-time field that the record echoes back.
inline constexpr std::string_view kVersionQuery = "/cgi/version.pl?version&prg=GromWumbler";
// Second request: the encoded record follows.
inline constexpr std::string_view kSubmitQuery = "/cgi/version.pl?hs&prg=GromWumbler&inf=";
// After the second request: the recorded game (its ticket and the player's marks), POSTed with the record's one-time
// field after "token=".
inline constexpr std::string_view kReplayPath = "/replay";
inline constexpr std::string_view kReplayQuery = "/replay?token=";
// What the server's one-time fields and ticket ids are made of: letters and digits, so that one goes into a URL or
// a line of text as it stands.
inline bool LettersAndDigits(std::string_view field) {
  return !field.empty() && std::all_of(field.begin(), field.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}
// The records page, opened in the player's browser.
inline constexpr std::string_view kRecordsPageQuery = "/cgi/version.pl?prg=GromWumbler&show&type=0";

}  // namespace gw::net
