// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayFiles.h"

#include <openssl/evp.h>

#include <array>
#include <fstream>
#include <iterator>
#include <regex>
#include <string_view>
#include <utility>

namespace gw::scores {

namespace {

constexpr std::string_view kPrefix = "/play/";
// What the page needs: its own scripts and the WebAssembly they compile, its style sheet, and requests to its
// own origin (the data file, the score exchange). Nothing else, and no framing by other sites.
constexpr const char* kPolicy =
    "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; connect-src 'self'; "
    "img-src 'self' data:; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

std::string TypeOf(const std::filesystem::path& name) {
  static const std::array<std::pair<std::string_view, std::string_view>, 8> kTypes{{
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".wasm", "application/wasm"},
      {".css", "text/css; charset=utf-8"},
      {".data", "application/octet-stream"},
      {".png", "image/png"},
      {".svg", "image/svg+xml"},
      {".json", "application/json"},
  }};
  const std::string extension = name.extension().string();
  for (const auto& [ext, type] : kTypes) {
    if (extension == ext) return std::string(type);
  }
  return "application/octet-stream";
}

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PlayFilesError("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Sha256Hex(std::string_view bytes) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
    throw PlayFilesError("cannot hash a file");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

// Whether a list of encodings (Accept-Encoding) takes this one, not refused with q=0.
bool Accepts(std::string_view list, std::string_view coding) {
  std::size_t at = 0;
  while (at <= list.size()) {
    std::size_t end = list.find(',', at);
    if (end == std::string_view::npos) end = list.size();
    std::string_view item = list.substr(at, end - at);
    const std::size_t semicolon = item.find(';');
    std::string_view name = item.substr(0, semicolon);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name == coding) {
      const std::string_view params = semicolon == std::string_view::npos ? "" : item.substr(semicolon);
      static const std::regex kRefused(R"(q\s*=\s*0(\.0*)?\s*$)");
      return !std::regex_search(std::string(params), kRefused);
    }
    at = end + 1;
  }
  return false;
}

}  // namespace

PlayFiles::PlayFiles(const std::filesystem::path& folder) {
  static const std::regex kHashedName(R"(.+\.[0-9a-f]{16}\.[a-z]+)");
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) throw PlayFilesError("cannot read the folder " + folder.string() + ": " + ec.message());
  for (const auto& entry : it) {
    const std::filesystem::path& path = entry.path();
    const std::string extension = path.extension().string();
    if (!entry.is_regular_file() || extension == ".gz" || extension == ".br") continue;
    File file;
    file.type = TypeOf(path);
    file.bytes = ReadWhole(path);
    if (std::filesystem::exists(path.string() + ".gz")) file.gzip = ReadWhole(path.string() + ".gz");
    if (std::filesystem::exists(path.string() + ".br")) file.brotli = ReadWhole(path.string() + ".br");
    file.etag = "\"" + Sha256Hex(file.bytes).substr(0, 32) + "\"";
    file.immutable = std::regex_match(path.filename().string(), kHashedName);
    files_.emplace(path.filename().string(), std::move(file));
  }
  if (!files_.contains("index.html")) throw PlayFilesError("no index.html in " + folder.string());
}

std::optional<HttpResponse> PlayFiles::Answer(const HttpRequest& request) const {
  const std::string_view path = std::string_view(request.target).substr(0, request.target.find('?'));
  if (path != "/play" && !path.starts_with(kPrefix)) return std::nullopt;
  HttpResponse res;
  res.headers = {{"Content-Security-Policy", kPolicy}, {"X-Content-Type-Options", "nosniff"}};
  if (request.method != "GET" && request.method != "HEAD") {
    res = Refusal(405, "method", "only GET and HEAD\n");
    res.headers.emplace_back("Allow", "GET, HEAD");
    return res;
  }
  if (path == "/play") {
    res.status = 301;
    res.body = "/play/\n";
    res.headers.emplace_back("Location", "/play/");
    return res;
  }
  std::string_view name = path.substr(kPrefix.size());
  if (name.empty()) name = "index.html";
  const auto found = files_.find(name);
  if (found == files_.end()) {
    HttpResponse missing = Refusal(404, "not_found", "not found\n");
    missing.headers = res.headers;
    return missing;
  }
  const File& file = found->second;
  res.contentType = file.type;
  res.headers.emplace_back("ETag", file.etag);
  res.headers.emplace_back("Vary", "Accept-Encoding");
  res.headers.emplace_back("Cache-Control", file.immutable ? "public, max-age=31536000, immutable" : "no-cache");
  if (request.ifNoneMatch.find(file.etag) != std::string::npos) {
    res.status = 304;
    return res;
  }
  if (!file.brotli.empty() && Accepts(request.acceptEncoding, "br")) {
    res.body = file.brotli;
    res.headers.emplace_back("Content-Encoding", "br");
  } else if (!file.gzip.empty() && Accepts(request.acceptEncoding, "gzip")) {
    res.body = file.gzip;
    res.headers.emplace_back("Content-Encoding", "gzip");
  } else {
    res.body = file.bytes;
  }
  return res;
}

Reply PlayRoutes::Handle(const HttpRequest& request) {
  if (std::optional<HttpResponse> res = play_.Answer(request)) return std::move(*res);
  return scores_.Handle(request);
}

}  // namespace gw::scores
