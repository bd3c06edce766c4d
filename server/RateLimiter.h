// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// At most N per address in each clock hour, counted in this process: the budget of a server alone on its store.

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

#include "HourlyBudget.h"

namespace gw::scores {

class RateLimiter final : public HourlyBudget {
 public:
  explicit RateLimiter(int perHour) : perHour_(perHour) {}
  // Counts one attempt; false when the address has used up its hour.
  bool Allow(const std::string& address, std::int64_t now) override;

 private:
  struct Window {
    std::int64_t hour = 0;
    int count = 0;
  };
  int perHour_;
  std::mutex lock_;
  std::unordered_map<std::string, Window> windows_;
};

}  // namespace gw::scores
