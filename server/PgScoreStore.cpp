// SPDX-License-Identifier: GPL-3.0-or-later
#include "PgScoreStore.h"

#include <libpq-fe.h>
#include <poll.h>
#include <openssl/rand.h>

#include <array>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <utility>

namespace gw::scores {

namespace {

// The key of the database-wide lock taken while the schema is made or changed: any fixed number that no other
// program on the same database uses ("GWscores").
constexpr long long kSchemaLockKey = 0x4757'7363'6f72'6573LL;

// Every statement of the schema's first version; later versions append their own steps.
constexpr const char* kSchemaV1 = R"sql(
CREATE TABLE scores (
  id      bigserial PRIMARY KEY,
  name    text    NOT NULL,
  country text    NOT NULL,
  score   integer NOT NULL,
  time    bigint  NOT NULL,
  token   text    NOT NULL UNIQUE,
  address text    NOT NULL
);
CREATE INDEX scores_by_score ON scores (score DESC, time);
CREATE INDEX scores_by_time ON scores (time);
CREATE TABLE settings (name text PRIMARY KEY, value bytea NOT NULL);
)sql";

// Version 2: the per-address hourly budgets, shared by every server over the database.
constexpr const char* kSchemaV2 = R"sql(
CREATE TABLE budgets (
  kind    text    NOT NULL,
  address text    NOT NULL,
  hour    bigint  NOT NULL,
  spent   integer NOT NULL,
  PRIMARY KEY (kind, address, hour)
);
)sql";

// Version 3: each entry's replay (0 none yet, 1 verified, 2 refused), the level it ended on and its recording.
constexpr const char* kSchemaV3 = R"sql(
ALTER TABLE scores ADD COLUMN replay smallint NOT NULL DEFAULT 0;
ALTER TABLE scores ADD COLUMN level integer;
ALTER TABLE scores ADD COLUMN recording bytea;
CREATE INDEX scores_verified_by_score ON scores (score DESC, time) WHERE replay = 1;
)sql";

// Version 4: the game ticket an entry's replay used up (each only once) and why a replay was refused; a refused
// recording is no longer kept.
constexpr const char* kSchemaV4 = R"sql(
ALTER TABLE scores ADD COLUMN ticket text UNIQUE;
ALTER TABLE scores ADD COLUMN replay_reason text;
UPDATE scores SET recording = NULL WHERE replay = 2;
)sql";

constexpr int kReplayVerified = 1, kReplayRefused = 2;

constexpr std::int64_t kHour = 3600;

struct ResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

std::string Message(pg_conn* c) {
  std::string text = PQerrorMessage(c);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// Runs one statement with its parameters as text; throws StoreError unless it succeeded.
// Results come as text unless asked for in binary (kBinaryResult).
constexpr int kBinaryResult = 1;
Result Run(pg_conn* c, const char* sql, std::initializer_list<const std::string*> params = {}, int resultFormat = 0) {
  std::vector<const char*> values;
  std::vector<int> lengths;
  for (const std::string* p : params) {
    values.push_back(p->data());
    lengths.push_back(static_cast<int>(p->size()));
  }
  Result r(PQexecParams(c, sql, static_cast<int>(values.size()), nullptr, values.data(), lengths.data(), nullptr,
                        resultFormat));
  const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) throw StoreError(Message(c));
  return r;
}

// Runs several statements in one go (no parameters allowed there).
void RunScript(pg_conn* c, const char* sql) {
  Result r(PQexec(c, sql));
  if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK) throw StoreError(Message(c));
}

std::int64_t ToInt64(const PGresult* r, int row, int column) {
  const char* text = PQgetvalue(r, row, column);
  std::int64_t value = 0;
  std::from_chars(text, text + PQgetlength(r, row, column), value);
  return value;
}

std::string Value(const PGresult* r, int row, int column) {
  return std::string(PQgetvalue(r, row, column), static_cast<std::size_t>(PQgetlength(r, row, column)));
}

