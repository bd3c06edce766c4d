// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scores in a shared PostgreSQL database, so that several server instances behind one address act as one:
// the tokens' key, the scores and the per-address budgets all live in the database. A small pool of
// connections, made as they are first needed and remade after the database went away: once one is found lost,
// every idle one is dropped with it (a restarted database has closed them all), an idle one is checked before
// it is used, and work whose pooled connection turned out dead is done once more on a fresh one.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ScoreStore.h"

struct pg_conn;

namespace gw::scores {

struct PgSettings {
  std::string uri;                                  // a libpq connection URI (postgresql://...)
  int poolSize = 8;                                 // connections at most
  std::chrono::milliseconds waitForConnection{1000};  // how long a request waits for a free connection
  int connectTimeoutS = 2;                          // libpq's connect_timeout, unless the URI sets it
};

// True for the URIs libpq takes that name PostgreSQL: "postgresql://..." and "postgres://...".
bool IsPostgresUri(const std::string& text);

class PgScoreStore final : public ScoreStore {
 public:
  // Connects once and brings the schema to the version this server knows, under a database-wide lock so
  // that instances starting together do it once. Throws StoreError.
  explicit PgScoreStore(PgSettings settings);
  ~PgScoreStore() override;

  AddResult Add(const Submission& submission) override;
  std::vector<ScoreRow> Best(std::int64_t since, int limit, bool verifiedOnly = false) override;
  std::optional<std::string> Recording(std::int64_t id) override;
  std::optional<ReplayClaim> Claim(const std::string& token) override;
  KeepResult KeepReplay(const std::string& token, const ReplayVerdict& verdict) override;
  std::int64_t Count() override;
  void Ping() override;
  std::string Secret() override;
  std::unique_ptr<HourlyBudget> SharedBudget(const std::string& kind, int perHour) override;

  // The schema version this server writes.
  static constexpr int kSchemaVersion = 4;

 private:
  struct ConnDeleter {
    void operator()(pg_conn* c) const;
  };
  using Conn = std::unique_ptr<pg_conn, ConnDeleter>;
  class Lease;
  class Budget;

  Conn Connect() const;
  void Migrate(pg_conn* c) const;
  // Runs `work` on a leased connection; when a connection taken from the pool was lost under it, once more on
  // a fresh one. `work` gets the connection and whether this is the second attempt.
  template <typename Work>
  auto Retrying(Work work);
  // A connection was lost: the idle ones were opened before the loss and are dropped too.
  void LostOne();

  PgSettings settings_;
  std::mutex lock_;
  std::condition_variable freed_;
  std::vector<Conn> idle_;
  int open_ = 0;  // connections made and not lost, idle or leased
};

}  // namespace gw::scores
