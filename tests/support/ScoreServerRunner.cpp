// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScoreServerRunner.h"

#include <random>

namespace gw::test {

ScoreServerRunner::ScoreServerRunner(scores::ServiceSettings settings, scores::TransportLimits limits) {
  std::random_device rd;
  folder_ = std::filesystem::temp_directory_path() / ("gw-scores-" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(folder_);
  std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
  db_ = folder_ / "scores.db";
  store_ = std::make_unique<scores::SqliteScoreStore>(db_.string());
  Start(std::move(settings), std::move(limits));
}

ScoreServerRunner::ScoreServerRunner(std::unique_ptr<scores::ScoreStore> store, scores::ServiceSettings settings,
                                     scores::TransportLimits limits)
    : store_(std::move(store)) {
  Start(std::move(settings), std::move(limits));
}

void ScoreServerRunner::Start(scores::ServiceSettings settings, scores::TransportLimits limits) {
  service_ = std::make_unique<scores::ScoreService>(*store_, metrics_, std::move(settings));
  server_ = std::make_unique<scores::HttpServer>(
      *service_, metrics_,
      [this](std::string_view line) {
        // Enough for any test; a benchmark's millions are formatted but not kept.
        std::lock_guard guard(logLock_);
        if (log_.size() < 10000) log_.emplace_back(line);
      },
      limits);
  port_ = server_->Listen("127.0.0.1", 0);
  // Stop reaches a server whether or not its threads have begun: it is queued for them.
  thread_ = std::thread([this] { server_->Run(); });
}

ScoreServerRunner::~ScoreServerRunner() {
  server_->Stop();
  thread_.join();
  server_.reset();
  service_.reset();
  store_.reset();
  std::error_code ec;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

std::vector<std::string> ScoreServerRunner::LogLines() {
  std::lock_guard guard(logLock_);
  return log_;
}

}  // namespace gw::test
