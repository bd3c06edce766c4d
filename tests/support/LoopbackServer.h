// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A TCP server on 127.0.0.1 that answers each request it reads with the next scripted reply, byte for byte,
// and keeps what it received: for the HTTP client's exact request and its handling of odd servers.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gw::test {

struct ScriptedReply {
  std::string bytes;
  bool closeAfter = false;  // end the connection after sending (a body delimited by the close)
  bool silent = false;      // send nothing and wait until the client gives up
};

class LoopbackServer {
 public:
  explicit LoopbackServer(std::vector<ScriptedReply> replies);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string Url(const std::string& pathAndQuery) const;
  // Each request's head (request line and headers, through the blank line), in arrival order.
  std::vector<std::string> Requests();

 private:
  void Serve();
  void ServeConnection(int fd);

  std::vector<ScriptedReply> replies_;
  std::size_t next_ = 0;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
std::uint16_t ClosedPort();

}  // namespace gw::test
