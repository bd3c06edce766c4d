// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace gw::test {

namespace {

constexpr int kPollMs = 20;

int ListenOnLoopback(std::uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, 16) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port = ntohs(addr.sin_port);
  return fd;
}

// Waits for the fd to become readable; false when the server is stopping.
bool WaitReadable(int fd, const std::atomic<bool>& stop) {
  pollfd p{fd, POLLIN, 0};
  while (!stop) {
    if (poll(&p, 1, kPollMs) > 0) return true;
  }
  return false;
}

}  // namespace

LoopbackServer::LoopbackServer(std::vector<ScriptedReply> replies) : replies_(std::move(replies)) {
  listener_ = ListenOnLoopback(port_);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  stop_ = true;
  thread_.join();
  close(listener_);
}

std::string LoopbackServer::Url(const std::string& pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
}

std::vector<std::string> LoopbackServer::Requests() {
  std::lock_guard guard(lock_);
  return requests_;
}

void LoopbackServer::Serve() {
  while (WaitReadable(listener_, stop_)) {
    const int fd = accept(listener_, nullptr, nullptr);
    if (fd < 0) continue;
    ServeConnection(fd);
    close(fd);
  }
}

void LoopbackServer::ServeConnection(int fd) {
  std::string buffer;
  char chunk[4096];
  while (WaitReadable(fd, stop_)) {
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) return;  // the client closed
    buffer.append(chunk, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = buffer.find("\r\n\r\n")) != std::string::npos) {
      {
        std::lock_guard guard(lock_);
        requests_.push_back(buffer.substr(0, end + 4));
      }
      buffer.erase(0, end + 4);
      if (next_ >= replies_.size()) return;
      const ScriptedReply& reply = replies_[next_++];
      if (reply.silent) continue;  // read on until the client hangs up
      std::size_t sent = 0;
      while (sent < reply.bytes.size()) {
        const ssize_t w = send(fd, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
        if (w <= 0) return;  // the client stopped listening
        sent += static_cast<std::size_t>(w);
      }
      if (reply.closeAfter) return;
    }
  }
}

std::uint16_t ClosedPort() {
  std::uint16_t port = 0;
  close(ListenOnLoopback(port));
  return port;
}

}  // namespace gw::test
