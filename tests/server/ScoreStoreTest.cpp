// SPDX-License-Identifier: GPL-3.0-or-later
// What every score store promises, on each back end: SQLite in a file and a real PostgreSQL started here.

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "PgScoreStore.h"
#include "SqliteScoreStore.h"
#include "support/Headless.h"
#include "support/PostgresServer.h"

namespace gw::scores {
namespace {

using test::FreshPostgresDatabase;
using test::FreshPostgresDatabaseName;
using test::TestPostgres;

// A back end under test: opens a store over its database, again and again over the same one.
struct Backend {
  std::string name;
  std::function<std::function<std::unique_ptr<ScoreStore>()>(const std::filesystem::path& folder)> make;
};

std::vector<Backend> Backends() {
  return {
      {"Sqlite",
       [](const std::filesystem::path& folder) {
         return [db = (folder / "scores.db").string()] { return std::make_unique<SqliteScoreStore>(db); };
       }},
      {"Postgres",
       [](const std::filesystem::path&) {
         return [uri = FreshPostgresDatabase()] { return std::make_unique<PgScoreStore>(PgSettings{uri}); };
       }},
  };
}

class ScoreStoreContract : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override { open_ = GetParam().make(folder_.Path()); }
  std::unique_ptr<ScoreStore> Open() { return open_(); }

  test::TempFolder folder_;
  std::function<std::unique_ptr<ScoreStore>()> open_;
};

Submission Entry(const std::string& name, std::int32_t score, std::int64_t time, const std::string& token) {
  return {name, "Россия", score, time, token, "127.0.0.1"};
}

TEST_P(ScoreStoreContract, StoresOncePerTokenAndRanksBestFirstEarlierFirst) {
  auto store = Open();
  EXPECT_EQ(store->Count(), 0);
  EXPECT_TRUE(store->Best(0, 10).empty());

  EXPECT_EQ(store->Add(Entry("Иван", 300, 1000, "t1")), AddResult::Stored);
  EXPECT_EQ(store->Add(Entry("Пётр", 500, 1005, "t2")), AddResult::Stored);
  EXPECT_EQ(store->Add(Entry("Анна", 300, 990, "t3")), AddResult::Stored);
  EXPECT_EQ(store->Add(Entry("Ольга", -40, 2000, "t4")), AddResult::Stored);
  EXPECT_EQ(store->Add(Entry("Вор", 99999, 3000, "t2")), AddResult::TokenUsed);
  EXPECT_EQ(store->Count(), 4);

  const auto all = store->Best(0, 10);
  ASSERT_EQ(all.size(), 4u);
  const std::vector<std::string> names{all[0].name, all[1].name, all[2].name, all[3].name};
  EXPECT_EQ(names, (std::vector<std::string>{"Пётр", "Анна", "Иван", "Ольга"}));
  EXPECT_EQ(all[0].score, 500);
  EXPECT_EQ(all[0].time, 1005);
  EXPECT_EQ(all[0].country, "Россия");
  EXPECT_EQ(all[3].score, -40);

  // Since is inclusive; limit cuts from the top.
  const auto recent = store->Best(1000, 2);
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_EQ(recent[0].name, "Пётр");
  EXPECT_EQ(recent[1].name, "Иван");
}

TEST_P(ScoreStoreContract, TextsComeBackByteForByte) {
  auto store = Open();
  const std::string odd = "'; DROP TABLE scores; -- \"<b>\\ Ё\x01";
  ASSERT_EQ(store->Add({odd, odd, 1, 1, "t", "::1"}), AddResult::Stored);
  const auto rows = store->Best(0, 1);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, odd);
  EXPECT_EQ(rows[0].country, odd);
}

