// SPDX-License-Identifier: GPL-3.0-or-later
#include "HttpServer.h"

#include "ClientAddress.h"
#include "PageAllocator.h"

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <boost/asio/dispatch.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/post.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

namespace gw::scores {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr auto kAcceptRetry = std::chrono::milliseconds(50);
// When a client told to come back may: a replay is over within a second or two, and so is an upload.
constexpr char kRetryAfter[] = "2";
// How much less the replay threads count than the rest when the cores are all busy (a nice value, 19 the least).
constexpr int kReplayNice = 19;

// The system's longest listen queue: a burst of new connections waits there instead of meeting SYN retries.
int SystemBacklog() {
  std::ifstream file("/proc/sys/net/core/somaxconn");
  int value = 0;
  if (file >> value && value > 0) return value;
  return asio::socket_base::max_listen_connections;
}

std::string AddressOf(const tcp::endpoint& endpoint) {
  asio::ip::address address = endpoint.address();
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    address = asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
  }
  return address.to_string();
}

// Replays or uploads enough for now: the client may try again shortly.
HttpResponse Busy(std::string code, std::string text) {
  HttpResponse res = Refusal(503, std::move(code), std::move(text));
  res.headers.emplace_back("Retry-After", kRetryAfter);
  return res;
}

HttpResponse NotAllowed(const RequestHead& head) {
  HttpResponse res = Refusal(405, "method", "method not allowed here\n");
  res.headers.emplace_back("Allow", std::string(head.MethodsAllowed()));
  return res;
}

HttpResponse HeadRefusal(const beast::error_code& ec, const RequestHead& head, UploadBudget::Refusal upload) {
  switch (head.Problem()) {
    case HeadProblem::TooManyFields: return Refusal(431, "headers_too_large", "too many header fields\n");
    case HeadProblem::TargetTooLong: return Refusal(414, "target_too_long", "request target too long\n");
    case HeadProblem::MethodNotAllowed: return NotAllowed(head);
    case HeadProblem::HasBody: return Refusal(413, "body", "no request body is accepted\n");
    case HeadProblem::LengthRequired: return Refusal(411, "length_required", "the body's length must be sent first\n");
    case HeadProblem::BodyTooLarge: return Refusal(413, "body_too_large", "request body too large\n");
    case HeadProblem::BodyRefused:
      if (upload == UploadBudget::Refusal::Address) {
        return Busy("address_uploads", "too many uploads from this address at once\n");
      }
      return Busy("body_budget", "the server holds too many uploads; try again shortly\n");
    case HeadProblem::None: break;
  }
  if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
    return Refusal(431, "headers_too_large", "request head too large\n");
  }
  if (ec == http::error::body_limit) return Refusal(413, "body", "no request body is accepted\n");
  return Refusal(400, "bad_request", "malformed request\n");
}

// A replay thread runs at a lower priority than the threads that answer requests, once and for good: a replay is
// CPU alone, and the scheduler then gives the pages and the exchanges the cores whenever they want them.
void YieldToServing() {
  thread_local bool lowered = false;
  if (lowered) return;
  lowered = true;
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kReplayNice);
}

// Empties a string and gives back its memory, which clear() keeps.
void Free(std::string& text) { std::string().swap(text); }

// The limits with the replay pool's size and queue worked out from the machine.
TransportLimits Settled(TransportLimits limits) {
  if (limits.verifyThreads <= 0) {
    // One core is left to the threads that answer requests, so that they never wait for a replay's time slice.
    limits.verifyThreads = static_cast<int>(std::max(2U, std::thread::hardware_concurrency()) - 1);
  }
  if (limits.verifyQueue == 0) limits.verifyQueue = 16 * static_cast<std::size_t>(limits.verifyThreads);
  return limits;
}

}  // namespace

