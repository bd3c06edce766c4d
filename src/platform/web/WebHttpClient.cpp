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

// Status of a 2xx reply without a redirect, with its body in a buffer of malloc's at *body; or -1 for a redirect,
// -1000 - status for any other status, -2 for a body over maxBody, -3 when nothing came in time. A request with
// sent >= 0 is a POST of the `sent` bytes at `data`.
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
    if (reply.type === 'opaqueredirect' || reply.headers.has('Location')) return -1;
    if (reply.status < 200 || reply.status > 299) return -1000 - reply.status;
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

// The same GET without waiting for it: its outcome waits in the page until taken. One at a time; a new one
// replaces what an old one would have left.
EM_JS(void, gw_fetch_background, (const char* path, int timeoutMs, int maxBody), {
  const state = {done: false, status: -3, bytes: null};
  Module.gwBackgroundFetch = state;
  const abort = new AbortController();
  const timer = setTimeout(() => abort.abort(), timeoutMs);
  fetch(UTF8ToString(path), {
    signal: abort.signal, redirect: 'manual', credentials: 'same-origin', cache: 'no-store',
    headers: {'Accept': 'text/html, */*'}
  }).then(async (reply) => {
    if (reply.type === 'opaqueredirect' || reply.headers.has('Location')) { state.status = -1; return; }
    if (reply.status < 200 || reply.status > 299) { state.status = -1000 - reply.status; return; }
    const bytes = new Uint8Array(await reply.arrayBuffer());
    if (bytes.length > maxBody) { state.status = -2; return; }
    state.bytes = bytes;
    state.status = reply.status;
  }).catch(() => { state.status = -3; }).finally(() => { clearTimeout(timer); state.done = true; });
});

EM_JS(int, gw_fetch_background_done, (), {
  return !Module.gwBackgroundFetch || Module.gwBackgroundFetch.done ? 1 : 0;
});

// The outcome as gw_fetch_same_origin gives it; -4 when no request was started.
EM_JS(int, gw_fetch_background_take, (char** body, int* length), {
  const state = Module.gwBackgroundFetch;
  if (!state) return -4;
  Module.gwBackgroundFetch = null;
  if (state.status < 0) return state.status;
  const at = _malloc(state.bytes.length + 1);
  HEAPU8.set(state.bytes, at);
  HEAP32[body >> 2] = at;
  HEAP32[length >> 2] = state.bytes.length;
  return state.status;
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

namespace {

// The body of a reply as gw_fetch_same_origin gave it, or the HttpError for its failure.
std::string Outcome(int status, char* raw, int length) {
  const std::unique_ptr<char, decltype(&std::free)> body(raw, &std::free);
  if (status == -2) throw HttpError("reply body too long");
  if (status == -3) throw HttpError("no answer in time");
  if (status == -4) throw HttpError("no request was started");
  if (status <= -1000) throw HttpError("status " + std::to_string(-1000 - status), -1000 - status);
  if (status < 0) throw HttpError("redirected");
  return std::string(body.get(), static_cast<std::size_t>(length));
}

}  // namespace

void HttpClient::StartGet(const std::string& url) {
  gw_fetch_background(SameOriginPath(url).c_str(), static_cast<int>(impl_->limits.total.count()),
                      static_cast<int>(impl_->limits.maxBody));
}

bool HttpClient::Finished() { return gw_fetch_background_done() != 0; }

std::string HttpClient::Answer() {
  char* raw = nullptr;
  int length = 0;
  const int status = gw_fetch_background_take(&raw, &length);
  return Outcome(status, raw, length);
}

std::string HttpClient::Perform(const std::string& url, const std::string* sent) {
  char* raw = nullptr;
  int length = 0;
  const int status = gw_fetch_same_origin(SameOriginPath(url).c_str(), sent ? sent->data() : nullptr,
                                          sent ? static_cast<int>(sent->size()) : -1,
                                          static_cast<int>(impl_->limits.total.count()),
                                          static_cast<int>(impl_->limits.maxBody), &raw, &length);
  return Outcome(status, raw, length);
}

}  // namespace gw::net
