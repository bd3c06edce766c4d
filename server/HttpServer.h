// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The score server's HTTP/1.1 transport. Connections are events on a few network threads (each with its own
// share), so a client that is slow, silent or greedy holds only its own few kilobytes: every request must arrive
// whole within a deadline, its head is bounded in bytes and fields, and the connections of one address and of all
// are capped. A body is read only for the one request that takes one, and only once its bytes fit in what the
// server holds for bodies at once. Work that blocks on the database runs on a small pool of its own, never on the
// network threads; replaying a recorded game runs on another, whose bounded queue turns the surplus away, so that
// replays never hold up the pages, the API or the exchanges.
// A trusted reverse proxy carries many players over its connections, so its own address has no connection cap
// (the hourly budgets count the players it names); and a connection whose client has gone holds no slot, even
// before its handlers have seen the end.

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "AccessLog.h"
#include "Http.h"
#include "Metrics.h"
#include "RequestHead.h"
#include "UploadBudget.h"

namespace gw::scores {

struct TransportLimits {
  std::size_t connections = 10000;          // open at once, from everyone
  std::size_t connectionsPerAddress = 64;   // open at once, from one address other than a trusted proxy
  std::chrono::milliseconds idle{5000};     // waiting for the first byte of a request
  std::chrono::milliseconds request{10000};  // from a request's first byte to its last
  std::chrono::milliseconds write{10000};    // for the client to take the answer
  std::chrono::milliseconds stopGrace{1500};  // what a stop waits for answers from the store
  RequestHead::Limits head;
  std::size_t bodyBytesInFlight = 16 * 1024 * 1024;  // request bodies held at once, from everyone
  std::size_t uploadsPerAddress = 4;                 // requests with a body at once, from one client
  // Reverse proxies whose X-Forwarded-For names the client (exact addresses); from anyone else it is ignored.
  std::vector<std::string> trustedProxies;
  int networkThreads = 2;
  int storeThreads = 4;
  // Replaying recorded games, at a low priority; 0: one fewer than the machine's cores, at least one.
  int verifyThreads = 0;
  std::size_t verifyQueue = 0;  // replays waiting or running at once, beyond which 503; 0: sixteen per thread
};

class HttpServer {
 public:
  HttpServer(HttpHandler& handler, Metrics& metrics, LogSink log, TransportLimits limits = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds to the host (a name or an address) and port and listens with the system's longest queue; returns the
  // port, which the system picks for 0. Throws std::system_error.
  std::uint16_t Listen(const std::string& host, std::uint16_t port);
  // Serves until Stop; returns once every connection has ended and the work of the store and the replays is done.
  void Run();
  // From any thread: stop accepting, close connections that wait for their client, and answer those whose request
  // reached the store or a replay; what waited for a thread is answered 503 without being begun, and whatever is
  // left after the grace time is cut.
  void Stop();

 private:
  class Connection;

  void Accept();
  void Admit(boost::asio::ip::tcp::socket socket);
  void Turn(boost::asio::ip::tcp::socket& socket, const std::string& address, const char* reason);
  void Forget(Connection* connection);
  // Under lock_: the connection no longer counts against its address's cap.
  void Uncount(Connection* connection);
  // Under lock_: gives back the slots of the address's connections whose client has gone; true when one was.
  bool Sweep(std::vector<Connection*>& counted);
  void Log(const AccessEntry& entry) { if (log_) log_(AccessLine(entry)); }
  // A place among the replays waiting or running; false when they are as many as the queue holds.
  bool TakeReplay();
  void GiveReplay();

  HttpHandler& handler_;
  Metrics& metrics_;
  LogSink log_;
  TransportLimits limits_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> closing_{false};  // the server is being taken apart

  // Declared before the I/O context: connections still held by its handlers forget themselves here when it goes.
  std::mutex lock_;
  std::unordered_map<const Connection*, std::weak_ptr<Connection>> connections_;
  // The connections counted against each address's cap.
  std::unordered_map<std::string, std::vector<Connection*>> perAddress_;
  // Also before the contexts: a connection's share of it goes back when the connection goes.
  UploadBudget uploads_;
  std::atomic<std::size_t> replays_{0};  // waiting or running

  // One I/O context per network thread, each run by that thread alone: a connection lives on one of them, so its
  // handlers never need a strand, and no thread wakes another for its work. The first also holds the acceptor.
  std::vector<std::unique_ptr<boost::asio::io_context>> io_;
  // Keep the contexts running while they have no connection; let go at the stop.
  std::vector<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> busy_;
  std::size_t nextIo_ = 0;  // the acceptor's: whose turn the next connection is
  boost::asio::strand<boost::asio::io_context::executor_type> strand_;  // the acceptor's and the grace timer's
  boost::asio::ip::tcp::acceptor acceptor_;
  boost::asio::steady_timer retry_;
  boost::asio::steady_timer grace_;
  boost::asio::thread_pool store_;
  boost::asio::thread_pool verify_;
};

}  // namespace gw::scores