// An idle connection the server has closed (a restart, an administrator) has said so already: its socket
// holds the farewell or the end of the stream. Looked at without a round trip, so the check costs nothing.
bool StillOpen(pg_conn* c) {
  pollfd p{PQsocket(c), POLLIN, 0};
  if (p.fd < 0) return false;
  if (::poll(&p, 1, 0) > 0 && PQconsumeInput(c) == 0) return false;
  return PQstatus(c) == CONNECTION_OK;
}

}  // namespace

bool IsPostgresUri(const std::string& text) {
  return text.starts_with("postgresql://") || text.starts_with("postgres://");
}

void PgScoreStore::ConnDeleter::operator()(pg_conn* c) const { PQfinish(c); }

// One connection taken from the pool for one piece of work. A connection that broke under it is not given back:
// the next lease makes a fresh one, which is how the store reconnects after the database went away.
class PgScoreStore::Lease {
 public:
  explicit Lease(PgScoreStore& store) : store_(store) {
    std::unique_lock lock(store.lock_);
    while (true) {
      const bool free = store.freed_.wait_for(lock, store.settings_.waitForConnection, [&] {
        return !store.idle_.empty() || store.open_ < store.settings_.poolSize;
      });
      if (!free) throw StoreError("no free database connection");
      if (store.idle_.empty()) break;
      Conn idle = std::move(store.idle_.back());
      store.idle_.pop_back();
      if (StillOpen(idle.get())) {
        conn_ = std::move(idle);
        reused_ = true;
        return;
      }
      --store.open_;
      lock.unlock();
      idle.reset();
      store.LostOne();
      lock.lock();
    }
    ++store.open_;
    lock.unlock();
    try {
      conn_ = store.Connect();
    } catch (...) {
      Drop();
      throw;
    }
  }
  ~Lease() {
    if (!conn_) return;
    if (Lost() || PQtransactionStatus(conn_.get()) != PQTRANS_IDLE) {
      const bool lost = Lost();
      conn_.reset();
      Drop();
      if (lost) store_.LostOne();
      return;
    }
    std::lock_guard lock(store_.lock_);
    store_.idle_.push_back(std::move(conn_));
    store_.freed_.notify_one();
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;

  pg_conn* get() const { return conn_.get(); }
  // Taken from the pool rather than made for this lease.
  bool Reused() const { return reused_; }
  bool Lost() const { return PQstatus(conn_.get()) != CONNECTION_OK; }

 private:
  void Drop() {
    std::lock_guard lock(store_.lock_);
    --store_.open_;
    store_.freed_.notify_one();
  }

  PgScoreStore& store_;
  Conn conn_;
  bool reused_ = false;
};

void PgScoreStore::LostOne() {
  std::vector<Conn> stale;
  {
    std::lock_guard lock(lock_);
    stale.swap(idle_);
    open_ -= static_cast<int>(stale.size());
    freed_.notify_all();
  }
  // Closed outside the lock: a close may wait on the network.
}

// A pooled connection may have died while it sat idle, in a way no look at its socket shows until a statement
// is sent on it. Such a statement never ran, or ran and was rolled back with the connection, or (the one doubtful
// case: the answer to a commit lost on its way) ran whole; every caller's work is written so that a second
// run after the first does no harm.
template <typename Work>
auto PgScoreStore::Retrying(Work work) {
  for (bool again = false;; again = true) {
    Lease lease(*this);
    try {
      return work(lease.get(), again);
    } catch (const StoreError&) {
      if (again || !lease.Reused() || !lease.Lost()) throw;
    }
  }
}

PgScoreStore::Conn PgScoreStore::Connect() const {
  const std::string timeout = std::to_string(settings_.connectTimeoutS);
  // Ours first, then the URI (which may override the time-out), then what this server relies on whatever the
  // URI says: UTF-8 texts, and every commit on disk before it returns.
  const std::array<const char*, 6> keys{"connect_timeout", "dbname", "client_encoding", "options",
                                        "application_name", nullptr};
  const std::array<const char*, 6> values{timeout.c_str(), settings_.uri.c_str(), "UTF8",
                                          "-c synchronous_commit=on", "gromwumbler-scores", nullptr};
  Conn c(PQconnectdbParams(keys.data(), values.data(), 1));
  if (!c) throw StoreError("cannot connect to the database: out of memory");
  if (PQstatus(c.get()) != CONNECTION_OK) throw StoreError("cannot connect to the database: " + Message(c.get()));
  // The server's notices ("already exists, skipping") are not the operator's business; errors come as errors.
  PQsetNoticeProcessor(c.get(), [](void*, const char*) {}, nullptr);
  return c;
}

void PgScoreStore::Migrate(pg_conn* c) const {
  // The lock is held to the end of the transaction: instances that start together wait here in turn, and
  // each finds the schema the first one made.
  Run(c, "BEGIN");
  try {
    const std::string key = std::to_string(kSchemaLockKey);
    Run(c, "SELECT pg_advisory_xact_lock($1::bigint)", {&key});
    Run(c, "CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL)");
    Result r = Run(c, "SELECT coalesce(max(version), 0) FROM schema_version");
    const std::int64_t version = ToInt64(r.get(), 0, 0);
    if (version > kSchemaVersion) {
      throw StoreError("the database's schema is version " + std::to_string(version) + ", newer than this server's " +
                       std::to_string(kSchemaVersion) + "; update the server");
    }
    if (version < 1) RunScript(c, kSchemaV1);
    if (version < 2) RunScript(c, kSchemaV2);
    if (version < 3) RunScript(c, kSchemaV3);
    if (version < 4) RunScript(c, kSchemaV4);
    if (version < kSchemaVersion) {
      const std::string now = std::to_string(kSchemaVersion);
      Run(c, "DELETE FROM schema_version");
      Run(c, "INSERT INTO schema_version (version) VALUES ($1::integer)", {&now});
    }
    Run(c, "COMMIT");
  } catch (...) {
    PQclear(PQexec(c, "ROLLBACK"));
    throw;
  }
}

PgScoreStore::PgScoreStore(PgSettings settings) : settings_(std::move(settings)) {
  if (settings_.poolSize < 1) throw StoreError("the database pool needs at least one connection");
  Lease lease(*this);
  Migrate(lease.get());
}

PgScoreStore::~PgScoreStore() = default;

AddResult PgScoreStore::Add(const Submission& s) {
  const std::string score = std::to_string(s.score);
  const std::string time = std::to_string(s.time);
  return Retrying([&](pg_conn* c, bool again) {
    // One statement is one transaction: with synchronous commit it is on disk when the answer comes back.
    Result r = Run(c,
                   "INSERT INTO scores (name, country, score, time, token, address) VALUES ($1, $2, $3, $4, $5, $6) "
                   "ON CONFLICT (token) DO NOTHING",
                   {&s.name, &s.country, &score, &time, &s.token, &s.address});
    if (std::string_view(PQcmdTuples(r.get())) == "1") return AddResult::Stored;
    if (!again) return AddResult::TokenUsed;
    // The first attempt may have been committed before its connection died: then the token's row is this very
    // submission, which is stored (once), not a second use of its token.
    Result mine = Run(c,
                      "SELECT 1 FROM scores WHERE token = $5 AND name = $1 AND country = $2 AND score = $3 "
                      "AND time = $4 AND address = $6",
                      {&s.name, &s.country, &score, &time, &s.token, &s.address});
    return PQntuples(mine.get()) == 1 ? AddResult::Stored : AddResult::TokenUsed;
  });
}

std::vector<ScoreRow> PgScoreStore::Best(std::int64_t since, int limit, bool verifiedOnly) {
  const std::string from = std::to_string(since);
  const std::string count = std::to_string(limit);
  const std::string only = verifiedOnly ? "1" : "0";
  Result r = Retrying([&](pg_conn* c, bool) {
    return Run(c,
               "SELECT name, country, score, time, replay, id FROM scores WHERE time >= $1 AND ($3 = 0 OR replay = 1) "
               "ORDER BY score DESC, time, id LIMIT $2",
               {&from, &count, &only});
  });
  std::vector<ScoreRow> rows;
  const int n = PQntuples(r.get());
  rows.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const bool verified = ToInt64(r.get(), i, 4) == kReplayVerified;
    rows.push_back({Value(r.get(), i, 0), Value(r.get(), i, 1), static_cast<std::int32_t>(ToInt64(r.get(), i, 2)),
                    ToInt64(r.get(), i, 3), verified, verified ? ToInt64(r.get(), i, 5) : 0});
  }
  return rows;
}