class HttpServer::Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(HttpServer& server, tcp::socket socket, std::string address, bool counted)
      : server_(server),
        socket_(std::move(socket)),
        timer_(socket_.get_executor()),
        address_(std::move(address)),
        buffer_(server.limits_.head.headBytes + kReadChunk),
        counted_(counted) {
    server_.metrics_.Opened();
  }
  ~Connection() {
    server_.metrics_.Closed();
    server_.Forget(this);
  }

  void Start() {
    asio::dispatch(socket_.get_executor(), [self = shared_from_this()] { self->AwaitRequest(); });
  }

  void Stop() {
    asio::dispatch(socket_.get_executor(), [self = shared_from_this()] {
      self->stopping_ = true;
      // One at the store or a replay gets its answer first; everything else is waiting for the client and ends now.
      if (!self->atWork_) self->Close();
    });
  }

 private:
  const TransportLimits& Limits() const { return server_.limits_; }

  // One deadline at a time: when it passes, whatever the connection waits for is cancelled and its handler sees
  // `expired_`. Setting a new one ends the old; so does NoDeadline. The timer is lazy: a request moves the deadline
  // several times, and moving it later only notes the time; the armed timer, when it fires early, sets itself again
  // for the deadline then in force. Only a deadline sooner than the armed one sets the timer anew.
  void Deadline(std::chrono::milliseconds after) {
    expired_ = false;
    deadlineAt_ = Clock::now() + after;
    if (!armed_ || timerAt_ > deadlineAt_) Arm();
  }

  void NoDeadline() { deadlineAt_ = Clock::time_point::max(); }

  void Arm() {
    armed_ = true;
    timerAt_ = deadlineAt_;
    // A wait replaced or cancelled still runs its handler: the generation tells it that it no longer counts.
    const std::uint64_t mine = ++timerGeneration_;
    timer_.expires_at(timerAt_);
    timer_.async_wait([self = shared_from_this(), mine](beast::error_code ec) {
      if (mine != self->timerGeneration_) return;
      self->armed_ = false;
      if (ec || self->deadlineAt_ == Clock::time_point::max()) return;
      if (Clock::now() < self->deadlineAt_) return self->Arm();
      self->expired_ = true;
      beast::error_code ignored;
      self->socket_.cancel(ignored);
    });
  }

  void AwaitRequest() {
    if (stopping_) return Close();
    if (buffer_.size() > 0) return ReadRequest();  // the next request came with the last one
    // A long head grew the buffer: what waits for the next request holds no more than one read's worth.
    if (buffer_.capacity() > kReadChunk) buffer_.shrink_to_fit();
    Deadline(Limits().idle);
    socket_.async_read_some(buffer_.prepare(kReadChunk), [self = shared_from_this()](beast::error_code ec, std::size_t n) {
      if (ec) return self->Close();
      self->buffer_.commit(n);
      self->ReadRequest();
    });
  }

  // The request's deadline runs from its first byte, however slowly the rest comes.
  void ReadRequest() {
    started_ = Clock::now();
    upload_ = UploadBudget::Refusal::None;
    head_.emplace(Limits().head, [this](std::size_t length) { return TakeUpload(length); });
    Deadline(Limits().request);
    http::async_read(socket_, buffer_, *head_,
                     [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnHead(ec); });
  }

  void OnHead(beast::error_code ec) {
    NoDeadline();
    if (ec && expired_ && !stopping_) {
      request_ = {head_->Method(), head_->Target(), {}, address_, {}};
      return Answer(Refusal(408, "deadline", "the request did not arrive in time\n"), false);
    }
    if (ec) {
      // Gone, or cut by a stop: nobody to answer.
      if (stopping_ || ec == http::error::end_of_stream || ec == http::error::partial_message ||
          ec == asio::error::operation_aborted || ec == asio::error::connection_reset ||
          ec == asio::error::broken_pipe || ec == asio::error::eof) {
        return Close();
      }
      request_ = {head_->Method(), head_->Target(), {}, address_, {}};
      return Answer(HeadRefusal(ec, *head_, upload_), false);
    }
    request_ = {head_->Method(), head_->Target(), head_->Cookie(),
                ClientAddress(address_, head_->ForwardedFor(), Limits().trustedProxies), head_->TakeBody()};
    request_.acceptEncoding = head_->AcceptEncoding();
    request_.ifNoneMatch = head_->IfNoneMatch();
    const bool keepAlive = head_->keep_alive();
    if (!head_->MethodAllowed()) return Answer(NotAllowed(*head_), keepAlive);
    Reply reply = server_.handler_.Handle(request_);
    // The handler's work has its own copy of what it needs; the body's share of the budget stays until the answer.
    Free(request_.body);
    if (auto* res = std::get_if<HttpResponse>(&reply)) return Answer(std::move(*res), keepAlive);
    if (auto* replay = std::get_if<VerifyWork>(&reply)) {
      if (!server_.TakeReplay()) {
        return Answer(Busy("verify_busy", "too many games are being replayed; try again shortly\n"), keepAlive);
      }
      return Offload(server_.verify_, std::move(replay->work), keepAlive, true);
    }
    Offload(server_.store_, std::move(std::get<StoreWork>(reply)), keepAlive, false);
  }

  // Runs the work on the pool and answers with what it makes, back on the connection's own thread.
  void Offload(asio::thread_pool& pool, std::function<HttpResponse()> work, bool keepAlive, bool replay) {
    atWork_ = true;
    asio::post(pool, [self = shared_from_this(), work = std::move(work), keepAlive, replay]() mutable {
      HttpServer& server = self->server_;
      HttpResponse res;
      if (server.stopping_) {
        // Queued but not begun when the stop came: it never reached the store or the replay.
        res = Refusal(503, "stopping", "the server is stopping\n");
      } else {
        if (replay) YieldToServing();
        try {
          res = work();
        } catch (const std::exception& e) {
          if (server.log_) server.log_(std::string(replay ? "replay error: " : "store error: ") + e.what() + "\n");
          res = replay ? Refusal(503, "replay_error", "the game cannot be replayed now\n")
                       : Refusal(503, "store_error", "the score store is not available\n");
        }
      }
      // What the work held (a recorded game) goes before its place is given back.
      work = nullptr;
      if (replay) server.GiveReplay();
      asio::post(self->socket_.get_executor(), [self, res = std::move(res), keepAlive]() mutable {
        self->atWork_ = false;
        self->Answer(std::move(res), keepAlive);
      });
    });
  }

  // Asked by the head's parser with a body's announced length: a share of the bodies the server holds at once.
  bool TakeUpload(std::size_t length) {
    const std::string client = ClientAddress(address_, head_->ForwardedFor(), Limits().trustedProxies);
    upload_ = server_.uploads_.Take(client, length, lease_);
    return upload_ == UploadBudget::Refusal::None;
  }

  void Answer(HttpResponse res, bool keepAlive) {
    keepAlive = keepAlive && !stopping_;
    // Answered: the body's bytes go back to the budget, and the request's memory with them.
    lease_.Release();
    Free(request_.body);
    head_.reset();
    const auto took = Clock::now() - started_;
    server_.metrics_.Answered(res.status, res.refusal, took);
    server_.Log({std::chrono::system_clock::now(), request_.address, request_.method, request_.target, res.status,
                 res.refusal, took});
    response_.emplace(static_cast<http::status>(res.status), 11);
    response_->set(http::field::content_type, res.contentType);
    for (const auto& [name, value] : res.headers) response_->insert(name, value);
    response_->body() = std::move(res.body);
    response_->keep_alive(keepAlive);
    response_->prepare_payload();
    // A HEAD is answered as its GET would be, the length included, without the body.
    if (request_.method == "HEAD") Free(response_->body());
    Deadline(Limits().write);
    http::async_write(socket_, *response_, [self = shared_from_this(), keepAlive](beast::error_code ec, std::size_t) {
      self->NoDeadline();
      self->response_.reset();
      if (ec || !keepAlive) return self->Close();
      self->AwaitRequest();
    });
  }

  // The client has certainly gone: the peer's end of the stream, with nothing of it left unread, or a reset.
  // Looked at from the admitting thread without taking anything from the socket; lock_ keeps it open meanwhile.
  bool ClientGone() const {
    char byte = 0;
    const ssize_t n = ::recv(const_cast<tcp::socket&>(socket_).native_handle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
  }

  void Close() {
    beast::error_code ignored;
    NoDeadline();
    // The armed timer holds the connection: let it go now, not when the timer would have fired.
    ++timerGeneration_;
    armed_ = false;
    timer_.cancel();
    lease_.Release();
    // The slot goes back as the socket closes, under the lock that the admitting thread peeks under.
    std::lock_guard guard(server_.lock_);
    server_.Uncount(this);
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
  }

  const std::string& Address() const { return address_; }

  HttpServer& server_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  std::string address_;
  beast::basic_flat_buffer<PageAllocator<char>> buffer_;
  std::optional<RequestHead> head_;
  UploadBudget::Lease lease_;  // the body's share, from its announced length to its answer
  UploadBudget::Refusal upload_ = UploadBudget::Refusal::None;  // why the body was refused, if it was
  HttpRequest request_;
  std::optional<http::response<http::string_body>> response_;
  Clock::time_point started_ = Clock::now();
  bool atWork_ = false;  // at the store or a replay
  bool stopping_ = false;
  bool expired_ = false;
  Clock::time_point deadlineAt_ = Clock::time_point::max();  // max: none
  Clock::time_point timerAt_{};  // what the armed timer waits for
  bool armed_ = false;
  std::uint64_t timerGeneration_ = 0;
  bool counted_;  // against its address's cap; guarded by the server's lock_
  friend class HttpServer;
};

