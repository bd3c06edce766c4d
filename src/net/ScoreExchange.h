// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sending one score: ask the server for its one-time field, then send the encoded record that echoes it.

#include <string>
#include <string_view>

#include "net/HttpClient.h"
#include "net/ScoreRecord.h"
#include "net/ServerAddress.h"

namespace gw::net {

// The fifth "|"-separated field of the first reply; empty when the reply holds fewer than five "|".
std::string FifthField(std::string_view reply);

enum class ExchangeResult {
  Unreachable,   // the first request failed: nothing was sent
  Sent,          // both requests succeeded
  SecondFailed,  // the record went out but its reply was not a success; the game does not care
};

// Runs both requests; the record's p is taken from the first reply. Once both succeeded and a recording of the
// game is given, sends it in one request more; whether that succeeds is the server's business (the entry stays
// unverified), so it is neither retried nor reported.
ExchangeResult ExchangeScore(HttpClient& http, const ServerAddress& server, ScoreRecord record,
                             const std::string& recording = {});

}  // namespace gw::net
