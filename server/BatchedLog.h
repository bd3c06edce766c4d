// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Log lines gathered from every thread and written by one thread of their own, many lines per write: a write per
// request was the costliest single thing the server did for a small answer. Lines reach the descriptor within a
// few milliseconds, or at once for a Flush. No line is dropped: when the
// descriptor does not keep up, whoever logs waits for room.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "AccessLog.h"

namespace gw::scores {

class BatchedLog {
 public:
  explicit BatchedLog(int fd, std::size_t maxPending = 4 << 20);
  // Writes whatever is left.
  ~BatchedLog();
  BatchedLog(const BatchedLog&) = delete;
  BatchedLog& operator=(const BatchedLog&) = delete;

  // One whole line, newline included; it goes out in one piece with others.
  void Append(std::string_view line);
  // Returns once every line appended before the call is written.
  void Flush();
  // A sink for the server that appends here; valid while this log lives.
  LogSink Sink() {
    return [this](std::string_view line) { Append(line); };
  }

 private:
  void Write();

  const int fd_;
  const std::size_t maxPending_;
  const std::size_t fullBatch_;  // what the writer stops gathering at
  std::mutex lock_;
  std::condition_variable work_;  // lines to write, or the end
  std::condition_variable room_;  // written: room for more, and flushes may return
  std::string pending_;
  std::size_t appended_ = 0;  // bytes, since the start
  std::size_t written_ = 0;
  int flushing_ = 0;  // callers waiting in Flush
  bool stopping_ = false;
  std::thread writer_;
};

}  // namespace gw::scores
