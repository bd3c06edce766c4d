// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The server program itself, started as a deployment starts it, its standard error kept.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/LoopbackServer.h"

extern char** environ;

namespace gw::test {

class ServerProcess {
 public:
  explicit ServerProcess(const std::string& db, std::vector<std::string> extra = {}) : port_(ClosedPort()) {
    std::vector<std::string> args = {GW_SCORE_SERVER_PROGRAM, "--listen", "127.0.0.1:" + std::to_string(port_), "--db", db,
                                     "--max-per-hour", "100000"};
    args.insert(args.end(), extra.begin(), extra.end());
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    // Drained all along: a full pipe would stop the server at its next log line.
    reader_ = std::thread([this, fd = pipeFds[0]] {
      char buffer[4096];
      ssize_t n;
      while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        std::lock_guard guard(lock_);
        stderr_.append(buffer, static_cast<std::size_t>(n));
        grew_.notify_all();
      }
      std::lock_guard guard(lock_);
      ended_ = true;
      grew_.notify_all();
      ::close(fd);
    });
  }
  ~ServerProcess() {
    if (pid_ > 0) Stop(SIGKILL);
    if (reader_.joinable()) reader_.join();
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Waits, at most 10 s, for the program to say it listens; false when it says nothing of the kind or ends.
  bool Ready() {
    std::unique_lock guard(lock_);
    grew_.wait_for(guard, std::chrono::seconds(10),
                   [this] { return ended_ || stderr_.find("listening on") != std::string::npos; });
    return stderr_.find("listening on") != std::string::npos;
  }
  int Stop(int signal) {
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }
  // The program's peak resident memory so far, in kB.
  long PeakKb() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string key;
    long value = -1;
    while (status >> key) {
      if (key == "VmHWM:") {
        status >> value;
        break;
      }
    }
    return value;
  }
  std::string Stderr() {
    std::lock_guard guard(lock_);
    return stderr_;
  }
  std::uint16_t Port() const { return port_; }

 private:
  std::uint16_t port_;
  pid_t pid_ = -1;
  std::mutex lock_;
  std::condition_variable grew_;
  std::string stderr_;
  bool ended_ = false;
  std::thread reader_;
};

}  // namespace gw::test
