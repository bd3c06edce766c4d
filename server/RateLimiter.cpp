// SPDX-License-Identifier: GPL-3.0-or-later
#include "RateLimiter.h"

#include <iterator>

namespace gw::scores {

namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::size_t kPruneAbove = 100000;  // addresses remembered before stale hours are dropped

}  // namespace

bool RateLimiter::Allow(const std::string& address, std::int64_t now) {
  const std::int64_t hour = now / kHour;
  std::lock_guard guard(lock_);
  if (windows_.size() > kPruneAbove) {
    for (auto it = windows_.begin(); it != windows_.end();) it = it->second.hour == hour ? std::next(it) : windows_.erase(it);
  }
  Window& w = windows_[address];
  if (w.hour != hour) w = {hour, 0};
  if (w.count >= perHour_) return false;
  ++w.count;
  return true;
}

}  // namespace gw::scores
