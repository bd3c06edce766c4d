// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real score server, in this process, on a free port of 127.0.0.1 with a database in a fresh folder.

#include <httplib.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "ScoreService.h"
#include "SqliteScoreStore.h"

namespace gw::test {

class ScoreServerRunner {
 public:
  explicit ScoreServerRunner(scores::ServiceSettings settings = {});
  ~ScoreServerRunner();
  ScoreServerRunner(const ScoreServerRunner&) = delete;
  ScoreServerRunner& operator=(const ScoreServerRunner&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  scores::SqliteScoreStore& Store() { return *store_; }
  const std::filesystem::path& DbPath() const { return db_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path db_;
  std::unique_ptr<scores::SqliteScoreStore> store_;
  std::unique_ptr<scores::ScoreService> service_;
  httplib::Server server_;
  std::uint16_t port_ = 0;
  std::thread thread_;
};

}  // namespace gw::test
