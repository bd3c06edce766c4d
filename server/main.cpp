// SPDX-License-Identifier: GPL-3.0-or-later
// gromwumbler-scores: receives the game's score submissions, keeps them in SQLite and shows the records.

#include <httplib.h>
#include <signal.h>

#include <atomic>
#include <charconv>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "ScoreService.h"
#include "SqliteScoreStore.h"

namespace {

struct Options {
  std::string host = "127.0.0.1";
  int port = 8080;
  std::string db = "scores.db";
  char key = GW_SCORE_KEY[0];
  int perHour = 120;
  int threads = 64;
};

constexpr const char* kUsage =
    "usage: gromwumbler-scores [--listen ADDR:PORT] [--db FILE] [--key LETTER] [--max-per-hour N] [--threads N]\n"
    "  --listen        where to accept requests (default 127.0.0.1:8080)\n"
    "  --db            the SQLite file, made on the first start (default scores.db)\n"
    "  --key           the capital letter every record must carry (default " GW_SCORE_KEY ")\n"
    "  --max-per-hour  submissions accepted per address and hour (default 120)\n"
    "  --threads       requests served at once (default 64)\n";

bool ToInt(const std::string& text, int& value, int low, int high) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") return false;
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (flag == "--listen") {
      const std::size_t colon = value.rfind(':');
      if (colon == std::string::npos || colon == 0) return false;
      o.host = value.substr(0, colon);
      if (!ToInt(value.substr(colon + 1), o.port, 0, 65535)) return false;
    } else if (flag == "--db") {
      o.db = value;
    } else if (flag == "--key") {
      if (value.size() != 1 || value[0] < 'A' || value[0] > 'Z') return false;
      o.key = value[0];
    } else if (flag == "--max-per-hour") {
      if (!ToInt(value, o.perHour, 0, 1000000000)) return false;
    } else if (flag == "--threads") {
      if (!ToInt(value, o.threads, 1, 4096)) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) {
    std::cerr << kUsage;
    return 2;
  }
  // SIGTERM and SIGINT are taken by one waiting thread, never in the middle of a request: the server stops
  // accepting, finishes what it has begun and closes the database.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  try {
    gw::scores::SqliteScoreStore store(options.db);
    gw::scores::ScoreService service(store, {options.key, options.perHour, options.threads, {}});
    httplib::Server server;
    service.Install(server);
    if (!server.bind_to_port(options.host, options.port)) {
      std::cerr << "gromwumbler-scores: cannot listen on " << options.host << ":" << options.port << "\n";
      return 1;
    }
    std::atomic<bool> done{false};
    std::thread stopper([&] {
      const timespec poll{0, 200'000'000};
      while (!done) {
        if (sigtimedwait(&stopSignals, nullptr, &poll) > 0) {
          server.stop();
          return;
        }
      }
    });
    std::cerr << "gromwumbler-scores: listening on " << options.host << ":" << options.port << ", scores in "
              << options.db << "\n";
    server.listen_after_bind();
    done = true;
    stopper.join();
    std::cerr << "gromwumbler-scores: stopped\n";
  } catch (const std::exception& e) {
    std::cerr << "gromwumbler-scores: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