namespace {

std::vector<std::unique_ptr<asio::io_context>> IoContexts(int threads) {
  std::vector<std::unique_ptr<asio::io_context>> contexts;
  for (int i = 0; i < std::max(threads, 1); ++i) contexts.push_back(std::make_unique<asio::io_context>(1));
  return contexts;
}

}  // namespace

HttpServer::HttpServer(HttpHandler& handler, Metrics& metrics, LogSink log, TransportLimits limits)
    : handler_(handler),
      metrics_(metrics),
      log_(std::move(log)),
      limits_(Settled(std::move(limits))),
      uploads_(limits_.bodyBytesInFlight, limits_.uploadsPerAddress, metrics_),
      io_(IoContexts(limits_.networkThreads)),
      strand_(asio::make_strand(*io_.front())),
      acceptor_(strand_),
      retry_(strand_),
      grace_(strand_),
      store_(static_cast<std::size_t>(limits_.storeThreads)),
      verify_(static_cast<std::size_t>(limits_.verifyThreads)) {
  for (auto& io : io_) busy_.push_back(asio::make_work_guard(*io));
}

HttpServer::~HttpServer() {
  Stop();
  store_.join();
  verify_.join();
  // The contexts go one by one from here, dropping the handlers they still hold; connections freed that way must
  // not reach for a context already gone.
  closing_ = true;
}

