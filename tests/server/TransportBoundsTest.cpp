// SPDX-License-Identifier: GPL-3.0-or-later
// What a request may take of the server: the methods whose bodies it reads, the bodies it holds at once, the
// replays it runs beside everything else, and the memory of a crowd of stalled uploads. On loopback, bounded in
// count and time.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "HttpServer.h"
#include "Metrics.h"
#include "support/RawClient.h"
#include "support/ScoreServerRunner.h"

namespace gw::scores {
namespace {

using test::RawClient;
using test::StatusOf;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kAtOnce{2000};  // how long an answer due at once may take before the test calls it missing

// The value of an answer's header, or empty.
std::string HeaderOf(const std::string& answer, const std::string& name) {
  const std::size_t end = answer.find("\r\n\r\n");
  const std::size_t at = answer.find("\r\n" + name + ": ");
  if (at == std::string::npos || at > end) return {};
  const std::size_t from = at + name.size() + 4;
  return answer.substr(from, answer.find("\r\n", from) - from);
}

std::string BodyOf(const std::string& answer) {
  const std::size_t at = answer.find("\r\n\r\n");
  return at == std::string::npos ? std::string() : answer.substr(at + 4);
}

// AddressSanitizer's allocator holds freed memory in quarantine and its shadow grows with the heap, so under it the
// process's memory says nothing of the server's. Its runtime, when linked, defines this function.
extern "C" int __asan_address_is_poisoned(const volatile void* address) __attribute__((weak));
bool UnderAddressSanitizer() { return __asan_address_is_poisoned != nullptr; }

// Waits, at most 5 s, for something the test cannot be told of; whether it came.
template <typename Done>
bool Eventually(Done done) {
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (Clock::now() > end) return false;
    std::this_thread::yield();
  }
  return true;
}

// Whether the server closed or reset the connection within `limit`, reading past whatever it sent first.
bool ClosedByServer(RawClient& client, milliseconds limit = kAtOnce) {
  const auto end = Clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
    pollfd p{client.Fd(), POLLIN, 0};
    if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    char buffer[4096];
    if (::recv(client.Fd(), buffer, sizeof buffer, 0) <= 0) return true;
  }
}

HttpResponse Text(std::string body) {
  HttpResponse res;
  res.body = std::move(body);
  return res;
}

// Work that waits until the test lets it go, counting those that have come to it.
class Gate {
 public:
  explicit Gate(bool open) : open_(open) {}
  void Pass() {
    std::unique_lock guard(lock_);
    ++arrived_;
    changed_.notify_all();
    changed_.wait(guard, [this] { return open_; });
  }
  void Open() {
    {
      std::lock_guard guard(lock_);
      open_ = true;
    }
    changed_.notify_all();
  }
  bool AwaitArrivals(int n) {
    std::unique_lock guard(lock_);
    return changed_.wait_for(guard, std::chrono::seconds(5), [&] { return arrived_ >= n; });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool open_;
  int arrived_ = 0;
};

// A POST is a replay that waits at the gate and answers its body's length; /store is answered from the store's
// pool; anything else at once.
class GatedHandler final : public HttpHandler {
 public:
  explicit GatedHandler(bool open) : gate(open) {}
  Reply Handle(const HttpRequest& request) override {
    if (request.method == "POST") {
      return VerifyWork{[this, length = request.body.size()] {
        gate.Pass();
        return Text(std::to_string(length));
      }};
    }
    if (request.target == "/store") return StoreWork([] { return Text("stored"); });
    return Text("at once");
  }
  Gate gate;
};

// The transport alone, on a free port of 127.0.0.1, over the handler above.
class LocalServer {
 public:
  explicit LocalServer(TransportLimits limits, bool gateOpen = true)
      : handler_(gateOpen), server_(handler_, metrics_, {}, std::move(limits)) {
    port_ = server_.Listen("127.0.0.1", 0);
    thread_ = std::thread([this] { server_.Run(); });
  }
  ~LocalServer() {
    handler_.gate.Open();  // or the stop would wait on work that never ends
    server_.Stop();
    thread_.join();
  }
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  std::uint16_t Port() const { return port_; }
  Gate& TheGate() { return handler_.gate; }
  Metrics& TheMetrics() { return metrics_; }
  void Stop() { server_.Stop(); }

