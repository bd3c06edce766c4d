// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One HTTP request at a time over libcurl, with the request headers the score server knows, cookies kept in
// memory for the client's lifetime, no redirects, and bounded waits.

#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

namespace gw::net {

struct HttpLimits {
  std::chrono::milliseconds connect{5000};  // giving up on reaching the server
  std::chrono::milliseconds total{10000};   // one whole request, connecting included
  std::size_t maxBody = 64 * 1024;          // a longer reply body fails the request
};

class HttpError : public std::runtime_error {
 public:
  explicit HttpError(const std::string& what, int status = 0) : std::runtime_error(what), status_(status) {}
  // The reply's status when one came and was not a success; 0 when none came.
  int Status() const { return status_; }

 private:
  int status_;
};

// The Host header's value for a URL: the host, with ":" and the port only when the port is not 80.
std::string HostHeaderValue(const std::string& url);

class HttpClient {
 public:
  explicit HttpClient(HttpLimits limits = {});
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // GETs a plain-HTTP URL and returns the body of a 2xx reply that has no "Location" header. Anything else
  // (no connection, time-out, redirect, error status, broken or oversized transfer) throws HttpError.
  // Not for two threads at once.
  std::string HttpGet(const std::string& url);
  // POSTs bytes as application/octet-stream on the same terms.
  std::string HttpPost(const std::string& url, const std::string& body);

  // A GET that goes on while the caller does other things, one at a time: Finished says whether its answer has
  // come, and Answer gives it as HttpGet would (once). A request made meanwhile waits for it first.
  void StartGet(const std::string& url);
  bool Finished();
  std::string Answer();

 private:
  std::string Perform(const std::string& url, const std::string* body);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace gw::net