std::uint16_t HttpServer::Listen(const std::string& host, std::uint16_t port) {
  tcp::resolver resolver(*io_.front());
  const tcp::endpoint endpoint = *resolver.resolve(host, std::to_string(port), tcp::resolver::numeric_service).begin();
  acceptor_.open(endpoint.protocol());
  acceptor_.set_option(asio::socket_base::reuse_address(true));
  acceptor_.bind(endpoint);
  acceptor_.listen(SystemBacklog());
  return acceptor_.local_endpoint().port();
}

void HttpServer::Run() {
  asio::dispatch(strand_, [this] { Accept(); });
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < io_.size(); ++i) threads.emplace_back([io = io_[i].get()] { io->run(); });
  io_.front()->run();
  for (std::thread& t : threads) t.join();
  // What reached the store or a replay is finished before the store may close.
  store_.join();
  verify_.join();
}

void HttpServer::Stop() {
  asio::dispatch(strand_, [this] {
    if (stopping_.exchange(true)) return;
    beast::error_code ignored;
    acceptor_.close(ignored);
    retry_.cancel();
    // From now on a context ends when its connections have.
    for (auto& guard : busy_) guard.reset();
    std::vector<std::shared_ptr<Connection>> live;
    {
      std::lock_guard guard(lock_);
      for (auto& [key, weak] : connections_) {
        if (auto c = weak.lock()) live.push_back(std::move(c));
      }
    }
    if (live.empty()) return;
    for (auto& c : live) c->Stop();
    grace_.expires_after(limits_.stopGrace);
    grace_.async_wait([this](beast::error_code ec) {
      if (ec) return;
      for (auto& io : io_) io->stop();
    });
  });
}