std::optional<std::string> PgScoreStore::Recording(std::int64_t id) {
  const std::string key = std::to_string(id);
  // Asked for in binary: the recording's bytes as they are, not bytea's hex text of twice the size.
  Result r = Retrying([&](pg_conn* c, bool) {
    return Run(c, "SELECT recording FROM scores WHERE id = $1::bigint AND replay = 1 AND recording IS NOT NULL",
               {&key}, kBinaryResult);
  });
  if (PQntuples(r.get()) != 1) return std::nullopt;
  return Value(r.get(), 0, 0);
}

std::optional<ReplayClaim> PgScoreStore::Claim(const std::string& token) {
  Result r = Retrying([&](pg_conn* c, bool) {
    return Run(c, "SELECT name, country, score, replay FROM scores WHERE token = $1", {&token});
  });
  if (PQntuples(r.get()) != 1) return std::nullopt;
  return ReplayClaim{Value(r.get(), 0, 0), Value(r.get(), 0, 1), static_cast<std::int32_t>(ToInt64(r.get(), 0, 2)),
                     ToInt64(r.get(), 0, 3) != 0};
}

KeepResult PgScoreStore::KeepReplay(const std::string& token, const ReplayVerdict& verdict) {
  const std::string replay = std::to_string(verdict.verified ? kReplayVerified : kReplayRefused);
  const std::string level = std::to_string(verdict.level);
  // The recording goes as one binary parameter: no text form of it to build and parse. What is not there is NULL.
  const auto orNull = [](const std::string& v) { return v.empty() ? nullptr : v.data(); };
  const char* values[] = {token.data(), replay.data(), level.data(), orNull(verdict.recording), orNull(verdict.ticket),
                          orNull(verdict.reason)};
  const int lengths[] = {static_cast<int>(token.size()),   static_cast<int>(replay.size()),
                         static_cast<int>(level.size()),   static_cast<int>(verdict.recording.size()),
                         static_cast<int>(verdict.ticket.size()), static_cast<int>(verdict.reason.size())};
  const int formats[] = {0, 0, 0, 1, 0, 0};
  // Sent again after a lost connection, an update that did commit finds the entry decided and answers "not
  // kept": the entry keeps the first verdict, which is the same one.
  return Retrying([&](pg_conn* c, bool) {
    Result r(PQexecParams(c,
                          "UPDATE scores SET replay = $2::smallint, level = $3::integer, recording = $4::bytea, "
                          "ticket = $5, replay_reason = $6 WHERE token = $1 AND replay = 0",
                          6, nullptr, values, lengths, formats, 0));
    const char* state = r ? PQresultErrorField(r.get(), PG_DIAG_SQLSTATE) : nullptr;
    if (state && std::string_view(state) == "23505") return KeepResult::TicketUsed;  // unique_violation
    if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK) throw StoreError(Message(c));
    return std::string_view(PQcmdTuples(r.get())) == "1" ? KeepResult::Kept : KeepResult::Decided;
  });
}

