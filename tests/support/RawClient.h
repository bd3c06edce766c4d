// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plain sockets on loopback, for clients that misbehave in ways no HTTP library allows: half a request, a byte at
// a time, too many headers. Each may come from its own address of 127.0.0.0/8, as distinct clients do.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace gw::test {

// A request that has begun and not ended: its head lacks the closing blank line.
inline constexpr char kHalfRequest[] = "GET /cgi/version.pl?version&prg=GromWumbler HTTP/1.1\r\nHost: t\r\n";

class RawClient {
 public:
  // Connects from 127.0.0.<host> (blocking); Ok() tells whether it worked.
  explicit RawClient(std::uint16_t port, int host = 1) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(0x7F000000u | static_cast<std::uint32_t>(host));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // A server that stops reading must not hold a test for ever.
    const timeval sendLimit{5, 0};
    if (fd_ >= 0) ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
    ok_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
          ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  }
  ~RawClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Ok() const { return ok_; }
  int Fd() const { return fd_; }

  // False once the server has closed or reset the connection.
  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // Everything the server sends until it closes the connection, or until `limit` passes.
  std::string ReadToClose(std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    return ReadUntil(limit, [](const std::string&) { return false; });
  }

  // One whole answer of a kept-alive connection: head and a body of its Content-Length.
  std::string ReadAnswer(std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    return ReadUntil(limit, [](const std::string& got) {
      const std::size_t head = got.find("\r\n\r\n");
      if (head == std::string::npos) return false;
      const std::size_t at = got.find("Content-Length: ");
      const std::size_t length = at == std::string::npos ? 0 : std::stoul(got.substr(at + 16));
      return got.size() >= head + 4 + length;
    });
  }

 private:
  // Reads until `whole` says so, the server closes, or `limit` passes.
  template <typename Whole>
  std::string ReadUntil(std::chrono::milliseconds limit, Whole whole) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!whole(got)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd p{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      char buffer[4096];
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

  int fd_ = -1;
  bool ok_ = false;
};

// The status of an answer's status line, or 0.
inline int StatusOf(const std::string& answer) {
  if (answer.rfind("HTTP/1.1 ", 0) != 0 || answer.size() < 12) return 0;
  return std::stoi(answer.substr(9, 3));
}

// Clients that hold half a request each and add one byte of a header every 2 s, spread over several addresses as
// many clients are. One the server cuts off comes back at once with a new half request, so they stay for as long
// as the object lives.
class SlowClients {
 public:
  SlowClients(std::uint16_t port, int count, int perAddress = 30);
  ~SlowClients();
  SlowClients(const SlowClients&) = delete;
  SlowClients& operator=(const SlowClients&) = delete;

  // How many could not connect at the start.
  int Failed() const { return failed_; }

 private:
  std::unique_ptr<RawClient> Join(int i);

  std::uint16_t port_;
  int perAddress_;
  std::vector<std::unique_ptr<RawClient>> clients_;
  int failed_ = 0;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread dribbler_;
};

}  // namespace gw::test
