// SPDX-License-Identifier: GPL-3.0-or-later
// The game's page at /play/: types, compression as the browser accepts it, caching by content hash, the
// Content-Security-Policy, the "Play" link on the records page, and nothing of it without --play.

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "PlayFiles.h"
#include "server/ServerProcess.h"
#include "support/Headless.h"

namespace gw::scores {
namespace {

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A staged page as the build lays it out: a page, a hashed script with both compressed forms, a hashed module
// with gzip only.
struct PlayFolder {
  PlayFolder() {
    std::filesystem::create_directory(dir);
    Write(dir / "index.html", "<!DOCTYPE html><title>play</title>");
    Write(dir / "game.0123456789abcdef.js", "console.log(1)");
    Write(dir / "game.0123456789abcdef.js.gz", "GZ");
    Write(dir / "game.0123456789abcdef.js.br", "BR");
    Write(dir / "game.fedcba9876543210.wasm", std::string("\0asm", 4));
    Write(dir / "game.fedcba9876543210.wasm.gz", "WGZ");
  }
  test::TempFolder scratch;
  std::filesystem::path dir = scratch.Path() / "play";
};

HttpRequest Get(std::string target, std::string acceptEncoding = {}, std::string ifNoneMatch = {}) {
  HttpRequest r;
  r.method = "GET";
  r.target = std::move(target);
  r.address = "127.0.0.1";
  r.acceptEncoding = std::move(acceptEncoding);
  r.ifNoneMatch = std::move(ifNoneMatch);
  return r;
}

std::string Header(const HttpResponse& res, const std::string& name) {
  for (const auto& [n, v] : res.headers) {
    if (n == name) return v;
  }
  return {};
}

TEST(PlayFiles, ServesEachFileWithItsTypeAndTheBestEncodingTheBrowserTakes) {
  PlayFolder folder;
  const PlayFiles play(folder.dir);
  struct Case {
    const char* target;
    const char* accept;
    const char* type;
    const char* encoding;
    std::string body;
  };
  const Case cases[] = {
      {"/play/", "gzip, deflate, br", "text/html; charset=utf-8", "", "<!DOCTYPE html><title>play</title>"},
      {"/play/game.0123456789abcdef.js?x=1", "gzip, deflate, br", "text/javascript; charset=utf-8", "br", "BR"},
      {"/play/game.0123456789abcdef.js", "gzip, br;q=0", "text/javascript; charset=utf-8", "gzip", "GZ"},
      {"/play/game.0123456789abcdef.js", "", "text/javascript; charset=utf-8", "", "console.log(1)"},
      {"/play/game.fedcba9876543210.wasm", "br, gzip", "application/wasm", "gzip", "WGZ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.target) + " / " + c.accept);
    const auto res = play.Answer(Get(c.target, c.accept));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->contentType, c.type);
    EXPECT_EQ(Header(*res, "Content-Encoding"), c.encoding);
    EXPECT_EQ(res->body, c.body);
    EXPECT_EQ(Header(*res, "Vary"), "Accept-Encoding");
    EXPECT_NE(Header(*res, "Content-Security-Policy").find("script-src 'self' 'wasm-unsafe-eval'"), std::string::npos);
  }
}

TEST(PlayFiles, HashedNamesAreKeptForGoodAndThePageIsCheckedByItsTag) {
  PlayFolder folder;
  const PlayFiles play(folder.dir);
  EXPECT_EQ(Header(*play.Answer(Get("/play/game.0123456789abcdef.js")), "Cache-Control"),
            "public, max-age=31536000, immutable");
  const auto page = play.Answer(Get("/play/index.html"));
  EXPECT_EQ(Header(*page, "Cache-Control"), "no-cache");
  const std::string tag = Header(*page, "ETag");
  ASSERT_FALSE(tag.empty());
  const auto again = play.Answer(Get("/play/", "", tag));
  EXPECT_EQ(again->status, 304);
  EXPECT_TRUE(again->body.empty());
  EXPECT_EQ(play.Answer(Get("/play/", "", "\"other\""))->status, 200);
}

TEST(PlayFiles, OnlyItsOwnFilesUnderPlay) {
  PlayFolder folder;
  Write(folder.scratch.Path() / "secret.txt", "no");
  const PlayFiles play(folder.dir);
  EXPECT_FALSE(play.Answer(Get("/")));
  EXPECT_FALSE(play.Answer(Get("/cgi/version.pl?hs")));
  EXPECT_FALSE(play.Answer(Get("/player/")));
  for (const char* target : {"/play/../secret.txt", "/play/%2e%2e/secret.txt", "/play/nothing.js", "/play/sub/index.html"}) {
    SCOPED_TRACE(target);
    EXPECT_EQ(play.Answer(Get(target))->status, 404);
  }
  const auto moved = play.Answer(Get("/play"));
  EXPECT_EQ(moved->status, 301);
  EXPECT_EQ(Header(*moved, "Location"), "/play/");
  HttpRequest post = Get("/play/");
  post.method = "POST";
  EXPECT_EQ(play.Answer(post)->status, 405);
}

TEST(PlayFiles, AFolderWithoutAPageIsRefusedAtStart) {
  test::TempFolder scratch;
  EXPECT_THROW(PlayFiles(scratch.Path() / "missing"), PlayFilesError);
  std::filesystem::create_directory(scratch.Path() / "empty");
  EXPECT_THROW(PlayFiles(scratch.Path() / "empty"), PlayFilesError);
}

TEST(PlayFiles, TheServerServesThePageOnlyWithPlayAndLinksItFromTheRecords) {
  PlayFolder folder;
  {
    test::ServerProcess server("with.db", {"--play", folder.dir.string()});
    ASSERT_TRUE(server.Ready());
    httplib::Client client("127.0.0.1", server.Port());
    const auto page = client.Get("/play/", {{"Accept-Encoding", "gzip"}});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_TRUE(page->has_header("Content-Security-Policy"));
    const auto records = client.Get("/");
    ASSERT_TRUE(records);
    EXPECT_NE(records->body.find(R"(<a href="/play/">Играть</a>)"), std::string::npos);
    server.Stop(SIGTERM);
  }
  test::ServerProcess server("without.db");
  ASSERT_TRUE(server.Ready());
  httplib::Client client("127.0.0.1", server.Port());
  EXPECT_EQ(client.Get("/play/")->status, 404);
  EXPECT_EQ(client.Get("/")->body.find("/play/"), std::string::npos);
}

}  // namespace
}  // namespace gw::scores
