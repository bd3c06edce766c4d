// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How many times an address may do one thing in each clock hour.

#include <cstdint>
#include <string>

namespace gw::scores {

class HourlyBudget {
 public:
  virtual ~HourlyBudget() = default;
  // Counts one against the address's hour of `now` (seconds since the epoch); false when that hour is spent.
  // May throw StoreError where the budget is kept in the store.
  virtual bool Allow(const std::string& address, std::int64_t now) = 0;
};

}  // namespace gw::scores
