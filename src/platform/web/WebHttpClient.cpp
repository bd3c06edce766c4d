// SPDX-License-Identifier: GPL-3.0-or-later
// The score exchange's HTTP client in a browser page: the browser's fetch, always to the page's own origin (the
// score server that serves the page), so no other site is asked and the cookie is the browser's own. The game
// waits for the answer as it would for libcurl; the build lets its code pause while the page runs on.

#include <emscripten.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "net/HttpClient.h"

namespace {

// Status of a 2xx reply without a redirect, with its body in a buffer of malloc's at *body; or -1 for any other
// reply, -2 for a body over maxBody, -3 when nothing came in time. A request with sent >= 0 is a POST of the
// `sent` bytes at `data`.
EM_ASYNC_JS(int, gw_fetch_same_origin, (const char* path, const char* data, int sent, int timeoutMs, int maxBody,
                                        char** body, int* length), {
  const abort = new AbortController();
  const timer = setTimeout(() => abort.abort(), timeoutMs);
  const request = {
    signal: abort.signal, redirect: 'manual', credentials: 'same-origin', cache: 'no-store',
    headers: {'Accept': 'text/html, */*'}
  };
  if (sent >= 0) {
    request.method = 'POST';
    request.headers['Content-Type'] = 'application/octet-stream';
    request.body = HEAPU8.slice(data, data + sent);
  }
  try {
    const reply = await fetch(UTF8ToString(path), request);
    if (reply.type === 'opaqueredirect' || reply.status < 200 || reply.status > 299 || reply.headers.has('Location')) {
      return -1;
    }
    const bytes = new Uint8Array(await reply.arrayBuffer());
    if (bytes.length > maxBody) return -2;
    const at = _malloc(bytes.length + 1);
    HEAPU8.set(bytes, at);
    HEAP32[body >> 2] = at;
    HEAP32[length >> 2] = bytes.length;
    return reply.status;
  } catch (e) {
    return -3;
  } finally {
    clearTimeout(timer);
  }
});

// The path and query of an absolute URL: the page asks its own origin, whatever host the game names.
std::string SameOriginPath(const std::string& url) {
  const std::size_t scheme = url.find("://");
  const std::size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  return path == std::string::npos ? std::string("/") : url.substr(path);
}

}  // namespace

namespace gw::net {

struct HttpClient::Impl {
  HttpLimits limits;
};

HttpClient::HttpClient(HttpLimits limits) : impl_(std::make_unique<Impl>()) { impl_->limits = limits; }

HttpClient::~HttpClient() = default;

std::string HttpClient::HttpGet(const std::string& url) { return Perform(url, nullptr); }

std::string HttpClient::HttpPost(const std::string& url, const std::string& body) { return Perform(url, &body); }

std::string HttpClient::Perform(const std::string& url, const std::string* sent) {
  char* raw = nullptr;
  int length = 0;
  const int status = gw_fetch_same_origin(SameOriginPath(url).c_str(), sent ? sent->data() : nullptr,
                                          sent ? static_cast<int>(sent->size()) : -1,
                                          static_cast<int>(impl_->limits.total.count()),
                                          static_cast<int>(impl_->limits.maxBody), &raw, &length);
  const std::unique_ptr<char, decltype(&std::free)> body(raw, &std::free);
  if (status == -2) throw HttpError("reply body too long");
  if (status == -3) throw HttpError("no answer in time");
  if (status < 0) throw HttpError("refused or redirected");
  return std::string(body.get(), static_cast<std::size_t>(length));
}

}  // namespace gw::net