 private:
  Metrics metrics_;
  GatedHandler handler_;
  HttpServer server_;
  std::uint16_t port_ = 0;
  std::thread thread_;
};

std::string Upload(std::size_t length) {
  return "POST /replay?token=t HTTP/1.1\r\nHost: t\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

TEST(TransportBounds, MethodsNotServedAreRefusedWithTheOnesThatAre) {
  test::ScoreServerRunner server;
  struct Case {
    const char* name;
    std::string request;
    int status;
    const char* allow;  // the Allow header expected, empty for none
  };
  const Case cases[] = {
      {"PUT of the replay", "PUT /replay?token=a HTTP/1.1\r\nHost: t\r\nContent-Length: 3\r\n\r\nabc", 405, "POST"},
      {"GET of the replay", "GET /replay HTTP/1.1\r\nHost: t\r\n\r\n", 405, "POST"},
      {"the replay's path encoded", "GET /repl%61y HTTP/1.1\r\nHost: t\r\n\r\n", 405, "POST"},
      {"DELETE of the records", "DELETE / HTTP/1.1\r\nHost: t\r\n\r\n", 405, "GET"},
      {"POST to the records", "POST / HTTP/1.1\r\nHost: t\r\nContent-Length: 3\r\n\r\nabc", 405, "GET"},
      // Its answer has no body to wait for: the close ends it.
      {"HEAD of the API", "HEAD /api/scores HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n", 405, "GET"},
      {"PATCH of the game's page", "PATCH /play/ HTTP/1.1\r\nHost: t\r\n\r\n", 405, "GET, HEAD"},
      {"a method of no one's", "BREW /healthz HTTP/1.1\r\nHost: t\r\n\r\n", 405, "GET"},
      // Refused at its head: the server waits neither for the megabyte nor for the chunks.
      {"a large body announced", "PUT /replay HTTP/1.1\r\nHost: t\r\nContent-Length: 1000000\r\n\r\n", 405, "POST"},
      {"a chunked body begun", "PUT / HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", 405, "GET"},
      {"a recording without its length", "POST /replay HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nab", 411, ""},
      {"a recording over 64 KiB", Upload(64 * 1024 + 1), 413, ""},
  };
  for (const Case& c : cases) {
    RawClient client(server.Port());
    ASSERT_TRUE(client.Send(c.request)) << c.name;
    const std::string answer = client.ReadAnswer(kAtOnce);
    EXPECT_EQ(StatusOf(answer), c.status) << c.name;
    EXPECT_EQ(HeaderOf(answer, "Allow"), c.allow) << c.name;
  }
  // A refusal that left nothing unread keeps the connection for the next request.
  RawClient kept(server.Port());
  ASSERT_TRUE(kept.Send("DELETE / HTTP/1.1\r\nHost: t\r\n\r\n"
                        "GET /metrics HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n"));
  const std::string both = kept.ReadToClose(kAtOnce);
  EXPECT_EQ(StatusOf(both), 405);
  EXPECT_NE(both.find("HTTP/1.1 200 OK"), std::string::npos) << both;
}

TEST(TransportBounds, AHeadIsAnsweredWithTheLengthAndNoBody) {
  LocalServer server({});
  RawClient client(server.Port());
  ASSERT_TRUE(client.Send("HEAD /play/a HTTP/1.1\r\nHost: t\r\n\r\n"
                          "GET /play/a HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n"));
  const std::string answers = client.ReadToClose(kAtOnce);
  // The second answer follows the first's head at once: no body between them to be taken for the next answer.
  const std::size_t firstEnd = answers.find("\r\n\r\n");
  ASSERT_NE(firstEnd, std::string::npos) << answers;
  EXPECT_EQ(HeaderOf(answers, "Content-Length"), "7") << answers;
  EXPECT_EQ(answers.compare(firstEnd + 4, 12, "HTTP/1.1 200"), 0) << answers;
  EXPECT_TRUE(answers.ends_with("\r\n\r\nat once")) << answers;
}

// Two bodies' worth of memory and one upload per client: the rest is turned away at its head, unread, with a time
// to come back, and gets its turn once a body is answered; requests without a body never wait for them.
TEST(TransportBounds, BodiesAreHeldOnlyWithinTheBudget) {
  constexpr std::size_t kBody = 60000;
  TransportLimits limits;
  limits.bodyBytesInFlight = 2 * kBody;
  limits.uploadsPerAddress = 1;
  LocalServer server(limits);
  Metrics& metrics = server.TheMetrics();
  const std::string body(kBody - 1, 'g');
  // Sends all of an upload but its last byte, at once.
  const auto stalled = [&](int host) {
    auto client = std::make_unique<RawClient>(server.Port(), host);
    client->Send(Upload(kBody) + body);
    return client;
  };
  const auto refused = [&](RawClient& client, const char* reason) {
    const std::string answer = client.ReadAnswer(kAtOnce);
    EXPECT_EQ(StatusOf(answer), 503) << reason << ": " << answer;
    EXPECT_EQ(HeaderOf(answer, "Retry-After"), "2") << reason;
    EXPECT_NE(metrics.Text().find("reason=\"" + std::string(reason) + "\"} 1"), std::string::npos) << reason;
  };
  const auto held = [&](std::size_t bytes) {
    return Eventually([&] { return metrics.BodyBytesHeld() == static_cast<std::int64_t>(bytes); });
  };

  auto first = stalled(2);
  ASSERT_TRUE(held(kBody));
  auto sameClient = stalled(2);
  refused(*sameClient, "address_uploads");
  auto second = stalled(3);
  ASSERT_TRUE(held(2 * kBody));
  auto overBudget = stalled(4);
  refused(*overBudget, "body_budget");
  RawClient get(server.Port(), 4);
  get.Send("GET / HTTP/1.1\r\nHost: t\r\n\r\n");
  EXPECT_EQ(BodyOf(get.ReadAnswer(kAtOnce)), "at once");

  // An answered body gives its share back, and the client turned away has its turn.
  first->Send("g");
  EXPECT_EQ(BodyOf(first->ReadAnswer(kAtOnce)), std::to_string(kBody));
  EXPECT_TRUE(held(kBody));
  auto again = stalled(4);
  again->Send("g");
  EXPECT_EQ(BodyOf(again->ReadAnswer(kAtOnce)), std::to_string(kBody));
  second->Send("g");
  EXPECT_EQ(BodyOf(second->ReadAnswer(kAtOnce)), std::to_string(kBody));
  EXPECT_TRUE(held(0));
}

// Four replays sent from four addresses, two of them begun and the other two queued; none when that fails.
std::vector<std::unique_ptr<RawClient>> FourReplaysInHand(LocalServer& server) {
  std::vector<std::unique_ptr<RawClient>> replays;
  for (int i = 0; i < 4; ++i) {
    replays.push_back(std::make_unique<RawClient>(server.Port(), 2 + i));
    if (!replays.back()->Send(Upload(4) + "game")) return {};
  }
  if (!server.TheGate().AwaitArrivals(2)) return {};
  if (!Eventually([&] { return server.TheMetrics().ReplaysInHand() == 4; })) return {};
  return replays;
}

// Two replay threads and room for four: the fifth is turned away at once, the pages and the store's answers go on
// meanwhile, and the four finish once let go.
TEST(TransportBounds, ReplaysWaitOnTheirOwnThreadsAndABoundedQueue) {
  TransportLimits limits;
  limits.verifyThreads = 2;
  limits.verifyQueue = 4;
  LocalServer server(limits, false);
  const std::vector<std::unique_ptr<RawClient>> replays = FourReplaysInHand(server);
  ASSERT_EQ(replays.size(), 4u);

  RawClient fifth(server.Port(), 6);
  ASSERT_TRUE(fifth.Send(Upload(4) + "game"));
  const std::string busy = fifth.ReadAnswer(kAtOnce);
  EXPECT_EQ(StatusOf(busy), 503) << busy;
  EXPECT_EQ(HeaderOf(busy, "Retry-After"), "2");
  for (const char* target : {"/", "/store"}) {
    RawClient page(server.Port(), 7);
    ASSERT_TRUE(page.Send("GET " + std::string(target) + " HTTP/1.1\r\nHost: t\r\n\r\n"));
    const std::string answer = page.ReadAnswer(kAtOnce);
    EXPECT_EQ(StatusOf(answer), 200) << target;
    EXPECT_EQ(BodyOf(answer), target == std::string("/") ? "at once" : "stored");
  }

  server.TheGate().Open();
  for (auto& replay : replays) EXPECT_EQ(BodyOf(replay->ReadAnswer(kAtOnce)), "4");
  EXPECT_TRUE(Eventually([&] { return server.TheMetrics().ReplaysInHand() == 0; }));
}

TEST(TransportBounds, AStopFinishesTheReplaysBegunAndTurnsAwayTheQueued) {
  TransportLimits limits;
  limits.verifyThreads = 2;
  limits.verifyQueue = 4;
  limits.stopGrace = milliseconds(5000);
  LocalServer server(limits, false);
  const std::vector<std::unique_ptr<RawClient>> replays = FourReplaysInHand(server);
  ASSERT_EQ(replays.size(), 4u);
  // Waiting for its first request: the stop closes it, so its closing shows that the stop has begun.
  RawClient idle(server.Port(), 9);
  ASSERT_TRUE(Eventually([&] { return server.TheMetrics().OpenConnections() == 5; }));
  server.Stop();
  ASSERT_TRUE(ClosedByServer(idle));

  server.TheGate().Open();
  int finished = 0;
  int turnedAway = 0;
  for (auto& replay : replays) {
    const std::string answer = replay->ReadToClose(kAtOnce);
    finished += StatusOf(answer) == 200 && BodyOf(answer) == "4";
    turnedAway += StatusOf(answer) == 503 && BodyOf(answer) == "the server is stopping\n";
  }
  EXPECT_EQ(finished, 2);
  EXPECT_EQ(turnedAway, 2);
}

// The process's own memory, in kB, by its /proc/self/status key (the server runs in this process).
long StatusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string word;
  long value = -1;
  while (status >> word) {
    if (word == key) {
      status >> value;
      break;
    }
  }
  return value;
}

// 4,096 uploads of the largest recording allowed, each stalled one byte short, from 1,024 clients, twice over: the
// bodies held stay within their budget (16 MiB), the bodies and buffers go back to the system once the server has
// ended the uploads, what the heap keeps of the connections serves the next flood instead of adding to it, and
// honest requests are answered throughout.
TEST(TransportBounds, FloodsOfStalledUploadsLeaveTheMemoryBounded) {
  constexpr int kUploads = 4096;
  constexpr std::size_t kBody = 64 * 1024;
  // Both ends of every upload are in this process: take all the descriptors the system allows it.
  rlimit files{};
  ::getrlimit(RLIMIT_NOFILE, &files);
  files.rlim_cur = files.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &files);
  if (files.rlim_cur != RLIM_INFINITY && files.rlim_cur < 2 * kUploads + 256) {
    GTEST_SKIP() << "the system allows this process " << files.rlim_cur << " descriptors, fewer than the floods need";
  }
  TransportLimits limits;
  limits.request = milliseconds(1000);
  test::ScoreServerRunner server({}, limits);
  const auto honest = [&] {
    RawClient client(server.Port(), 2);
    client.Send("GET /healthz HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n");
    return StatusOf(client.ReadToClose(kAtOnce));
  };
  ASSERT_EQ(honest(), 200);
  const std::string upload = Upload(kBody) + std::string(kBody - 1, 'g');
  struct Memory {
    long peak = 0;  // kB, while the flood was sent and held
    long after = 0;  // kB, once every upload has ended
  };
  const auto flood = [&](int round) {
    // The peak from here on (a kernel that does not allow the reset leaves the process's peak so far, higher).
    std::ofstream("/proc/self/clear_refs") << "5";
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < kUploads; ++i) {
      clients.push_back(std::make_unique<RawClient>(server.Port(), 256 + i / 4));
      EXPECT_TRUE(clients.back()->Ok()) << i;
      clients.back()->Send(upload);  // a refused one may be cut off before its end
    }
    EXPECT_EQ(honest(), 200) << "during flood " << round;
    // Every upload ends, answered: 503 at its head, or 408 once stalled past its deadline.
    int refused = 0;
    int cut = 0;
    const auto end = Clock::now() + std::chrono::seconds(15);
    for (auto& client : clients) {
      const auto left = std::max(milliseconds(1), std::chrono::duration_cast<milliseconds>(end - Clock::now()));
      const int status = StatusOf(client->ReadToClose(left));
      refused += status == 503;
      cut += status == 408;
    }
    EXPECT_EQ(refused + cut, kUploads) << "flood " << round;
    EXPECT_GT(refused, 0) << "flood " << round;
    EXPECT_GT(cut, 0) << "flood " << round;
    Memory memory;
    memory.peak = StatusKb("VmHWM:");
    EXPECT_TRUE(Eventually([&] { return server.Metrics().OpenConnections() == 0; })) << "flood " << round;
    EXPECT_EQ(server.Metrics().BodyBytesHeld(), 0) << "flood " << round;
    memory.after = StatusKb("VmRSS:");
    std::cout << "flood " << round << ": " << refused << " uploads refused at their head, " << cut
              << " cut off at their deadline; resident memory at the peak " << memory.peak << " kB, after "
              << memory.after << " kB\n";
    return memory;
  };

  const long before = StatusKb("VmRSS:");
  std::cout << "resident memory before the floods " << before << " kB\n";
  const Memory first = flood(1);
  const Memory second = flood(2);
  EXPECT_EQ(honest(), 200) << "after the floods";
  if (UnderAddressSanitizer()) GTEST_SKIP() << "the sanitizer's allocator keeps what is freed: no memory figure holds";
  // The bodies' budget and the connections' own few kilobytes each (unbounded, the uploads held 256 MiB).
  EXPECT_LE(first.peak - before, 16 * 1024 + 32 * 1024) << "kB above the memory before, at the first's peak";
  // What stays is the heap's share of each connection, under 3 KiB, for the next ones.
  EXPECT_LE(first.after - before, kUploads * 3) << "kB above the memory before, after the first";
  EXPECT_LE(second.peak - first.peak, 2 * 1024) << "kB the second flood's peak added";
  EXPECT_LE(second.after - first.after, 2 * 1024) << "kB the second flood left besides the first";
}

}  // namespace
}  // namespace gw::scores
