// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the score server keeps its scores. A small interface with two back ends: SQLite for one machine, and a
// shared PostgreSQL database for several servers behind one address.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "HourlyBudget.h"

namespace gw::scores {

// One accepted submission; texts in UTF-8.
struct Submission {
  std::string name;
  std::string country;
  std::int32_t score = 0;
  std::int64_t time = 0;  // seconds since the Unix epoch
  std::string token;      // the one-time token it used
  std::string address;    // where it came from
};

struct ScoreRow {
  std::string name;
  std::string country;
  std::int32_t score = 0;
  std::int64_t time = 0;
  bool verified = false;  // its recorded game was replayed here and ended as claimed
  std::int64_t id = 0;    // the entry's key, by which its recording is asked for; 0 unless verified
};

// What a replay is checked against: the entry a token stored, and whether a replay was kept for it already.
struct ReplayClaim {
  std::string name;
  std::string country;
  std::int32_t score = 0;
  bool replayed = false;
};

// A replay's verdict, kept with the entry: a verified one with its recording (with the seed, so anyone can watch
// it), a refused one with its reason alone.
struct ReplayVerdict {
  bool verified = false;
  std::int32_t level = 0;  // the level the replayed game ended on
  std::string recording;   // empty when refused
  std::string ticket;      // the game ticket it used up; empty when none was used
  std::string reason;      // why it was refused; empty when verified
};

enum class AddResult { Stored, TokenUsed };

enum class KeepResult {
  Kept,
  Decided,     // the entry has its verdict already: one replay an entry
  TicketUsed,  // another entry's replay used the ticket: nothing was kept
};

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ScoreStore {
 public:
  virtual ~ScoreStore() = default;
  // Stores the whole submission, durably, before returning Stored; stores nothing when its token was used
  // before. Throws StoreError when the store fails.
  virtual AddResult Add(const Submission& submission) = 0;
  // The best `limit` rows with a time of `since` or later: highest score first, earlier first among equals;
  // only verified ones when asked.
  virtual std::vector<ScoreRow> Best(std::int64_t since, int limit, bool verifiedOnly = false) = 0;
  // The recording kept with a verified entry, as it was sent (compressed); none for an entry that is not verified
  // or does not exist.
  virtual std::optional<std::string> Recording(std::int64_t id) = 0;
  // The entry the token stored, if any.
  virtual std::optional<ReplayClaim> Claim(const std::string& token) = 0;
  // Keeps the verdict with the token's entry unless one is kept already, or its ticket was used before.
  virtual KeepResult KeepReplay(const std::string& token, const ReplayVerdict& verdict) = 0;
  virtual std::int64_t Count() = 0;
  // Throws StoreError unless the store answers a small query now.
  virtual void Ping() = 0;
  // The key that signs tokens: made once and kept in the store, so every server over the same store (and
  // the same server after a restart) accepts the tokens the others issued.
  virtual std::string Secret() = 0;
  // A budget kept in the store under `kind`, so that every server over a shared store counts an address's hour
  // together; null where the store serves one server only, which then keeps its budgets itself.
  virtual std::unique_ptr<HourlyBudget> SharedBudget(const std::string& kind, int perHour) {
    (void)kind;
    (void)perHour;
    return nullptr;
  }
};

}  // namespace gw::scores