void HttpServer::Accept() {
  asio::io_context& next = *io_[nextIo_];
  nextIo_ = (nextIo_ + 1) % io_.size();
  acceptor_.async_accept(next, [this](beast::error_code ec, tcp::socket socket) {
    if (stopping_ || ec == asio::error::operation_aborted) return;
    if (ec) {
      // Out of descriptors, most likely: wait a moment rather than spin.
      if (log_) log_("accept: " + ec.message() + "\n");
      retry_.expires_after(kAcceptRetry);
      retry_.async_wait([this](beast::error_code wait) {
        if (!wait && !stopping_) Accept();
      });
      return;
    }
    Admit(std::move(socket));
    Accept();
  });
}

void HttpServer::Admit(tcp::socket socket) {
  beast::error_code ec;
  const tcp::endpoint peer = socket.remote_endpoint(ec);
  if (ec) return;
  const std::string address = AddressOf(peer);
  const bool proxy = Trusted(address, limits_.trustedProxies);
  socket.set_option(tcp::no_delay(true), ec);  // an answer goes out in one piece, at once
  const char* reason = nullptr;
  std::shared_ptr<Connection> connection;
  {
    std::lock_guard guard(lock_);
    if (connections_.size() >= limits_.connections) {
      reason = "connections";
    } else if (!proxy) {
      auto& counted = perAddress_[address];
      if (counted.size() >= limits_.connectionsPerAddress && !Sweep(counted)) reason = "address_connections";
      if (reason && counted.empty()) perAddress_.erase(address);
    }
    if (!reason) {
      connection = std::make_shared<Connection>(*this, std::move(socket), address, !proxy);
      connections_.emplace(connection.get(), connection);
      if (!proxy) perAddress_[address].push_back(connection.get());
    }
  }
  if (reason) return Turn(socket, address, reason);
  connection->Start();
}

// A connection over the caps gets a short answer at once, without a byte of it read, and is closed.
void HttpServer::Turn(tcp::socket& socket, const std::string& address, const char* reason) {
  static constexpr char kBusy[] =
      "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nRetry-After: 1\r\nConnection: close\r\n\r\n";
  [[maybe_unused]] const ssize_t n = ::send(socket.native_handle(), kBusy, sizeof kBusy - 1, MSG_DONTWAIT | MSG_NOSIGNAL);
  beast::error_code ignored;
  socket.close(ignored);
  metrics_.Refused(reason);
  Log({std::chrono::system_clock::now(), address, {}, {}, 503, reason, {}});
}

bool HttpServer::TakeReplay() {
  std::size_t now = replays_.load();
  do {
    if (now >= limits_.verifyQueue) return false;
  } while (!replays_.compare_exchange_weak(now, now + 1));
  metrics_.ReplayTaken();
  return true;
}

void HttpServer::GiveReplay() {
  metrics_.ReplayGiven();
  replays_.fetch_sub(1);
}

void HttpServer::Uncount(Connection* connection) {
  if (!connection->counted_) return;
  connection->counted_ = false;
  const auto it = perAddress_.find(connection->Address());
  if (it == perAddress_.end()) return;
  std::erase(it->second, connection);
  if (it->second.empty()) perAddress_.erase(it);
}

bool HttpServer::Sweep(std::vector<Connection*>& counted) {
  const std::size_t before = counted.size();
  std::erase_if(counted, [](Connection* c) {
    if (!c->ClientGone()) return false;
    // Its handlers close it when they see the end; its answer, if one is due, still goes out.
    c->counted_ = false;
    return true;
  });
  return counted.size() < before;
}

void HttpServer::Forget(Connection* connection) {
  bool last = false;
  {
    std::lock_guard guard(lock_);
    connections_.erase(connection);
    Uncount(connection);
    last = connections_.empty();
  }
  // A stop ends as soon as the last connection has, not when the grace runs out.
  if (last && stopping_ && !closing_ && !io_.front()->stopped()) asio::post(strand_, [this] { grace_.cancel(); });
}

}  // namespace gw::scores
