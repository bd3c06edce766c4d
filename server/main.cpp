// SPDX-License-Identifier: GPL-3.0-or-later
// gromwumbler-scores: receives the game's score submissions, keeps them in SQLite or a shared PostgreSQL database
// and shows the records.

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>
#include <atomic>
#include <charconv>
#include <iostream>
#include <string>
#include <thread>

#include "BatchedLog.h"
#include "ClientAddress.h"
#include "HttpServer.h"
#include "PlayFiles.h"
#include "PgScoreStore.h"
#include "ScoreService.h"
#include "SqliteScoreStore.h"

namespace {

struct Options {
  std::string host = "127.0.0.1";
  int port = 8080;
  std::string db;  // --db, else GROMWUMBLER_SCORES_DB, else scores.db
  int pool = 8;
  std::vector<std::string> trustedProxies;
  char key = GW_SCORE_KEY[0];
  int perHour = 120;
  int storeThreads = 4;
  int connections = 10000;
  int perAddress = 64;
  int verifyThreads = 0;  // one fewer than the cores
  int verifyQueue = 0;    // sixteen per replay thread
  int bodyMemoryMib = 16;
  int uploadsPerAddress = 4;
  std::string play;  // --play: the game's web build, served at /play/
};

constexpr const char* kUsage =
    "usage: gromwumbler-scores [--listen ADDR:PORT] [--db FILE|URI] [--pool N] [--key LETTER] [--max-per-hour N]\n"
    "                          [--threads N] [--max-connections N] [--max-per-address N] [--trusted-proxy ADDR]...\n"
    "                          [--verify-threads N] [--verify-queue N] [--max-body-memory MIB]\n"
    "                          [--max-uploads-per-address N] [--play DIR]\n"
    "  --listen           where to accept requests (default 127.0.0.1:8080)\n"
    "  --db               the SQLite file, made on the first start, readable by its owner only; or a PostgreSQL\n"
    "                     URI (postgresql://...) shared by several servers (default: $GROMWUMBLER_SCORES_DB,\n"
    "                     else scores.db)\n"
    "  --pool             connections to PostgreSQL at most (default 8)\n"
    "  --key              the capital letter every record must carry (default " GW_SCORE_KEY ")\n"
    "  --max-per-hour     submissions stored per address and hour, and as many refused (default 120)\n"
    "  --threads          threads that work on the database (default 4)\n"
    "  --max-connections  connections open at once (default 10000)\n"
    "  --max-per-address  connections open at once from one address (default 64)\n"
    "  --trusted-proxy    a reverse proxy's address whose X-Forwarded-For names the client (repeatable)\n"
    "  --verify-threads   threads that replay recorded games (default 0: one fewer than the cores, at least one)\n"
    "  --verify-queue     recorded games waiting or being replayed at once; more are answered 503\n"
    "                     (default 0: sixteen for each replay thread)\n"
    "  --max-body-memory  MiB of request bodies held at once, from everyone (default 16)\n"
    "  --max-uploads-per-address\n"
    "                     requests with a body at once from one address (default 4)\n"
    "  --play             the game's web build (its play/ folder), served at /play/\n"
    "  -h, --help         show this and exit\n"
    "  -v, --version      show the version and exit\n";

enum class Parsed { Run, Help, Version, Bad };

bool ToInt(const std::string& text, int& value, int low, int high) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

// What is wrong goes to `error`, naming the option, for the operator reading a failed unit's journal.
Parsed Parse(int argc, char** argv, Options& o, std::string& error) {
  static constexpr const char* kWithValue[] = {"--listen", "--db", "--key", "--max-per-hour", "--threads",
                                               "--max-connections", "--pool", "--trusted-proxy", "--max-per-address",
                                               "--play", "--verify-threads", "--verify-queue", "--max-body-memory",
                                               "--max-uploads-per-address"};
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") return Parsed::Help;
    if (flag == "--version" || flag == "-v") return Parsed::Version;
    if (std::find(std::begin(kWithValue), std::end(kWithValue), flag) == std::end(kWithValue)) {
      error = (flag.starts_with('-') ? "unknown option '" : "unexpected argument '") + flag + "'";
      return Parsed::Bad;
    }
    if (i + 1 >= argc) {
      error = "option '" + flag + "' needs a value";
      return Parsed::Bad;
    }
    const std::string value = argv[++i];
    bool ok = true;
    if (flag == "--listen") {
      const std::size_t colon = value.rfind(':');
      ok = colon != std::string::npos && colon != 0 && ToInt(value.substr(colon + 1), o.port, 0, 65535);
      if (ok) o.host = value.substr(0, colon);
      // [::1]:8080 names an IPv6 address.
      if (ok && o.host.size() > 2 && o.host.front() == '[' && o.host.back() == ']') o.host = o.host.substr(1, o.host.size() - 2);
    } else if (flag == "--db") {
      o.db = value;
    } else if (flag == "--key") {
      ok = value.size() == 1 && value[0] >= 'A' && value[0] <= 'Z';
      if (ok) o.key = value[0];
    } else if (flag == "--max-per-hour") {
      ok = ToInt(value, o.perHour, 0, 1000000000);
    } else if (flag == "--threads") {
      ok = ToInt(value, o.storeThreads, 1, 256);
    } else if (flag == "--max-connections") {
      ok = ToInt(value, o.connections, 1, 1000000);
    } else if (flag == "--pool") {
      ok = ToInt(value, o.pool, 1, 1000);
    } else if (flag == "--trusted-proxy") {
      const std::string address = gw::scores::NormalAddress(value);
      ok = !address.empty();
      if (ok) o.trustedProxies.push_back(address);
    } else if (flag == "--play") {
      o.play = value;
    } else if (flag == "--max-per-address") {
      ok = ToInt(value, o.perAddress, 1, 1000000);
    } else if (flag == "--verify-threads") {
      ok = ToInt(value, o.verifyThreads, 0, 256);
    } else if (flag == "--verify-queue") {
      ok = ToInt(value, o.verifyQueue, 0, 1000000);
    } else if (flag == "--max-body-memory") {
      ok = ToInt(value, o.bodyMemoryMib, 1, 65536);
    } else if (flag == "--max-uploads-per-address") {
      ok = ToInt(value, o.uploadsPerAddress, 1, 1000000);
    }
    if (!ok) {
      error = "bad value '" + value + "' for option '" + flag + "'";
      return Parsed::Bad;
    }
  }
  return Parsed::Run;
}

