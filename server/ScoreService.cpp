// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoreService.h"

#include <charconv>
#include <chrono>
#include <limits>

#include "RecordsPage.h"
#include "game/Recording.h"
#include "game/Replay.h"
#include "ScoreCeiling.h"
#include "TextConversion.h"
#include "net/GameTicket.h"
#include "net/ScoreCodec.h"
#include "net/ScoreProtocol.h"
#include "net/ScoreRecord.h"

namespace gw::scores {

namespace {

constexpr std::size_t kMaxLetters = 1024;    // a record of 640 bytes, far more than a real one needs
constexpr std::size_t kMaxNameBytes = 32;    // the game's field holds 10
constexpr std::size_t kMaxCountryBytes = 255;
constexpr int kPageRows = 100;
constexpr std::int64_t kWeek = 7 * 24 * 3600;
constexpr std::string_view kSessionCookie = "gwsid";
// What a game may run beyond the time since its ticket was dealt: the ticket's round trip and a clock's tick.
constexpr std::int64_t kPlaySlackSeconds = 5;
constexpr std::uint32_t kFramesPerSecond = 64;
// The records page: its own inline style, nothing else, and no framing by other sites.
constexpr const char* kPagePolicy =
    "default-src 'none'; style-src 'unsafe-inline'; img-src data:; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'";

// The value of the session cookie, or empty.
std::string_view SessionOf(std::string_view cookies) {
  while (!cookies.empty()) {
    const std::size_t end = cookies.find(';');
    std::string_view pair = cookies.substr(0, end);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    if (pair.size() > kSessionCookie.size() && pair.substr(0, kSessionCookie.size()) == kSessionCookie &&
        pair[kSessionCookie.size()] == '=') {
      return pair.substr(kSessionCookie.size() + 1);
    }
    if (end == std::string_view::npos) break;
    cookies.remove_prefix(end + 1);
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

HttpResponse Text(std::string body) {
  HttpResponse res;
  res.body = std::move(body);
  return res;
}

HttpResponse NoCache(HttpResponse res) {
  res.headers.emplace_back("Cache-Control", "no-cache");
  return res;
}

}  // namespace

ScoreService::ScoreService(ScoreStore& store, Metrics& metrics, ServiceSettings settings)
    : store_(store),
      metrics_(metrics),
      settings_(std::move(settings)),
      secret_(store.Secret()),
      tokens_(secret_),
      sessions_(secret_),
      tickets_(secret_),
      submissions_(store.SharedBudget("submissions", settings_.submissionsPerHour)),
      refusals_(store.SharedBudget("refusals", settings_.submissionsPerHour)),
      replays_(store.SharedBudget("replays", settings_.submissionsPerHour)),
      budgetsInStore_(submissions_ != nullptr) {
  if (!submissions_) submissions_ = std::make_unique<RateLimiter>(settings_.submissionsPerHour);
  if (!refusals_) refusals_ = std::make_unique<RateLimiter>(settings_.submissionsPerHour);
  if (!replays_) replays_ = std::make_unique<RateLimiter>(settings_.submissionsPerHour);
}

HttpResponse ScoreService::CachedRead(const std::string& key, const std::function<HttpResponse()>& make) {
  const std::int64_t now = Now();
  {
    std::lock_guard guard(cacheLock_);
    const auto it = cache_.find(key);
    if (it != cache_.end() && it->second.second == now) return it->second.response;
  }
  // Readers that miss together may each make it once; the store answers them all the same.
  HttpResponse fresh = make();
  std::lock_guard guard(cacheLock_);
  cache_[key] = {now, fresh};
  return fresh;
}

std::int64_t ScoreService::Now() const {
  if (settings_.now) return settings_.now();
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

Reply ScoreService::Handle(const HttpRequest& request) {
  const auto query = Query::Parse(request.target);
  const bool replayPath = query && query->Path() == net::kReplayPath;
  if (replayPath && request.method == "POST") return Replay(request, *query);
  if (request.method != "GET" || replayPath) {
    HttpResponse res = Refusal(405, "method", "method not served here\n");
    res.headers.emplace_back("Allow", replayPath ? "POST" : "GET");
    return res;
  }
  if (!query) return Refusal(400, "bad_target", "malformed request target\n");
  const std::string& path = query->Path();
  if (path == net::kScoreScript) return Script(request, *query);
  if (path == net::kTicketPath) {
    if (query->Value("prg") != net::kScoreProgram) return Refusal(400, "unknown_program", "unknown program\n");
    return Ticket(request);
  }
  const bool all = query->Value("all") == "1";
  if (path == "/") return StoreWork([this, all] { return Page(all); });
  if (path == "/api/scores") return Api(*query);
  if (path == "/api/recording") return Recording(*query);
  if (path == "/metrics") {
    HttpResponse res = Text(metrics_.Text());
    res.contentType = "text/plain; version=0.0.4; charset=utf-8";
    return res;
  }
  if (path == "/healthz") return StoreWork([this] { return Health(); });
  return Refusal(404, "not_found", "not found\n");
}

Reply ScoreService::Script(const HttpRequest& request, const Query& query) {
  if (query.Value("prg") != net::kScoreProgram) return Refusal(400, "unknown_program", "unknown program\n");
  if (query.Has("version")) return Version(request);
  if (query.Has("hs")) {
    if (!budgetsInStore_) return Submit(request, query);
    return StoreWork([this, request, query] {
      Reply reply = Submit(request, query);
      if (auto* work = std::get_if<StoreWork>(&reply)) return (*work)();
      return std::get<HttpResponse>(std::move(reply));
    });
  }
  if (query.Has("show")) return StoreWork([this, all = query.Value("all") == "1"] { return Page(all); });
  return Refusal(400, "unknown_request", "unknown request\n");
}

std::string ScoreService::SessionFor(const HttpRequest& request, HttpResponse& res) const {
  std::string session(SessionOf(request.cookie));
  if (!sessions_.Ours(session)) {
    session = sessions_.Issue();
    res.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) + "=" + session + "; Path=/; HttpOnly; SameSite=Lax");
  }
  return session;
}

HttpResponse ScoreService::Version(const HttpRequest& request) {
  HttpResponse res;
  const std::string session = SessionFor(request, res);
  // Six fields; the game echoes the fifth, the one-time token.
  res.body = "GromWumbler|1.0|ok|0|" + tokens_.Issue(session, Now()) + "|end";
  return res;
}

HttpResponse ScoreService::Ticket(const HttpRequest& request) {
  HttpResponse res;
  const std::string session = SessionFor(request, res);
  res.body = net::TicketAnswer(tickets_.Issue(session, Now()));
  return NoCache(std::move(res));
}

HttpResponse ScoreService::Refused(const std::string& address, std::int64_t now, HttpResponse refusal) {
  if (!refusals_->Allow(address, now)) return Refusal(429, "refusal_budget", "too many refused submissions from this address\n");
  return refusal;
}

std::optional<HttpResponse> ScoreService::TokenRefusal(const HttpRequest& request, const std::string& token,
                                                       std::int64_t now) const {
  const std::string session(SessionOf(request.cookie));
  if (session.empty()) return Refusal(403, "no_session", "no session\n");
  if (!sessions_.Ours(session)) return Refusal(403, "unknown_session", "session not issued here\n");
  switch (tokens_.Verify(token, session, now)) {
    case TokenCheck::Valid: return std::nullopt;
    case TokenCheck::Malformed: return Refusal(403, "unknown_token", "unknown token\n");
    case TokenCheck::OtherSession: return Refusal(403, "other_session", "token not issued to this session\n");
    case TokenCheck::Expired: return Refusal(403, "token_expired", "token expired\n");
  }
  return Refusal(403, "unknown_token", "unknown token\n");
}

Reply ScoreService::Submit(const HttpRequest& request, const Query& query) {
  const std::int64_t now = Now();
  const std::string& address = request.address;
  const auto refuse = [&](int status, const char* code, const char* text) {
    return Refused(address, now, Refusal(status, code, text));
  };
  const std::string letters = query.Value("inf");
  if (letters.size() > kMaxLetters) return refuse(414, "record_too_long", "record too long\n");
  const auto bytes = net::LettersToBytes(letters);
  if (!bytes || bytes->empty()) return refuse(400, "not_letters", "record is not in the score alphabet\n");
  const auto record = net::ParseRecord(*bytes);
  if (!record) return refuse(400, "malformed_record", "malformed record\n");
  if (record->key != settings_.key) return refuse(403, "wrong_key", "wrong key\n");
  if (record->score < 0 || record->score > kHighestScore) {
    return refuse(400, "implausible_score", "no game can make this score\n");
  }
  if (record->name.size() > kMaxNameBytes || record->country.size() > kMaxCountryBytes) {
    return refuse(400, "text_too_long", "name or country too long\n");
  }
  if (HasControlBytes(record->name) || HasControlBytes(record->country)) {
    return refuse(400, "control_characters", "control characters in name or country\n");
  }
  const auto name = Cp1251ToUtf8(record->name);
  const auto country = Cp1251ToUtf8(record->country);
  if (!name || !country) return refuse(400, "not_cp1251", "name or country is not Windows-1251 text\n");

  if (auto refusal = TokenRefusal(request, record->p, now)) return Refused(address, now, std::move(*refusal));
  // What reaches the store spends the address's submissions, a replayed token included, so that no one can
  // make the store work without bound.
  if (!submissions_->Allow(address, now)) {
    return Refusal(429, "submission_budget", "too many submissions from this address\n");
  }
  return StoreWork([this, submission = Submission{*name, *country, record->score, now, record->p, address}] {
    if (store_.Add(submission) == AddResult::TokenUsed) return Refusal(403, "token_used", "token already used\n");
    metrics_.Stored();
    return Text("OK\n");
  });
}

Reply ScoreService::Replay(const HttpRequest& request, const Query& query) {
  const std::int64_t now = Now();
  const std::string& address = request.address;
  const auto refuse = [&](int status, const char* code, const char* text) {
    return Refused(address, now, Refusal(status, code, text));
  };
  if (request.body.empty()) return refuse(400, "replay_empty", "no recording\n");
  if (request.body.size() > game::kMaxRecordingBytes) return refuse(413, "replay_too_large", "recording too large\n");
  const std::string token = query.Value("token");
  if (auto refusal = TokenRefusal(request, token, now)) return Refused(address, now, std::move(*refusal));
  // A replay costs some CPU: each address has its hour's share, as for submissions.
  if (!replays_->Allow(address, now)) return Refusal(429, "replay_budget", "too many replays from this address\n");
  return VerifyWork{[this, token, session = std::string(SessionOf(request.cookie)), recording = request.body, now] {
    return Verify(token, session, recording, now);
  }};
}

HttpResponse ScoreService::Decide(const std::string& token, ReplayVerdict verdict, HttpResponse refusal) {
  verdict.reason = verdict.verified ? std::string() : refusal.refusal;
  if (!verdict.verified) verdict.recording.clear();
  KeepResult kept = store_.KeepReplay(token, verdict);
  if (kept == KeepResult::TicketUsed) {
    // Another entry's game used this ticket: this entry is refused for it, and keeps no ticket.
    refusal = Refusal(409, "ticket_used", "this game ticket was used before\n");
    verdict = {false, verdict.level, {}, {}, refusal.refusal};
    kept = store_.KeepReplay(token, verdict);
  }
  if (kept == KeepResult::Decided) return Refusal(409, "replay_again", "this score's game was sent before\n");
  if (!verdict.verified) return refusal;
  metrics_.Verified();
  return Text("verified\n");
}

HttpResponse ScoreService::Verify(const std::string& token, const std::string& session, const std::string& stored,
                                  std::int64_t now) {
  const std::optional<ReplayClaim> claim = store_.Claim(token);
  if (!claim) return Refusal(404, "replay_no_entry", "no score was stored with this token\n");
  if (claim->replayed) return Refusal(409, "replay_again", "this score's game was sent before\n");
  ReplayVerdict verdict;
  game::Recording recording;
  try {
    recording = game::DecodeRecording({reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size()});
  } catch (const game::OldFormRecording&) {
    return Decide(token, verdict,
                  Refusal(422, "replay_old_form", "a recording of the old form, which chose its own luck\n"));
  } catch (const game::RecordingError&) {
    return Decide(token, verdict, Refusal(422, "replay_invalid", "the recording is not a game this server can play\n"));
  }
  const CheckedTicket ticket = tickets_.Check(recording.ticket, session, now);
  switch (ticket.check) {
    case TicketCheck::Valid: break;
    case TicketCheck::Unknown:
      return Decide(token, verdict, Refusal(403, "ticket_unknown", "the game ticket was not dealt here\n"));
    case TicketCheck::OtherSession:
      return Decide(token, verdict,
                    Refusal(403, "ticket_other_session", "the game ticket was dealt to another session\n"));
    case TicketCheck::Expired:
      return Decide(token, verdict, Refusal(403, "ticket_expired", "the game ticket has expired\n"));
  }
  // A ticket of ours, for this session: whatever the verdict from here on, it uses the ticket up.
  verdict.ticket = recording.ticket;
  // No faster than real time: checked before the replay, so its frames are bounded by the ticket's age.
  if (recording.frames / kFramesPerSecond > now - ticket.issued + kPlaySlackSeconds) {
    return Decide(token, verdict,
                  Refusal(422, "replay_too_fast", "the game is longer than the time since its ticket\n"));
  }
  // The seed is the one dealt, whatever the recording carries.
  recording.seed = ticket.seed;
  try {
    const game::ReplayOutcome out = game::ReplayGame(recording);
    verdict.level = out.level;
    if (out.score != claim->score) {
      return Decide(token, verdict, Refusal(422, "replay_score", "the game ends with another score\n"));
    }
  } catch (const game::RecordingError&) {
    return Decide(token, verdict, Refusal(422, "replay_invalid", "the recording is not a game this server can play\n"));
  }
  verdict.verified = true;
  // Kept with its seed: the ticket is used up, and anyone may now watch the game as it was played.
  const std::vector<std::uint8_t> watchable = game::EncodeRecording(recording);
  verdict.recording.assign(watchable.begin(), watchable.end());
  return Decide(token, verdict, {});
}

HttpResponse ScoreService::Page(bool all) {
  return CachedRead(all ? "page/all" : "page", [this, all] {
    const std::int64_t now = Now();
    HttpResponse res = NoCache(Text(RecordsPageHtml(store_.Best(now - kWeek, kPageRows, !all),
                                                    store_.Best(std::numeric_limits<std::int64_t>::min(), kPageRows, !all),
                                                    now, settings_.playLink)));
    res.contentType = "text/html; charset=utf-8";
    res.headers.emplace_back("Content-Security-Policy", kPagePolicy);
    res.headers.emplace_back("X-Content-Type-Options", "nosniff");
    return res;
  });
}

Reply ScoreService::Api(const Query& query) {
  const std::string period = query.Has("period") ? query.Value("period") : "all";
  if (period != "week" && period != "all") return Refusal(400, "bad_query", "period must be week or all\n");
  int limit = kPageRows;
  if (query.Has("limit")) {
    const std::string text = query.Value("limit");
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), limit);
    if (ec != std::errc() || end != text.data() + text.size() || limit < 1 || limit > kPageRows) {
      return Refusal(400, "bad_query", "limit must be 1 to 100\n");
    }
  }
  const std::int64_t since = period == "week" ? Now() - kWeek : std::numeric_limits<std::int64_t>::min();
  // Verified entries only, unless every entry is asked for.
  const bool all = query.Value("all") == "1";
  return StoreWork([this, period, since, limit, all] {
    return CachedRead(period + "/" + std::to_string(limit) + (all ? "/all" : ""), [this, since, limit, all] {
      HttpResponse res = NoCache(Text(ScoresJson(store_.Best(since, limit, !all))));
      res.contentType = "application/json";
      return res;
    });
  });
}

Reply ScoreService::Recording(const Query& query) {
  // Digits only: from_chars alone would take a minus sign.
  const std::string text = query.Value("id");
  std::int64_t id = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || text.front() < '0' || text.front() > '9' || ec != std::errc() ||
      end != text.data() + text.size()) {
    return Refusal(400, "bad_id", "id must be an entry's number\n");
  }
  return StoreWork([this, id] {
    std::optional<std::string> recording = store_.Recording(id);
    if (!recording) return Refusal(404, "no_recording", "no verified entry has this id\n");
    HttpResponse res = Text(std::move(*recording));
    res.contentType = "application/octet-stream";
    // A verified entry's recording is kept as it came and never replaced.
    res.headers.emplace_back("Cache-Control", "public, max-age=31536000, immutable");
    res.headers.emplace_back("X-Content-Type-Options", "nosniff");
    return res;
  });
}

HttpResponse ScoreService::Health() {
  try {
    store_.Ping();
  } catch (const StoreError&) {
    return Refusal(503, "unhealthy", "the score store does not answer\n");
  }
  return NoCache(Text("ok\n"));
}

}  // namespace gw::scores
