// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScoreServerRunner.h"

#include <random>
#include <stdexcept>

namespace gw::test {

ScoreServerRunner::ScoreServerRunner(scores::ServiceSettings settings) {
  std::random_device rd;
  folder_ = std::filesystem::temp_directory_path() / ("gw-scores-" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(folder_);
  db_ = folder_ / "scores.db";
  store_ = std::make_unique<scores::SqliteScoreStore>(db_.string());
  service_ = std::make_unique<scores::ScoreService>(*store_, std::move(settings));
  service_->Install(server_);
  const int port = server_.bind_to_any_port("127.0.0.1");
  if (port <= 0) throw std::runtime_error("the score server cannot listen");
  port_ = static_cast<std::uint16_t>(port);
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // stop() only reaches a server that has begun listening.
  while (!server_.is_running()) std::this_thread::yield();
}

ScoreServerRunner::~ScoreServerRunner() {
  server_.stop();
  thread_.join();
  service_.reset();
  store_.reset();
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

}  // namespace gw::test
