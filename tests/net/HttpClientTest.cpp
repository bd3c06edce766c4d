// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "support/LoopbackServer.h"

namespace gw::net {
namespace {

using test::LoopbackServer;
using test::ScriptedReply;

std::string RequestHead(const std::string& target, std::uint16_t port, const std::string& cookie = "") {
  return "GET " + target + " HTTP/1.1\r\n" + cookie + "Content-Type: text/html\r\nHost: 127.0.0.1:" +
         std::to_string(port) + "\r\nAccept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n";
}

std::string WithoutLine(std::string text, const std::string& line) {
  const std::size_t at = text.find(line);
  if (at != std::string::npos) text.erase(at, line.size());
  return text;
}

TEST(HttpClient, SendsTheRequestExactlyAndTheFirstReplysCookieWithTheSecond) {
  LoopbackServer server({{"HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc123; Path=/\r\nContent-Length: 11\r\n\r\na|b|c|d|e|f"},
                         {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}});
  HttpClient http;
  EXPECT_EQ(http.HttpGet(server.Url("/cgi/version.pl?version&prg=GromWumbler")), "a|b|c|d|e|f");
  EXPECT_EQ(http.HttpGet(server.Url("/cgi/version.pl?hs&prg=GromWumbler&inf=NFTGG3DF")), "");
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], RequestHead("/cgi/version.pl?version&prg=GromWumbler", server.Port()));
  // libcurl puts the Cookie header ahead of the others; the rest stands in its order.
  const std::string cookie = "Cookie: sid=abc123\r\n";
  EXPECT_NE(requests[1].find(cookie), std::string::npos) << requests[1];
  EXPECT_EQ(WithoutLine(requests[1], cookie), RequestHead("/cgi/version.pl?hs&prg=GromWumbler&inf=NFTGG3DF", server.Port()));
}

TEST(HttpClient, HostCarriesThePortOnlyWhenItIsNot80) {
  EXPECT_EQ(HostHeaderValue("http://scores.example/cgi/version.pl?version"), "scores.example");
  EXPECT_EQ(HostHeaderValue("http://scores.example:80/x"), "scores.example");
  EXPECT_EQ(HostHeaderValue("http://127.0.0.1:8080/x"), "127.0.0.1:8080");
  EXPECT_THROW(HostHeaderValue("not a url"), HttpError);
}

struct ReplyCase {
  const char* name;
  std::vector<ScriptedReply> replies;
  bool ok;
  std::string body;
};

TEST(HttpClient, OnlyASuccessWithoutLocationGivesItsBody) {
  const std::string big = "HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n" + std::string(1 << 20, 'x');
  const std::string bigClosed = "HTTP/1.1 200 OK\r\n\r\n" + std::string(1 << 20, 'x');
  const std::string justEnough = "HTTP/1.1 200 OK\r\nContent-Length: 65536\r\n\r\n" + std::string(65536, 'y');
  const ReplyCase cases[] = {
      {"404 with a body", {{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\na|b|c|d|e"}}, false, ""},
      {"302", {{"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1/\r\nContent-Length: 0\r\n\r\n"}}, false, ""},
      {"304", {{"HTTP/1.1 304 Not Modified\r\n\r\n"}}, false, ""},
      {"500", {{"HTTP/1.1 500 Oops\r\nContent-Length: 2\r\n\r\nno"}}, false, ""},
      {"200 with Location", {{"HTTP/1.1 200 OK\r\nLocation: /elsewhere\r\nContent-Length: 2\r\n\r\nhi"}}, false, ""},
      {"100 then 200", {{"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi"}}, true, "hi"},
      {"chunked", {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\na|b\r\n4\r\n|c|d\r\n0\r\n\r\n"}}, true,
       "a|b|c|d"},
      {"ended by closing", {{"HTTP/1.1 200 OK\r\n\r\nuntil the end", true}}, true, "until the end"},
      {"empty 200", {{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}}, true, ""},
      {"204", {{"HTTP/1.1 204 No Content\r\n\r\n"}}, true, ""},
      {"64 KiB exactly", {{justEnough}}, true, std::string(65536, 'y')},
      {"1 MB by length", {{big}}, false, ""},
      {"1 MB until closing", {{bigClosed, true}}, false, ""},
      {"broken off mid-body", {{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nshort", true}}, false, ""},
      {"not HTTP", {{"hello there\r\n\r\n", true}}, false, ""},
  };
  for (const ReplyCase& c : cases) {
    LoopbackServer server(c.replies);
    HttpClient http;
    if (c.ok) {
      EXPECT_EQ(http.HttpGet(server.Url("/")), c.body) << c.name;
    } else {
      EXPECT_THROW(http.HttpGet(server.Url("/")), HttpError) << c.name;
    }
  }
}

TEST(HttpClient, AClosedPortFailsAtOnce) {
  HttpClient http;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(http.HttpGet("http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/"), HttpError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(HttpClient, ASilentServerIsGivenUpOnAtTheBound) {
  LoopbackServer server({{"", false, true}});
  HttpClient http(HttpLimits{std::chrono::milliseconds(200), std::chrono::milliseconds(250), 64 * 1024});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(http.HttpGet(server.Url("/")), HttpError);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(200));
  EXPECT_LT(waited, std::chrono::seconds(3));
}

}  // namespace
}  // namespace gw::net
