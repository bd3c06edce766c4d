// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/HeavyReplays.h"

#include <httplib.h>

#include "game/Recording.h"
#include "net/GameTicket.h"
#include "net/ScoreCodec.h"
#include "net/ScoreExchange.h"
#include "net/ScoreProtocol.h"

namespace gw::test {

namespace {

// Level 40: about a million frames, some five hours of play, all of it replayed for each copy sent.
constexpr std::uint8_t kQuitOnLevel = 40;

}  // namespace

HeavySession::HeavySession(std::uint16_t port) : port_(port) {
  httplib::Client c("127.0.0.1", port);
  const auto res = c.Get(std::string(net::kTicketQuery));
  if (!res) throw std::runtime_error("no ticket from the score server");
  const std::string set = res->get_header_value("Set-Cookie");
  cookie_ = set.substr(0, set.find(';'));
  ticket_ = net::ParseTicketAnswer(res->body).value();
  game_ = PlayScripted({Style::Catcher, ticket_.seed, "", "", 0, kQuitOnLevel, ticket_.id});
  game::Recording sent = game_.recording;
  sent.seed.reset();
  const std::vector<std::uint8_t> bytes = game::EncodeRecording(sent);
  recording_.assign(bytes.begin(), bytes.end());
}

int HeavySession::Send(std::int32_t score, const std::string& recording) const {
  httplib::Client c("127.0.0.1", port_);
  c.set_read_timeout(60, 0);
  const httplib::Headers cookie{{"Cookie", cookie_}};
  const auto version = c.Get(std::string(net::kVersionQuery), cookie);
  if (!version) return 0;
  net::ScoreRecord record{"Heavy", score, 'G', "", ""};
  record.p = net::FifthField(version->body);
  if (!c.Get(std::string(net::kSubmitQuery) + net::EncodeRecord(record), cookie)) return 0;
  const auto res = c.Post(std::string(net::kReplayQuery) + record.p, cookie, recording, "application/octet-stream");
  if (!res) return 0;
  // A busy server must say when to come back.
  if (res->status == 503 && res->get_header_value("Retry-After").empty()) return -503;
  return res->status;
}

}  // namespace gw::test
