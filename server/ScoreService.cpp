// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoreService.h"

#include <httplib.h>

#include <charconv>
#include <chrono>
#include <iostream>
#include <limits>

#include "RecordsPage.h"
#include "TextConversion.h"
#include "net/ScoreCodec.h"
#include "net/ScoreProtocol.h"
#include "net/ScoreRecord.h"

namespace gw::scores {

namespace {

constexpr std::size_t kMaxLetters = 1024;    // a record of 640 bytes, far more than a real one needs
constexpr std::size_t kMaxNameBytes = 32;    // the game's field holds 10
constexpr std::size_t kMaxCountryBytes = 255;
constexpr std::size_t kSessionHex = 32;
constexpr int kPageRows = 100;
constexpr std::int64_t kWeek = 7 * 24 * 3600;
constexpr const char* kSessionCookie = "gwsid";
constexpr const char* kPlain = "text/plain; charset=utf-8";

void Refuse(httplib::Response& res, int status, const char* reason) {
  res.status = status;
  res.set_content(reason, kPlain);
}

// The session named by the request's cookie, or empty.
std::string SessionOf(const httplib::Request& req) {
  const std::string cookies = req.get_header_value("Cookie");
  const std::string wanted = std::string(kSessionCookie) + "=";
  std::size_t at = 0;
  while (at < cookies.size()) {
    while (at < cookies.size() && (cookies[at] == ' ' || cookies[at] == ';')) ++at;
    std::size_t end = cookies.find(';', at);
    if (end == std::string::npos) end = cookies.size();
    if (cookies.compare(at, wanted.size(), wanted) == 0) {
      std::string value = cookies.substr(at + wanted.size(), end - at - wanted.size());
      const bool valid = value.size() == kSessionHex && value.find_first_not_of("0123456789abcdef") == std::string::npos;
      return valid ? value : std::string();
    }
    at = end;
  }
  return {};
}

bool HasControlBytes(const std::string& text) {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return true;
  }
  return false;
}

}  // namespace

ScoreService::ScoreService(ScoreStore& store, ServiceSettings settings)
    : store_(store), settings_(std::move(settings)), signer_(store.Secret()), limiter_(settings_.submissionsPerHour) {}

std::int64_t ScoreService::Now() const {
  if (settings_.now) return settings_.now();
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void ScoreService::Install(httplib::Server& server) {
  const int threads = settings_.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
  // Only GETs are served: no body is ever needed, and slow or idle clients do not hold a worker for long.
  server.set_payload_max_length(1024);
  server.set_tcp_nodelay(true);  // a reply's head and body go out in separate writes
  server.set_read_timeout(5, 0);
  server.set_write_timeout(5, 0);
  server.set_keep_alive_timeout(2);
  server.set_keep_alive_max_count(1000);
  server.Get(std::string(net::kScoreScript), [this](const httplib::Request& req, httplib::Response& res) {
    Script(req, res);
  });
  server.Get("/", [this](const httplib::Request&, httplib::Response& res) { Page(res); });
  server.Get("/api/scores", [this](const httplib::Request& req, httplib::Response& res) { Api(req, res); });
  server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr e) {
    try {
      if (e) std::rethrow_exception(e);
    } catch (const std::exception& error) {
      std::cerr << "gromwumbler-scores: " << error.what() << "\n";
    }
    Refuse(res, 503, "the score store is not available\n");
  });
}

void ScoreService::Script(const httplib::Request& req, httplib::Response& res) {
  if (req.get_param_value("prg") != net::kScoreProgram) return Refuse(res, 400, "unknown program\n");
  if (req.has_param("version")) return Version(req, res);
  if (req.has_param("hs")) return Submit(req, res);
  if (req.has_param("show")) return Page(res);
  Refuse(res, 400, "unknown request\n");
}

void ScoreService::Version(const httplib::Request& req, httplib::Response& res) {
  std::string session = SessionOf(req);
  if (session.empty()) {
    session = RandomHex(kSessionHex / 2);
    res.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + session + "; Path=/; HttpOnly; SameSite=Lax");
  }
  // Six fields; the game echoes the fifth, the one-time token.
  res.set_content("GromWumbler|1.0|ok|0|" + signer_.Issue(session, Now()) + "|end", kPlain);
}

void ScoreService::Submit(const httplib::Request& req, httplib::Response& res) {
  const std::int64_t now = Now();
  if (!limiter_.Allow(req.remote_addr, now)) return Refuse(res, 429, "too many submissions from this address\n");
  const std::string letters = req.get_param_value("inf");
  if (letters.size() > kMaxLetters) return Refuse(res, 414, "record too long\n");
  const auto bytes = net::LettersToBytes(letters);
  if (!bytes || bytes->empty()) return Refuse(res, 400, "record is not in the score alphabet\n");
  const auto record = net::ParseRecord(*bytes);
  if (!record) return Refuse(res, 400, "malformed record\n");
  if (record->key != settings_.key) return Refuse(res, 403, "wrong key\n");
  if (record->name.size() > kMaxNameBytes || record->country.size() > kMaxCountryBytes) {
    return Refuse(res, 400, "name or country too long\n");
  }
  if (HasControlBytes(record->name) || HasControlBytes(record->country)) {
    return Refuse(res, 400, "control characters in name or country\n");
  }
  const auto name = Cp1251ToUtf8(record->name);
  const auto country = Cp1251ToUtf8(record->country);
  if (!name || !country) return Refuse(res, 400, "name or country is not Windows-1251 text\n");

  const std::string session = SessionOf(req);
  if (session.empty()) return Refuse(res, 403, "no session\n");
  switch (signer_.Verify(record->p, session, now)) {
    case TokenCheck::Valid: break;
    case TokenCheck::Malformed: return Refuse(res, 403, "unknown token\n");
    case TokenCheck::OtherSession: return Refuse(res, 403, "token not issued to this session\n");
    case TokenCheck::Expired: return Refuse(res, 403, "token expired\n");
  }
  const Submission submission{*name, *country, record->score, now, record->p, req.remote_addr};
  if (store_.Add(submission) == AddResult::TokenUsed) return Refuse(res, 403, "token already used\n");
  res.set_content("OK\n", kPlain);
}

void ScoreService::Page(httplib::Response& res) {
  const std::int64_t now = Now();
  res.set_header("Cache-Control", "no-cache");
  res.set_content(RecordsPageHtml(store_.Best(now - kWeek, kPageRows), store_.Best(std::numeric_limits<std::int64_t>::min(), kPageRows), now),
                  "text/html; charset=utf-8");
}

void ScoreService::Api(const httplib::Request& req, httplib::Response& res) {
  const std::string period = req.has_param("period") ? req.get_param_value("period") : "all";
  if (period != "week" && period != "all") return Refuse(res, 400, "period must be week or all\n");
  int limit = kPageRows;
  if (req.has_param("limit")) {
    const std::string text = req.get_param_value("limit");
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), limit);
    if (ec != std::errc() || end != text.data() + text.size() || limit < 1 || limit > kPageRows) {
      return Refuse(res, 400, "limit must be 1 to 100\n");
    }
  }
  const std::int64_t since = period == "week" ? Now() - kWeek : std::numeric_limits<std::int64_t>::min();
  res.set_header("Cache-Control", "no-cache");
  res.set_content(ScoresJson(store_.Best(since, limit)), "application/json");
}

}  // namespace gw::scores
