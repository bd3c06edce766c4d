// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/TableLock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

#include "support/Headless.h"

namespace gw::store {
namespace {

TEST(TableLock, OneCopyPerFolderAndAKilledCopyLetsTheNextOneStart) {
  test::TempFolder folder;
  std::filesystem::create_directory("other");
  {
    const TableLock first(".");
    EXPECT_FALSE(first.HeldByAnother());
    EXPECT_TRUE(TableLock(".").HeldByAnother());
    EXPECT_FALSE(TableLock("other").HeldByAnother());
  }
  EXPECT_FALSE(TableLock(".").HeldByAnother()) << "a copy that quit keeps holding the folder";
  EXPECT_FALSE(TableLock("missing").HeldByAnother()) << "a folder that cannot be locked must not stop the game";

  // Another process holds the folder until it is killed outright.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const std::filesystem::path here = std::filesystem::current_path();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const TableLock held(here);
    const char byte = held.HeldByAnother() ? 'n' : 'y';
    (void)!write(ready[1], &byte, 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(byte, 'y');
  EXPECT_TRUE(TableLock(".").HeldByAnother());
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_FALSE(TableLock(".").HeldByAnother());
}

}  // namespace
}  // namespace gw::store
