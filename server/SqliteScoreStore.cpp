// SPDX-License-Identifier: GPL-3.0-or-later
#include "SqliteScoreStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace gw::scores {

namespace {

constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS scores (
  id      INTEGER PRIMARY KEY,
  name    TEXT    NOT NULL,
  country TEXT    NOT NULL,
  score   INTEGER NOT NULL,
  time    INTEGER NOT NULL,
  token   TEXT    NOT NULL UNIQUE,
  address TEXT    NOT NULL
);
CREATE INDEX IF NOT EXISTS scores_by_score ON scores (score DESC, time);
CREATE INDEX IF NOT EXISTS scores_by_time ON scores (time);
CREATE TABLE IF NOT EXISTS settings (name TEXT PRIMARY KEY, value BLOB NOT NULL);
)sql";

// Version 1: each entry's replay (0 none yet, 1 verified, 2 refused), the level it ended on and its recording.
constexpr const char* kSchemaV1 = R"sql(
ALTER TABLE scores ADD COLUMN replay INTEGER NOT NULL DEFAULT 0;
ALTER TABLE scores ADD COLUMN level INTEGER;
ALTER TABLE scores ADD COLUMN recording BLOB;
CREATE INDEX scores_verified_by_score ON scores (score DESC, time) WHERE replay = 1;
PRAGMA user_version = 1;
)sql";

// Version 2: the game ticket an entry's replay used up (each only once) and why a replay was refused; a refused
// recording is no longer kept.
constexpr const char* kSchemaV2 = R"sql(
ALTER TABLE scores ADD COLUMN ticket TEXT;
ALTER TABLE scores ADD COLUMN replay_reason TEXT;
CREATE UNIQUE INDEX scores_by_ticket ON scores (ticket);
UPDATE scores SET recording = NULL WHERE replay = 2;
PRAGMA user_version = 2;
)sql";

constexpr int kReplayVerified = 1, kReplayRefused = 2;

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    throw StoreError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
  }
}

void Exec(sqlite3* db, const char* sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    const std::string text = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    throw StoreError(text);
  }
}

// Binds, runs once and resets a statement, whatever happens.
class Run {
 public:
  explicit Run(sqlite3_stmt* s) : s_(s) {}
  ~Run() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;
  void Text(int i, const std::string& v) {
    Check(sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), nullptr, "bind");
  }
  void Int(int i, std::int64_t v) { Check(sqlite3_bind_int64(s_, i, v), nullptr, "bind"); }
  // Empty binds NULL: what is not there (no ticket, no reason, no recording kept), as the unique ticket index needs.
  void TextOrNull(int i, const std::string& v) {
    if (v.empty()) return Null(i);
    Check(sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), nullptr, "bind");
  }
  void BlobOrNull(int i, const std::string& v) {
    if (v.empty()) return Null(i);
    Check(sqlite3_bind_blob64(s_, i, v.data(), v.size(), SQLITE_TRANSIENT), nullptr, "bind");
  }
  void Null(int i) { Check(sqlite3_bind_null(s_, i), nullptr, "bind"); }
  int Step() { return sqlite3_step(s_); }
  std::string Column(int i) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, i));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s_, i))) : std::string();
  }

 private:
  sqlite3_stmt* s_;
};

// The database holds the signing key: whoever can read it can forge tokens, and whoever can change its folder
// can put another file in its place.
void GuardPrivacy(const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) throw StoreError("no folder " + folder.string() + " for the database");
  if (st.st_uid != ::geteuid() && st.st_uid != 0) {
    throw StoreError("the folder " + folder.string() + " of the database belongs to another user");
  }
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    throw StoreError("the folder " + folder.string() + " of the database can be changed by other users (chmod go-w it)");
  }
  for (const char* suffix : {"", "-wal", "-shm"}) {
    const std::string file = path + suffix;
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
      throw StoreError(file + " can be read by other users, and it holds the key that signs tokens: chmod 600 it");
    }
  }
  // Made here, for its owner alone; SQLite gives its log files the same mode.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) throw StoreError("cannot open " + path + ": " + std::strerror(errno));
  ::close(fd);
}

}  // namespace

