// SPDX-License-Identifier: GPL-3.0-or-later
#include "Metrics.h"

#include <algorithm>
#include <cstdio>

namespace gw::scores {

namespace {

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

}  // namespace

void Metrics::Answered(int status, const std::string& refusal, std::chrono::nanoseconds took) {
  const double seconds = std::chrono::duration<double>(took).count();
  const auto bucket = std::lower_bound(kBuckets.begin(), kBuckets.end(), seconds) - kBuckets.begin();
  std::lock_guard guard(lock_);
  ++byStatus_[status];
  if (!refusal.empty()) ++byRefusal_[refusal];
  if (static_cast<std::size_t>(bucket) < buckets_.size()) ++buckets_[static_cast<std::size_t>(bucket)];
  ++count_;
  seconds_ += seconds;
}

void Metrics::Refused(const std::string& refusal) {
  std::lock_guard guard(lock_);
  ++byRefusal_[refusal];
}

std::string Metrics::Text() const {
  std::string out;
  out += "# HELP gromwumbler_scores_open_connections Connections open now.\n";
  out += "# TYPE gromwumbler_scores_open_connections gauge\n";
  out += "gromwumbler_scores_open_connections " + std::to_string(open_.load()) + "\n";
  out += "# HELP gromwumbler_scores_replays_in_hand Recorded games waiting for a replay thread or being replayed.\n";
  out += "# TYPE gromwumbler_scores_replays_in_hand gauge\n";
  out += "gromwumbler_scores_replays_in_hand " + std::to_string(replays_.load()) + "\n";
  out += "# HELP gromwumbler_scores_body_bytes Bytes of request bodies held now, as their lengths announce.\n";
  out += "# TYPE gromwumbler_scores_body_bytes gauge\n";
  out += "gromwumbler_scores_body_bytes " + std::to_string(bodyBytes_.load()) + "\n";
  out += "# HELP gromwumbler_scores_stored_total Submissions stored.\n";
  out += "# TYPE gromwumbler_scores_stored_total counter\n";
  out += "gromwumbler_scores_stored_total " + std::to_string(stored_.load()) + "\n";
  out += "# HELP gromwumbler_replays_verified_total Recorded games replayed here that ended as their entry claims.\n";
  out += "# TYPE gromwumbler_replays_verified_total counter\n";
  out += "gromwumbler_replays_verified_total " + std::to_string(verified_.load()) + "\n";
  std::lock_guard guard(lock_);
  out += "# HELP gromwumbler_scores_requests_total Requests answered, by status.\n";
  out += "# TYPE gromwumbler_scores_requests_total counter\n";
  for (const auto& [status, n] : byStatus_) {
    out += "gromwumbler_scores_requests_total{status=\"" + std::to_string(status) + "\"} " + std::to_string(n) + "\n";
  }
  // Reasons are the server's own fixed words, never text from a client, so they need no escaping.
  out += "# HELP gromwumbler_scores_refusals_total Requests and connections refused, by reason.\n";
  out += "# TYPE gromwumbler_scores_refusals_total counter\n";
  for (const auto& [reason, n] : byRefusal_) {
    out += "gromwumbler_scores_refusals_total{reason=\"" + reason + "\"} " + std::to_string(n) + "\n";
  }
  out += "# HELP gromwumbler_scores_request_duration_seconds From a request's first byte to its answer.\n";
  out += "# TYPE gromwumbler_scores_request_duration_seconds histogram\n";
  std::int64_t cumulative = 0;
  for (std::size_t i = 0; i < kBuckets.size(); ++i) {
    cumulative += buckets_[i];
    out += "gromwumbler_scores_request_duration_seconds_bucket{le=\"" + Number(kBuckets[i]) + "\"} " +
           std::to_string(cumulative) + "\n";
  }
  out += "gromwumbler_scores_request_duration_seconds_bucket{le=\"+Inf\"} " + std::to_string(count_) + "\n";
  out += "gromwumbler_scores_request_duration_seconds_sum " + Number(seconds_) + "\n";
  out += "gromwumbler_scores_request_duration_seconds_count " + std::to_string(count_) + "\n";
  return out;
}

}  // namespace gw::scores
