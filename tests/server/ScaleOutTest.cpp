// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped scale-out set-up, as an operator installs it: Debian's nginx with our site configuration in front
// of two server programs started with the options of our systemd unit, over one PostgreSQL database.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PgScoreStore.h"
#include "net/HttpClient.h"
#include "net/ScoreExchange.h"
#include "net/ScoreRecord.h"
#include "server/ServerProcess.h"
#include "support/NginxProxy.h"
#include "support/PostgresServer.h"

namespace gw::scores {
namespace {

// The options the template unit starts an instance with, but for where it listens (the test picks the port).
std::vector<std::string> UnitOptions() {
  const std::string unit = test::SourceFile("dist/scale-out/gromwumbler-scores@.service");
  const std::size_t start = unit.find("\nExecStart=");
  EXPECT_NE(start, std::string::npos);
  std::istringstream line(unit.substr(start + 11, unit.find('\n', start + 1) - start - 11));
  std::vector<std::string> options;
  std::string word;
  line >> word;  // the program
  while (line >> word) {
    if (word == "--listen") {
      line >> word;
      continue;
    }
    options.push_back(word == "${KEY}" ? GW_SCORE_KEY : word);
  }
  return options;
}

TEST(ScaleOut, TwoHundredPlayersThroughTheShippedProxyAreAllServed) {
  const std::string uri = test::FreshPostgresDatabase();
  const std::vector<std::string> options = UnitOptions();
  ASSERT_NE(std::find(options.begin(), options.end(), "--trusted-proxy"), options.end());
  test::ServerProcess a(uri, options);
  test::ServerProcess b(uri, options);
  ASSERT_TRUE(a.Ready()) << a.Stderr();
  ASSERT_TRUE(b.Ready()) << b.Stderr();
  std::string site = test::SourceFile("dist/scale-out/nginx.conf");
  site = test::ReplaceAll(site, "127.0.0.1:8081", "127.0.0.1:" + std::to_string(a.Port()));
  site = test::ReplaceAll(site, "127.0.0.1:8082", "127.0.0.1:" + std::to_string(b.Port()));
  site = test::ReplaceAll(site, "listen 80;", "listen 127.0.0.1:@PORT@;");
  site = test::ReplaceAll(site, "listen [::]:80;", "");
  test::NginxProxy nginx(site);

  constexpr int kPlayers = 200;
  std::atomic<int> sent{0};
  std::vector<std::thread> players;
  const net::ServerAddress address{"127.0.0.1", nginx.Port()};
  for (int i = 0; i < kPlayers; ++i) {
    players.emplace_back([&, i] {
      net::HttpClient http;
      if (net::ExchangeScore(http, address, {"P", 1000 + i, 'G', "", "R"}) == net::ExchangeResult::Sent) ++sent;
    });
  }
  for (auto& t : players) t.join();
  EXPECT_EQ(sent.load(), kPlayers) << nginx.ErrorLog();
  EXPECT_EQ(PgScoreStore({uri}).Count(), kPlayers);
  for (test::ServerProcess* instance : {&a, &b}) {
    const std::string log = instance->Stderr();
    EXPECT_EQ(log.find(" 503 "), std::string::npos) << log.substr(0, 2000);
    // Both carried players, each named by the proxy.
    EXPECT_NE(log.find(" 127.0.0.1 GET /cgi/version.pl?hs&prg=GromWumbler&inf=["), std::string::npos);
  }
}

}  // namespace
}  // namespace gw::scores