std::int64_t PgScoreStore::Count() {
  Result r = Retrying([](pg_conn* c, bool) { return Run(c, "SELECT count(*) FROM scores"); });
  return ToInt64(r.get(), 0, 0);
}

void PgScoreStore::Ping() {
  Retrying([](pg_conn* c, bool) { return Run(c, "SELECT 1"); });
}

std::string PgScoreStore::Secret() {
  // Drawn here from OpenSSL's generator; the first instance to insert wins and every other one reads its key.
  std::array<unsigned char, 32> fresh{};
  if (RAND_bytes(fresh.data(), static_cast<int>(fresh.size())) != 1) throw StoreError("no random bytes for the key");
  std::string hex;
  constexpr const char* kDigits = "0123456789abcdef";
  for (unsigned char b : fresh) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  Lease c(*this);
  Run(c.get(), "INSERT INTO settings (name, value) VALUES ('token key', decode($1, 'hex')) ON CONFLICT DO NOTHING",
      {&hex});
  // Binary results give the key's bytes as they are.
  Result r(PQexecParams(c.get(), "SELECT value FROM settings WHERE name = 'token key'", 0, nullptr, nullptr, nullptr,
                        nullptr, 1));
  if (!r || PQresultStatus(r.get()) != PGRES_TUPLES_OK || PQntuples(r.get()) != 1) {
    throw StoreError("cannot read the token key: " + Message(c.get()));
  }
  return Value(r.get(), 0, 0);
}

