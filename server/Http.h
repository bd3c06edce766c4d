// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the transport hands to the score service and what it gets back: a request reduced to the few parts the
// service reads, and a reply that may have to wait for the database.

#include <functional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace gw::scores {

struct HttpRequest {
  std::string method;
  std::string target;   // path and query as sent
  std::string cookie;   // every Cookie header, joined with "; "
  std::string address;  // the client's IP address
  std::string body;     // a POST's, bounded by the transport; empty otherwise
  std::string acceptEncoding{};  // every Accept-Encoding header, joined with ", "
  std::string ifNoneMatch{};     // every If-None-Match header, joined with ", "
};

struct HttpResponse {
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // besides type and length
  std::string refusal;  // why the request was refused, for the log and the counters; empty when served
};

// Work that blocks on the database, run on the database's own threads.
using StoreWork = std::function<HttpResponse()>;

// Work that replays a recorded game: seconds of CPU at worst, so it runs on a pool of its own with a bounded queue
// and never takes a thread that the other requests are answered on. A full queue is answered 503 with Retry-After.
struct VerifyWork {
  std::function<HttpResponse()> work;
};

// A reply at once, or the work that will make it.
using Reply = std::variant<HttpResponse, StoreWork, VerifyWork>;

class HttpHandler {
 public:
  virtual ~HttpHandler() = default;
  // Called on a network thread: must not block. The request is gone once it returns: work takes copies.
  virtual Reply Handle(const HttpRequest& request) = 0;
};

// A refusal: the status, a short code for the log and the counters, and the text the client reads.
inline HttpResponse Refusal(int status, std::string code, std::string text) {
  HttpResponse res;
  res.status = status;
  res.body = std::move(text);
  res.refusal = std::move(code);
  return res;
}

}  // namespace gw::scores
