// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The score server's answers: the two requests of a submission and the recorded game that may follow them,
// the records page and its JSON twin, the verified entries' recorded games, and the operator's /metrics and
// /healthz. Whatever reads or writes the store is handed back as work for the store's own threads; everything
// else is answered at once.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Http.h"
#include "Metrics.h"
#include "Query.h"
#include "RateLimiter.h"
#include "ScoreStore.h"
#include "Sessions.h"
#include "Tickets.h"
#include "Tokens.h"

namespace gw::scores {

struct ServiceSettings {
  char key = 'G';                     // the letter every record must carry
  int submissionsPerHour = 120;       // per address: submissions that reach the store, and as many refused ones
  std::function<std::int64_t()> now;  // seconds since the epoch; the system clock when empty
  bool playLink = false;              // the records page links to the game's web build (served beside it)
};

class ScoreService final : public HttpHandler {
 public:
  // Reads the signing key from the store. Throws StoreError.
  ScoreService(ScoreStore& store, Metrics& metrics, ServiceSettings settings);

  Reply Handle(const HttpRequest& request) override;

 private:
  Reply Script(const HttpRequest& request, const Query& query);
  HttpResponse Version(const HttpRequest& request);
  HttpResponse Ticket(const HttpRequest& request);
  // The request's session when it is one of ours; else a new one, with the cookie that gives it to the client.
  std::string SessionFor(const HttpRequest& request, HttpResponse& res) const;
  Reply Submit(const HttpRequest& request, const Query& query);
  Reply Replay(const HttpRequest& request, const Query& query);
  // Why the request's session may not use the token; nothing when it may.
  std::optional<HttpResponse> TokenRefusal(const HttpRequest& request, const std::string& token,
                                           std::int64_t now) const;
  // Everything but the replay itself is checked before it runs: a game's frames must fit in the time since its
  // ticket was dealt, which bounds the replay's CPU too.
  HttpResponse Verify(const std::string& token, const std::string& session, const std::string& recording,
                      std::int64_t now);
  // Keeps the verdict (its reason, never a refused recording's bytes) and answers with it.
  HttpResponse Decide(const std::string& token, ReplayVerdict verdict, HttpResponse refusal);
  HttpResponse Refused(const std::string& address, std::int64_t now, HttpResponse refusal);
  HttpResponse Page(bool all);
  Reply Api(const Query& query);
  Reply Recording(const Query& query);
  HttpResponse Health();
  std::int64_t Now() const;

  ScoreStore& store_;
  Metrics& metrics_;
  ServiceSettings settings_;
  std::string secret_;
  TokenSigner tokens_;
  SessionSigner sessions_;
  TicketSigner tickets_;
  // Separate budgets, so that garbage from an address never spends what its honest players may send. Kept in the
  // store when it is shared by several servers; then counting blocks, and submissions are checked on its threads.
  std::unique_ptr<HourlyBudget> submissions_;
  std::unique_ptr<HourlyBudget> refusals_;
  std::unique_ptr<HourlyBudget> replays_;
  bool budgetsInStore_ = false;

  // The records page and the API's answers, made at most once a second whatever the number of readers.
  struct Cached {
    std::int64_t second = 0;
    HttpResponse response;
  };
  HttpResponse CachedRead(const std::string& key, const std::function<HttpResponse()>& make);
  std::mutex cacheLock_;
  std::map<std::string, Cached> cache_;
};

}  // namespace gw::scores
