// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchedLog.h"

#include <unistd.h>

#include <cerrno>

namespace gw::scores {

BatchedLog::BatchedLog(int fd, std::size_t maxPending) : fd_(fd), maxPending_(maxPending), writer_([this] { Write(); }) {}

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
  // The writer only sleeps on an empty buffer: otherwise it comes back for these lines by itself.
  if (wasEmpty) work_.notify_one();
}

void BatchedLog::Flush() {
  std::unique_lock guard(lock_);
  const std::size_t target = appended_;
  room_.wait(guard, [&] { return written_ >= target; });
}

void BatchedLog::Write() {
  std::string batch;
  std::unique_lock guard(lock_);
  while (true) {
    work_.wait(guard, [&] { return !pending_.empty() || stopping_; });
    if (pending_.empty()) return;
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