// One kind of budget in the budgets table. A spent unit is a row's count, raised in one statement that also
// refuses to pass the hour's limit, so servers racing for an address's last unit cannot both get it.
class PgScoreStore::Budget final : public HourlyBudget {
 public:
  Budget(PgScoreStore& store, std::string kind, int perHour) : store_(store), kind_(std::move(kind)), perHour_(perHour) {}

  bool Allow(const std::string& address, std::int64_t now) override {
    if (perHour_ <= 0) return false;
    const std::int64_t hour = now / kHour;
    const std::string hourText = std::to_string(hour);
    const std::string limit = std::to_string(perHour_);
    // Sent again after a lost connection, a unit may be counted twice in the doubtful case: an address then has
    // one submission fewer that hour, which is the cheaper error.
    return store_.Retrying([&](pg_conn* c, bool) {
      Forget(c, hour);
      // A budget count lost in a crash costs nothing worth a disk flush: this one commit may skip the wait.
      Result r = Run(c,
                     "WITH quick AS (SELECT set_config('synchronous_commit', 'off', true)) "
                     "INSERT INTO budgets AS b (kind, address, hour, spent) SELECT $1, $2, $3::bigint, 1 FROM quick "
                     "ON CONFLICT (kind, address, hour) DO UPDATE SET spent = b.spent + 1 WHERE b.spent < $4::integer "
                     "RETURNING spent",
                     {&kind_, &address, &hourText, &limit});
      return PQntuples(r.get()) == 1;
    });
  }

 private:
  // Past hours are dropped once an hour, by whichever server first sees the new hour.
  void Forget(pg_conn* c, std::int64_t hour) {
    std::int64_t seen = forgotten_.load();
    if (seen >= hour || !forgotten_.compare_exchange_strong(seen, hour)) return;
    const std::string hourText = std::to_string(hour);
    Run(c, "DELETE FROM budgets WHERE kind = $1 AND hour < $2::bigint", {&kind_, &hourText});
  }

  PgScoreStore& store_;
  std::string kind_;
  int perHour_;
  std::atomic<std::int64_t> forgotten_{0};
};

std::unique_ptr<HourlyBudget> PgScoreStore::SharedBudget(const std::string& kind, int perHour) {
  return std::make_unique<Budget>(*this, kind, perHour);
}

}  // namespace gw::scores