void SqliteScoreStore::DbDeleter::operator()(sqlite3* db) const { sqlite3_close_v2(db); }
void SqliteScoreStore::StmtDeleter::operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }

SqliteScoreStore::Db SqliteScoreStore::Open(const std::string& path) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
  Db db(raw);
  if (rc != SQLITE_OK) throw StoreError("cannot open " + path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  sqlite3_extended_result_codes(db.get(), 1);
  return db;
}

SqliteScoreStore::Stmt SqliteScoreStore::Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* raw = nullptr;
  Check(sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr), db, "prepare");
  return Stmt(raw);
}

SqliteScoreStore::SqliteScoreStore(const std::string& path) : writer_((GuardPrivacy(path), Open(path))) {
  try {
    // WAL with NORMAL syncing: a commit is in the log file before Add returns, which a killed process cannot
    // undo; only a power loss may take the last moments back.
    Exec(writer_.get(), "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    Exec(writer_.get(), kSchema);
    Migrate();
  } catch (const StoreError& e) {
    // SQLite opens any file and only complains at its first read ("file is not a database"): say which file.
    throw StoreError(path + ": " + e.what());
  }
  reader_ = Open(path);
  insert_ = Prepare(writer_.get(),
                    "INSERT INTO scores (name, country, score, time, token, address) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
  best_ = Prepare(reader_.get(),
                  "SELECT name, country, score, time, replay, id FROM scores "
                  "WHERE time >= ?1 AND (?3 = 0 OR replay = 1) ORDER BY score DESC, time, id LIMIT ?2");
  recording_ = Prepare(reader_.get(),
                       "SELECT recording FROM scores WHERE id = ?1 AND replay = 1 AND recording IS NOT NULL");
  claim_ = Prepare(writer_.get(), "SELECT name, country, score, replay FROM scores WHERE token = ?1");
  keepReplay_ = Prepare(writer_.get(),
                        "UPDATE scores SET replay = ?2, level = ?3, recording = ?4, ticket = ?5, replay_reason = ?6 "
                        "WHERE token = ?1 AND replay = 0");
  count_ = Prepare(reader_.get(), "SELECT count(*) FROM scores");
  ping_ = Prepare(reader_.get(), "SELECT count(*) FROM settings");
}

SqliteScoreStore::~SqliteScoreStore() {
  // Statements before their connections; the last connection to close folds the log into the database.
  std::scoped_lock lock(writeLock_, readLock_);
  insert_.reset();
  best_.reset();
  recording_.reset();
  claim_.reset();
  keepReplay_.reset();
  count_.reset();
  ping_.reset();
  reader_.reset();
  writer_.reset();
}

AddResult SqliteScoreStore::Add(const Submission& s) {
  std::lock_guard lock(writeLock_);
  Run run(insert_.get());
  run.Text(1, s.name);
  run.Text(2, s.country);
  run.Int(3, s.score);
  run.Int(4, s.time);
  run.Text(5, s.token);
  run.Text(6, s.address);
  const int rc = run.Step();
  if (rc == SQLITE_DONE) return AddResult::Stored;
  if (rc == SQLITE_CONSTRAINT_UNIQUE) return AddResult::TokenUsed;
  Check(rc, writer_.get(), "store a score");
  return AddResult::Stored;
}

void SqliteScoreStore::Migrate() {
  // Under the write lock of an immediate transaction: servers starting together on one file change it once.
  Exec(writer_.get(), "BEGIN IMMEDIATE");
  try {
    Stmt read = Prepare(writer_.get(), "PRAGMA user_version");
    Check(sqlite3_step(read.get()), writer_.get(), "read the schema's version");
    const int version = sqlite3_column_int(read.get(), 0);
    read.reset();
    if (version > kSchemaVersion) {
      throw StoreError("the database's schema is version " + std::to_string(version) + ", newer than this server's " +
                       std::to_string(kSchemaVersion) + "; update the server");
    }
    if (version < 1) Exec(writer_.get(), kSchemaV1);
    if (version < 2) Exec(writer_.get(), kSchemaV2);
    Exec(writer_.get(), "COMMIT");
  } catch (...) {
    sqlite3_exec(writer_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

std::vector<ScoreRow> SqliteScoreStore::Best(std::int64_t since, int limit, bool verifiedOnly) {
  std::lock_guard lock(readLock_);
  Run run(best_.get());
  run.Int(1, since);
  run.Int(2, limit);
  run.Int(3, verifiedOnly ? 1 : 0);
  std::vector<ScoreRow> rows;
  int rc;
  while ((rc = run.Step()) == SQLITE_ROW) {
    const bool verified = sqlite3_column_int(best_.get(), 4) == kReplayVerified;
    rows.push_back({run.Column(0), run.Column(1), sqlite3_column_int(best_.get(), 2),
                    sqlite3_column_int64(best_.get(), 3), verified,
                    verified ? sqlite3_column_int64(best_.get(), 5) : 0});
  }
  Check(rc, reader_.get(), "read the scores");
  return rows;
}

std::optional<std::string> SqliteScoreStore::Recording(std::int64_t id) {
  std::lock_guard lock(readLock_);
  Run run(recording_.get());
  run.Int(1, id);
  const int rc = run.Step();
  if (rc == SQLITE_DONE) return std::nullopt;
  Check(rc, reader_.get(), "read a recording");
  const auto* p = static_cast<const char*>(sqlite3_column_blob(recording_.get(), 0));
  return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(recording_.get(), 0)));
}

std::optional<ReplayClaim> SqliteScoreStore::Claim(const std::string& token) {
  std::lock_guard lock(writeLock_);
  Run run(claim_.get());
  run.Text(1, token);
  const int rc = run.Step();
  if (rc == SQLITE_DONE) return std::nullopt;
  Check(rc, writer_.get(), "read an entry");
  return ReplayClaim{run.Column(0), run.Column(1), sqlite3_column_int(claim_.get(), 2),
                     sqlite3_column_int(claim_.get(), 3) != 0};
}

KeepResult SqliteScoreStore::KeepReplay(const std::string& token, const ReplayVerdict& verdict) {
  std::lock_guard lock(writeLock_);
  Run run(keepReplay_.get());
  run.Text(1, token);
  run.Int(2, verdict.verified ? kReplayVerified : kReplayRefused);
  run.Int(3, verdict.level);
  run.BlobOrNull(4, verdict.recording);
  run.TextOrNull(5, verdict.ticket);
  run.TextOrNull(6, verdict.reason);
  const int rc = run.Step();
  if (rc == SQLITE_CONSTRAINT_UNIQUE) return KeepResult::TicketUsed;
  Check(rc, writer_.get(), "keep a replay");
  return sqlite3_changes(writer_.get()) == 1 ? KeepResult::Kept : KeepResult::Decided;
}

std::int64_t SqliteScoreStore::Count() {
  std::lock_guard lock(readLock_);
  Run run(count_.get());
  Check(run.Step(), reader_.get(), "count the scores");
  return sqlite3_column_int64(count_.get(), 0);
}

void SqliteScoreStore::Ping() {
  std::lock_guard lock(readLock_);
  Run run(ping_.get());
  Check(run.Step(), reader_.get(), "ask the store");
}

std::string SqliteScoreStore::Secret() {
  std::lock_guard lock(writeLock_);
  // randomblob draws from SQLite's own cryptographic generator.
  Exec(writer_.get(), "INSERT OR IGNORE INTO settings (name, value) VALUES ('token key', randomblob(32))");
  Stmt read = Prepare(writer_.get(), "SELECT value FROM settings WHERE name = 'token key'");
  Check(sqlite3_step(read.get()), writer_.get(), "read the token key");
  const auto* p = static_cast<const char*>(sqlite3_column_blob(read.get(), 0));
  return std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(read.get(), 0)));
}

}  // namespace gw::scores
