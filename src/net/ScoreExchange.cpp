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

ExchangeResult ExchangeScore(HttpClient& http, const ServerAddress& server, ScoreRecord record) {
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
  return ExchangeResult::Sent;
}

}  // namespace gw::net
