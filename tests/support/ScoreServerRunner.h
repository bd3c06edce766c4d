// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real score server, in this process, on a free port of 127.0.0.1 with a database in a fresh folder. Its
// access log is kept for the test to read.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "HttpServer.h"
#include "Metrics.h"
#include "ScoreService.h"
#include "SqliteScoreStore.h"

namespace gw::test {

class ScoreServerRunner {
 public:
  explicit ScoreServerRunner(scores::ServiceSettings settings = {}, scores::TransportLimits limits = {});
  // Over a store the test made (a shared database), instead of a fresh SQLite file.
  ScoreServerRunner(std::unique_ptr<scores::ScoreStore> store, scores::ServiceSettings settings,
                    scores::TransportLimits limits = {});
  ~ScoreServerRunner();
  ScoreServerRunner(const ScoreServerRunner&) = delete;
  ScoreServerRunner& operator=(const ScoreServerRunner&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  scores::ScoreStore& Store() { return *store_; }
  scores::Metrics& Metrics() { return metrics_; }
  const std::filesystem::path& DbPath() const { return db_; }
  std::vector<std::string> LogLines();

 private:
  std::filesystem::path folder_;
  std::filesystem::path db_;
  void Start(scores::ServiceSettings settings, scores::TransportLimits limits);

  std::unique_ptr<scores::ScoreStore> store_;
  scores::Metrics metrics_;
  std::unique_ptr<scores::ScoreService> service_;
  std::mutex logLock_;
  std::vector<std::string> log_;
  std::unique_ptr<scores::HttpServer> server_;
  std::uint16_t port_ = 0;
  std::thread thread_;
};

}  // namespace gw::test
