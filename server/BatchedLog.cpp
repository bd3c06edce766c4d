// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchedLog.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace gw::scores {

namespace {
// Once woken, the writer lets lines gather for a moment or until a batch is full: a wake-up per line would cost a
// thread switch per request, more than the write it saves.
constexpr auto kGather = std::chrono::milliseconds(5);
constexpr std::size_t kBatch = 64 << 10;
}  // namespace

BatchedLog::BatchedLog(int fd, std::size_t maxPending)
    : fd_(fd), maxPending_(maxPending), fullBatch_(std::min(kBatch, maxPending)), writer_([this] { Write(); }) {}

BatchedLog::~BatchedLog() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
  }
  work_.notify_one();
  writer_.join();
}

void BatchedLog::Append(std::string_view line) {
  std::unique_lock guard(lock_);
  room_.wait(guard, [&] { return pending_.size() < maxPending_ || stopping_; });
  const bool wasEmpty = pending_.empty();
  pending_.append(line);
  appended_ += line.size();
  // The writer sleeps on an empty buffer, and gathers once woken: it needs waking for the first line, and again
  // only when a batch is full.
  if (wasEmpty || (pending_.size() >= fullBatch_ && pending_.size() - line.size() < fullBatch_)) work_.notify_one();
}

void BatchedLog::Flush() {
  std::unique_lock guard(lock_);
  const std::size_t target = appended_;
  ++flushing_;
  work_.notify_one();  // no gathering while someone waits
  room_.wait(guard, [&] { return written_ >= target; });
  --flushing_;
}

void BatchedLog::Write() {
  std::string batch;
  std::unique_lock guard(lock_);
  while (true) {
    work_.wait(guard, [&] { return !pending_.empty() || stopping_; });
    if (pending_.empty()) return;
    work_.wait_for(guard, kGather, [&] { return pending_.size() >= fullBatch_ || stopping_ || flushing_ > 0; });
    batch.clear();
    batch.swap(pending_);
    guard.unlock();
    std::string_view rest = batch;
    while (!rest.empty()) {
      const ssize_t n = ::write(fd_, rest.data(), rest.size());
      if (n < 0 && errno == EINTR) continue;
      // A failing log must not stop the server: the batch is given up.
      if (n <= 0) break;
      rest.remove_prefix(static_cast<std::size_t>(n));
    }
    guard.lock();
    written_ += batch.size();
    room_.notify_all();
  }
}

}  // namespace gw::scores
