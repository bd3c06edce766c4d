// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's web build, served at /play/ from a folder made by the build (tools/web/stage.py): each file with its
// type, compressed beforehand (the .br or .gz beside it, as the browser accepts), kept by browsers for good when
// its name carries its content's hash and checked by its ETag otherwise, under a Content-Security-Policy that
// allows just what the page needs. Every other request goes to the score service.

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "Http.h"

namespace gw::scores {

class PlayFilesError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PlayFiles {
 public:
  // Reads the folder's files into memory (the build is a few megabytes); throws PlayFilesError when the folder
  // cannot be read or has no index.html.
  explicit PlayFiles(const std::filesystem::path& folder);

  // The answer for a request under /play, or nothing when the target lies elsewhere.
  std::optional<HttpResponse> Answer(const HttpRequest& request) const;

 private:
  struct File {
    std::string type;
    std::string bytes, gzip, brotli;
    std::string etag;
    bool immutable = false;  // the name carries the content's hash
  };
  std::map<std::string, File, std::less<>> files_;
};

// The score service with the game beside it.
class PlayRoutes final : public HttpHandler {
 public:
  PlayRoutes(HttpHandler& scores, const PlayFiles& play) : scores_(scores), play_(play) {}
  Reply Handle(const HttpRequest& request) override;

 private:
  HttpHandler& scores_;
  const PlayFiles& play_;
};

}  // namespace gw::scores
