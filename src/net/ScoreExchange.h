// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sending one score: ask the server for its one-time field, then send the encoded record that echoes it.

#include <optional>
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

// A recorded game the server was too busy to take: kept, and sent again with a later exchange.
struct PendingReplay {
  std::string url;
  std::string recording;
};

// Sends a kept recording again; true once the server took it or refused it for good, false while it is still busy
// or out of reach.
bool SendReplay(HttpClient& http, const PendingReplay& replay);

// Runs both requests; the record's p is taken from the first reply. Once both succeeded and a recording of the
// game is given, sends it in one request more; whether the server verifies it is its business (the entry stays
// unverified), so a refusal is neither retried nor reported. A server too busy to take it now gets it again later:
// it is left in *busy when one is given.
ExchangeResult ExchangeScore(HttpClient& http, const ServerAddress& server, ScoreRecord record,
                             const std::string& recording = {}, std::optional<PendingReplay>* busy = nullptr);

}  // namespace gw::net
