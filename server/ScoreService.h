// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The score server's HTTP side: the two requests of a submission, the records page and its JSON twin.

#include <cstdint>
#include <functional>
#include <string>

#include "RateLimiter.h"
#include "ScoreStore.h"
#include "Tokens.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace gw::scores {

struct ServiceSettings {
  char key = 'G';                           // the letter every record must carry
  int submissionsPerHour = 120;             // per address
  int threads = 64;                         // requests served at once
  std::function<std::int64_t()> now;        // seconds since the epoch; the system clock when empty
};

class ScoreService {
 public:
  // Reads the token key from the store. Throws StoreError.
  ScoreService(ScoreStore& store, ServiceSettings settings);

  // Puts the routes and the request limits on a server.
  void Install(httplib::Server& server);

 private:
  void Script(const httplib::Request& req, httplib::Response& res);
  void Version(const httplib::Request& req, httplib::Response& res);
  void Submit(const httplib::Request& req, httplib::Response& res);
  void Page(httplib::Response& res);
  void Api(const httplib::Request& req, httplib::Response& res);
  std::int64_t Now() const;

  ScoreStore& store_;
  ServiceSettings settings_;
  TokenSigner signer_;
  RateLimiter limiter_;
};

}  // namespace gw::scores
