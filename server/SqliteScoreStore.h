// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scores in one SQLite file in WAL mode: readers never wait for the writer, and every answered submission
// is in the log before the answer goes out, so a killed server loses none. The file holds the key that signs
// tokens and sessions, so it is made readable by its owner only, and a file others can read is refused.

#include <memory>
#include <mutex>
#include <string>

#include "ScoreStore.h"

struct sqlite3;
struct sqlite3_stmt;

namespace gw::scores {

class SqliteScoreStore final : public ScoreStore {
 public:
  // Opens the file, creating it (mode 0600) and its tables on the first start. Throws StoreError, also when the
  // file can be read by others or its folder changed by others.
  explicit SqliteScoreStore(const std::string& path);
  ~SqliteScoreStore() override;

  AddResult Add(const Submission& submission) override;
  std::vector<ScoreRow> Best(std::int64_t since, int limit, bool verifiedOnly = false) override;
  std::optional<std::string> Recording(std::int64_t id) override;
  std::optional<ReplayClaim> Claim(const std::string& token) override;
  KeepResult KeepReplay(const std::string& token, const ReplayVerdict& verdict) override;

  // The schema's version in SQLite's user_version: 1 adds the replays.
  static constexpr int kSchemaVersion = 2;
  std::int64_t Count() override;
  void Ping() override;
  std::string Secret() override;

 private:
  struct DbDeleter {
    void operator()(sqlite3* db) const;
  };
  struct StmtDeleter {
    void operator()(sqlite3_stmt* s) const;
  };
  using Db = std::unique_ptr<sqlite3, DbDeleter>;
  using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

  static Db Open(const std::string& path);
  static Stmt Prepare(sqlite3* db, const char* sql);
  void Migrate();

  // One connection writes, one reads: WAL lets them work side by side.
  std::mutex writeLock_;
  Db writer_;
  Stmt insert_;
  std::mutex readLock_;
  Db reader_;
  Stmt best_;
  Stmt recording_;
  Stmt claim_;
  Stmt keepReplay_;
  Stmt count_;
  Stmt ping_;
};

}  // namespace gw::scores
