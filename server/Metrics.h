// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The server's counters, shown to Prometheus at /metrics: requests by status, stored submissions, verified replays, refusals by
// reason, how long requests took, the connections open now, the recorded games waiting for a replay or in one, and
// the bytes of request bodies held.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace gw::scores {

class Metrics {
 public:
  // One answered request; `refusal` is empty when it was served.
  void Answered(int status, const std::string& refusal, std::chrono::nanoseconds took);
  // A refusal that never became a request (a connection over the limits).
  void Refused(const std::string& refusal);
  void Stored() { stored_.fetch_add(1, std::memory_order_relaxed); }
  void Verified() { verified_.fetch_add(1, std::memory_order_relaxed); }
  void Opened() { open_.fetch_add(1, std::memory_order_relaxed); }
  void Closed() { open_.fetch_sub(1, std::memory_order_relaxed); }
  void ReplayTaken() { replays_.fetch_add(1, std::memory_order_relaxed); }
  void ReplayGiven() { replays_.fetch_sub(1, std::memory_order_relaxed); }
  void BodyBytes(std::int64_t change) { bodyBytes_.fetch_add(change, std::memory_order_relaxed); }
  std::int64_t OpenConnections() const { return open_.load(std::memory_order_relaxed); }
  std::int64_t VerifiedCount() const { return verified_.load(std::memory_order_relaxed); }
  std::int64_t ReplaysInHand() const { return replays_.load(std::memory_order_relaxed); }
  std::int64_t BodyBytesHeld() const { return bodyBytes_.load(std::memory_order_relaxed); }

  // The Prometheus text exposition format.
  std::string Text() const;

 private:
  static constexpr std::array<double, 13> kBuckets = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                      0.1,    0.25,  0.5,    1,     2.5,  10};
  std::atomic<std::int64_t> open_{0};
  std::atomic<std::int64_t> stored_{0};
  std::atomic<std::int64_t> verified_{0};
  std::atomic<std::int64_t> replays_{0};
  std::atomic<std::int64_t> bodyBytes_{0};
  mutable std::mutex lock_;
  std::map<int, std::int64_t> byStatus_;
  std::map<std::string, std::int64_t> byRefusal_;
  std::array<std::int64_t, kBuckets.size()> buckets_{};  // each counts only its own range; summed when shown
  std::int64_t count_ = 0;
  double seconds_ = 0;
};

}  // namespace gw::scores