// Every connection is a descriptor: take all the system allows this process (a sandbox may forbid asking), and
// keep the connection cap below it, with room for the database and the listener, so that a full server turns
// clients away with an answer instead of failing to accept them.
std::size_t ConnectionsTheSystemAllows(std::size_t wanted) {
  constexpr rlim_t kReserve = 64;
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return wanted;
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur <= kReserve) return wanted;
  return std::min<std::size_t>(wanted, static_cast<std::size_t>(limit.rlim_cur - kReserve));
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  switch (Parse(argc, argv, options, error)) {
    case Parsed::Help: std::cout << kUsage; return 0;
    case Parsed::Version: std::cout << "gromwumbler-scores (Grom Wumbler) " << GW_VERSION << "\n"; return 0;
    case Parsed::Bad: std::cerr << "gromwumbler-scores: " << error << "\n" << kUsage; return 2;
    case Parsed::Run: break;
  }
  // Whatever the server makes is its own alone: the database holds the signing key.
  umask(077);
  // SIGTERM and SIGINT are taken by one waiting thread, never in the middle of a request.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  if (options.db.empty()) {
    // From the environment, so that a password in the URI need not stand on a command line.
    const char* fromEnvironment = std::getenv("GROMWUMBLER_SCORES_DB");
    options.db = fromEnvironment && *fromEnvironment ? fromEnvironment : "scores.db";
  }
  const bool shared = gw::scores::IsPostgresUri(options.db);
  try {
    std::unique_ptr<gw::scores::ScoreStore> storeOwner;
    if (shared) {
      gw::scores::PgSettings pg;
      pg.uri = options.db;
      pg.poolSize = options.pool;
      storeOwner = std::make_unique<gw::scores::PgScoreStore>(pg);
    } else {
      storeOwner = std::make_unique<gw::scores::SqliteScoreStore>(options.db);
    }
    gw::scores::ScoreStore& store = *storeOwner;
    gw::scores::Metrics metrics;
    gw::scores::ScoreService service(store, metrics, {options.key, options.perHour, {}, !options.play.empty()});
    gw::scores::TransportLimits limits;
    limits.storeThreads = options.storeThreads;
    limits.connections = ConnectionsTheSystemAllows(static_cast<std::size_t>(options.connections));
    limits.connectionsPerAddress = static_cast<std::size_t>(options.perAddress);
    limits.trustedProxies = options.trustedProxies;
    limits.verifyThreads = options.verifyThreads;
    limits.verifyQueue = static_cast<std::size_t>(options.verifyQueue);
    limits.bodyBytesInFlight = static_cast<std::size_t>(options.bodyMemoryMib) * 1024 * 1024;
    limits.uploadsPerAddress = static_cast<std::size_t>(options.uploadsPerAddress);
    // With --play the game's page is served beside the scores.
    std::optional<gw::scores::PlayFiles> play;
    if (!options.play.empty()) play.emplace(options.play);
    std::optional<gw::scores::PlayRoutes> routes;
    if (play) routes.emplace(service, *play);
    gw::scores::HttpHandler& handler = routes ? static_cast<gw::scores::HttpHandler&>(*routes) : service;
    gw::scores::BatchedLog log(STDERR_FILENO);
    gw::scores::HttpServer server(handler, metrics, log.Sink(), limits);
    const auto port = server.Listen(options.host, static_cast<std::uint16_t>(options.port));
    std::atomic<bool> done{false};
    std::thread stopper([&] {
      const timespec poll{0, 200'000'000};
      while (!done) {
        if (sigtimedwait(&stopSignals, nullptr, &poll) > 0) {
          server.Stop();
          return;
        }
      }
    });
    // Never the URI itself: it may hold a password.
    std::cerr << "gromwumbler-scores: listening on " << options.host << ":" << port << ", scores in "
              << (shared ? "PostgreSQL" : options.db) << std::endl;
    server.Run();
    done = true;
    stopper.join();
    log.Flush();
    std::cerr << "gromwumbler-scores: stopped" << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "gromwumbler-scores: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
