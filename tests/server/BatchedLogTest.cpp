// SPDX-License-Identifier: GPL-3.0-or-later
// The access log written in batches by a thread of its own: every line arrives, whole, however many threads log
// at once and however little room the log has.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BatchedLog.h"
#include "support/Headless.h"

namespace gw::scores {
namespace {

TEST(BatchedLog, EveryLineArrivesWholeFromManyThreads) {
  test::TempFolder folder;
  constexpr int kThreads = 8;
  constexpr int kLines = 5000;
  for (const std::size_t room : {std::size_t{64}, std::size_t{4} << 20}) {
    const int fd = ::open("log.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    {
      BatchedLog log(fd, room);
      std::vector<std::thread> threads;
      for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
          for (int i = 0; i < kLines; ++i) log.Append("thread " + std::to_string(t) + " line " + std::to_string(i) + " end\n");
        });
      }
      for (auto& th : threads) th.join();
      log.Flush();
      // Flushed means on the descriptor, before the log ends.
      std::ifstream early("log.txt");
      std::stringstream read;
      read << early.rdbuf();
      const std::string text = read.str();
      EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\n')), kThreads * kLines);
    }
    ::close(fd);
    std::ifstream file("log.txt");
    std::set<std::string> lines;
    std::string line;
    int count = 0;
    while (std::getline(file, line)) {
      ++count;
      ASSERT_TRUE(line.starts_with("thread ") && line.ends_with(" end")) << line;
      lines.insert(line);
    }
    EXPECT_EQ(count, kThreads * kLines) << room;
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines)) << room;
  }
}

}  // namespace
}  // namespace gw::scores
