// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/ScoreExchange.h"

#include "net/ScoreProtocol.h"


namespace gw::net {

std::string FifthField(std::string_view reply) {
  std::string_view rest = reply;
  std::string_view field;
  for (int i = 0; i < 5; ++i) {
    const std::size_t bar = rest.find('|');
    if (bar == std::string_view::npos) {
      field = {};
    } else {
      field = rest.substr(0, bar);
      rest = rest.substr(bar + 1);
    }
  }
  return std::string(field);
}

namespace {

// The answers that say "not now" rather than "no": the server's queue of replays is full, or it is not reached.
bool Busy(const HttpError& e) { return e.Status() == 0 || e.Status() == 503 || e.Status() == 429; }

}  // namespace

bool SendReplay(HttpClient& http, const PendingReplay& replay) {
  try {
    http.HttpPost(replay.url, replay.recording);
  } catch (const HttpError& e) {
    return !Busy(e);
  }
  return true;
}

ExchangeResult ExchangeScore(HttpClient& http, const ServerAddress& server, ScoreRecord record,
                             const std::string& recording, std::optional<PendingReplay>* busy) {
  std::string first;
  try {
    first = http.HttpGet(server.Url(kVersionQuery));
  } catch (const HttpError&) {
    return ExchangeResult::Unreachable;
  }
  record.p = FifthField(first);
  try {
    http.HttpGet(server.Url(std::string(kSubmitQuery) + EncodeRecord(record)));
  } catch (const HttpError&) {
    return ExchangeResult::SecondFailed;
  }
  // The field goes into the URL as it stands: only a server's own token of letters and digits is sent back.
  if (!recording.empty() && LettersAndDigits(record.p)) {
    PendingReplay replay{server.Url(std::string(kReplayQuery) + record.p), recording};
    // Refused: the score stands, unverified. Busy: sent again later, when the caller keeps it.
    if (!SendReplay(http, replay) && busy) *busy = std::move(replay);
  }
  return ExchangeResult::Sent;
}

}  // namespace gw::net