TEST_P(ScoreStoreContract, KeepsOneReplayAnEntryAndRanksVerifiedOnesWhenAsked) {
  auto store = Open();
  ASSERT_EQ(store->Add(Entry("Иван", 300, 1000, "t1")), AddResult::Stored);
  ASSERT_EQ(store->Add(Entry("Пётр", 500, 1005, "t2")), AddResult::Stored);
  EXPECT_FALSE(store->Claim("none"));
  const auto claim = store->Claim("t1");
  ASSERT_TRUE(claim);
  EXPECT_EQ(claim->name, "Иван");
  EXPECT_EQ(claim->score, 300);
  EXPECT_FALSE(claim->replayed);

  const std::string recording("\x01\x00\xFF" "bytes", 8);  // binary, with a zero byte
  EXPECT_EQ(store->KeepReplay("t1", {true, 4, recording, "ticket-a", ""}), KeepResult::Kept);
  EXPECT_EQ(store->KeepReplay("t1", {true, 4, recording, "ticket-b", ""}), KeepResult::Decided) << "one replay an entry";
  // A ticket is used once, whoever's entry tries it again; refusals that used none share the empty one.
  ASSERT_EQ(store->Add(Entry("Анна", 200, 1010, "t3")), AddResult::Stored);
  EXPECT_EQ(store->KeepReplay("t3", {true, 4, recording, "ticket-a", ""}), KeepResult::TicketUsed);
  EXPECT_FALSE(store->Claim("t3")->replayed) << "nothing kept";
  EXPECT_EQ(store->KeepReplay("t3", {false, 0, {}, {}, "ticket_used"}), KeepResult::Kept);
  EXPECT_EQ(store->KeepReplay("t2", {false, 1, {}, {}, "replay_score"}), KeepResult::Kept);
  EXPECT_EQ(store->KeepReplay("none", {true, 1, recording, "ticket-c", ""}), KeepResult::Decided);
  EXPECT_TRUE(store->Claim("t2")->replayed);

  const auto verified = store->Best(0, 10, true);
  ASSERT_EQ(verified.size(), 1u);
  EXPECT_EQ(verified[0].name, "Иван");
  EXPECT_TRUE(verified[0].verified);
  const auto all = store->Best(0, 10);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_FALSE(all[0].verified);
  // Kept across a reopen.
  store.reset();
  EXPECT_EQ(Open()->Best(0, 10, true).size(), 1u);
}

TEST_P(ScoreStoreContract, GivesTheRecordingOfAVerifiedEntryByItsIdOnly) {
  auto store = Open();
  for (const char* token : {"verified", "refused", "pending"}) {
    ASSERT_EQ(store->Add(Entry(token, 10, 1, token)), AddResult::Stored);
  }
  const std::string recording("\x78\x9C\x00\xFF" "game", 8);  // binary, with a zero byte
  ASSERT_EQ(store->KeepReplay("verified", {true, 2, recording, "t", ""}), KeepResult::Kept);
  ASSERT_EQ(store->KeepReplay("refused", {false, 1, {}, {}, "replay_score"}), KeepResult::Kept);

  std::int64_t id = 0;
  for (const ScoreRow& r : store->Best(0, 10)) {
    EXPECT_EQ(r.id != 0, r.verified) << r.name << ": an id on verified rows only";
    if (r.verified) id = r.id;
  }
  ASSERT_NE(id, 0);
  EXPECT_EQ(store->Best(0, 10, true).at(0).id, id);
  EXPECT_EQ(store->Recording(id), recording);
  // Every other key the table may hold, and none it can.
  for (std::int64_t other : {std::int64_t{0}, std::int64_t{-1}, id + 1, id + 2, id + 3, id - 1, id - 2,
                             std::numeric_limits<std::int64_t>::max()}) {
    if (other != id) {
      EXPECT_FALSE(store->Recording(other)) << other;
    }
  }
}

TEST(SqliteScoreStore, ADatabaseFromBeforeReplaysIsMigratedWithItsScores) {
  test::TempFolder folder;
  {
    // The schema as the first servers made it.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open("scores.db", &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE scores (id INTEGER PRIMARY KEY, name TEXT NOT NULL, country TEXT NOT NULL, "
                           "score INTEGER NOT NULL, time INTEGER NOT NULL, token TEXT NOT NULL UNIQUE, address TEXT "
                           "NOT NULL); INSERT INTO scores (name, country, score, time, token, address) VALUES "
                           "('old', '', 70, 5, 'x', '::1');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ::chmod("scores.db", 0600);
  }
  SqliteScoreStore store("scores.db");
  ASSERT_EQ(store.Best(0, 10).size(), 1u);
  EXPECT_FALSE(store.Best(0, 10)[0].verified);
  EXPECT_EQ(store.KeepReplay("x", {true, 1, "r", "t", ""}), KeepResult::Kept);
  EXPECT_EQ(store.Best(0, 10, true).size(), 1u);
}

TEST_P(ScoreStoreContract, OneSecretForEveryStoreOverTheSameDatabaseAndAfterAReopen) {
  std::string first;
  {
    auto a = Open();
    auto b = Open();
    first = a->Secret();
    EXPECT_EQ(first.size(), 32u);
    EXPECT_EQ(b->Secret(), first);
    EXPECT_EQ(a->Secret(), first);
    a->Add(Entry("A", 1, 1, "kept"));
  }
  auto again = Open();
  EXPECT_EQ(again->Secret(), first);
  EXPECT_EQ(again->Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreStoreContract, testing::ValuesIn(Backends()),
                         [](const testing::TestParamInfo<Backend>& p) { return p.param.name; });

// What only a shared database server shows.

TEST(PgScoreStore, InstancesStartingTogetherMakeTheSchemaOnceAndShareOneSecret) {
  const std::string uri = FreshPostgresDatabase();
  std::vector<std::thread> starts;
  std::mutex lock;
  std::set<std::string> secrets;
  std::vector<std::string> errors;
  for (int i = 0; i < 8; ++i) {
    starts.emplace_back([&] {
      try {
        PgScoreStore store({uri});
        const std::string secret = store.Secret();
        std::lock_guard guard(lock);
        secrets.insert(secret);
      } catch (const StoreError& e) {
        std::lock_guard guard(lock);
        errors.push_back(e.what());
      }
    });
  }
  for (auto& t : starts) t.join();
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_EQ(secrets.size(), 1u);
}

TEST(PgScoreStore, RefusesASchemaNewerThanItKnowsAndBadSettings) {
  const std::string name = FreshPostgresDatabaseName();
  { PgScoreStore made({TestPostgres().Uri(name)}); }
  // A later server has moved the schema on: this one must not write into it.
  TestPostgres().Sql(name, "INSERT INTO schema_version (version) VALUES (" +
                           std::to_string(PgScoreStore::kSchemaVersion + 1) + ")");
  try {
    PgScoreStore older({TestPostgres().Uri(name)});
    ADD_FAILURE() << "an older server opened a newer schema";
  } catch (const StoreError& e) {
    EXPECT_NE(std::string(e.what()).find("newer"), std::string::npos) << e.what();
  }
  EXPECT_THROW(PgScoreStore({TestPostgres().Uri("no_such_database")}), StoreError);
  EXPECT_THROW(PgScoreStore({"postgresql://gw@/x?host=/nonexistent-folder"}), StoreError);
  EXPECT_THROW(PgScoreStore(PgSettings{TestPostgres().Uri(name), 0}), StoreError);
}

TEST(PgScoreStore, DatabaseDownFailsAtOnceAndComesBackByItself) {
  const std::string uri = FreshPostgresDatabase();
  PgScoreStore store({uri, 4});
  ASSERT_EQ(store.Add(Entry("A", 1, 1, "before")), AddResult::Stored);

  TestPostgres().Stop();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(store.Add(Entry("B", 2, 2, "during")), StoreError);
  EXPECT_THROW(store.Count(), StoreError);
  // No hang while the database is away: a refused connection is answered at once.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  TestPostgres().Start();
  EXPECT_EQ(store.Add(Entry("C", 3, 3, "after")), AddResult::Stored);
  EXPECT_EQ(store.Count(), 2);
}

TEST(PgScoreStore, AKilledDatabaseKeepsEveryAnsweredSubmission) {
  const std::string uri = FreshPostgresDatabase();
  std::atomic<int> next{0};
  std::mutex lock;
  std::vector<std::string> stored;
  std::atomic<bool> killed{false};
  {
    PgScoreStore store({uri, 8});
    std::vector<std::thread> load;
    for (int t = 0; t < 8; ++t) {
      load.emplace_back([&] {
        while (!killed) {
          const std::string token = "k" + std::to_string(++next);
          try {
            if (store.Add(Entry("L", 1, 1, token)) == AddResult::Stored) {
              std::lock_guard guard(lock);
              stored.push_back(token);
            }
          } catch (const StoreError&) {
          }
        }
      });
    }
    // Kill in the middle of the load, once a good number of submissions were answered.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      {
        std::lock_guard guard(lock);
        if (stored.size() >= 200) break;
      }
      std::this_thread::yield();
    }
    TestPostgres().Kill();
    killed = true;
    for (auto& t : load) t.join();
  }
  TestPostgres().Start();
  PgScoreStore after({uri});
  EXPECT_GE(after.Count(), static_cast<std::int64_t>(stored.size()));
  ASSERT_FALSE(stored.empty());
  // Every answered token is there: a second Add of each is refused as used.
  for (const std::string& token : stored) {
    ASSERT_EQ(after.Add(Entry("again", 1, 1, token)), AddResult::TokenUsed) << token;
  }
}

}  // namespace
}  // namespace gw::scores
