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

// The page's one way to fetch, set up once: Module.gwFetch asks the page's own origin (a POST of `sent` when it is
// given) and settles, never failing, on {status, bytes}: the status of a 2xx reply without a redirect, or -1 for a
// redirect, -1000 - status for any other status, -2 for a body over maxBody, -3 when nothing came in time.
// Module.gwDeliver hands such an outcome to the game: the body in a buffer of malloc's at *body, the status returned.
EM_JS(void, gw_fetch_install, (), {
  if (Module.gwFetch) return;
  Module.gwFetch = async (path, sent, timeoutMs, maxBody) => {
    const abort = new AbortController();
    const timer = setTimeout(() => abort.abort(), timeoutMs);
    const request = {
      signal: abort.signal, redirect: 'manual', credentials: 'same-origin', cache: 'no-store',
      headers: {'Accept': 'text/html, */*'}
    };
    if (sent) {
      request.method = 'POST';
      request.headers['Content-Type'] = 'application/octet-stream';
      request.body = sent;
    }
    try {
      const reply = await fetch(path, request);
      if (reply.type === 'opaqueredirect' || reply.headers.has('Location')) return {status: -1};
      if (reply.status < 200 || reply.status > 299) return {status: -1000 - reply.status};
      const bytes = new Uint8Array(await reply.arrayBuffer());
      if (bytes.length > maxBody) return {status: -2};
      return {status: reply.status, bytes};
    } catch (e) {
      return {status: -3};
    } finally {
      clearTimeout(timer);
    }
  };
  Module.gwDeliver = (outcome, body, length) => {
    if (outcome.status < 0) return outcome.status;
    const at = _malloc(outcome.bytes.length + 1);
    HEAPU8.set(outcome.bytes, at);
    HEAP32[body >> 2] = at;
    HEAP32[length >> 2] = outcome.bytes.length;
    return outcome.status;
  };
});

// A request the game waits for (the build lets its code pause while the page runs on); a POST of the `sent` bytes
// at `data` when sent >= 0.
EM_ASYNC_JS(int, gw_fetch_same_origin, (const char* path, const char* data, int sent, int timeoutMs, int maxBody,
                                        char** body, int* length), {
  const bytes = sent >= 0 ? HEAPU8.slice(data, data + sent) : null;
  return Module.gwDeliver(await Module.gwFetch(UTF8ToString(path), bytes, timeoutMs, maxBody), body, length);
});

// The same GET without waiting for it: its outcome waits in the page until taken. One at a time; a new one
// replaces what an old one would have left.
EM_JS(void, gw_fetch_background, (const char* path, int timeoutMs, int maxBody), {
  const state = {done: false, outcome: null};
  Module.gwBackgroundFetch = state;
  Module.gwFetch(UTF8ToString(path), null, timeoutMs, maxBody).then((outcome) => {
    state.outcome = outcome;
    state.done = true;
  });
});

EM_JS(int, gw_fetch_background_done, (), {
  return !Module.gwBackgroundFetch || Module.gwBackgroundFetch.done ? 1 : 0;
});

// The outcome as gw_fetch_same_origin gives it; -4 when no request was started.
EM_JS(int, gw_fetch_background_take, (char** body, int* length), {
  const state = Module.gwBackgroundFetch;
  if (!state) return -4;
  Module.gwBackgroundFetch = null;
  if (!state.done) return -3;
  return Module.gwDeliver(state.outcome, body, length);
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

HttpClient::HttpClient(HttpLimits limits) : impl_(std::make_unique<Impl>()) {
  impl_->limits = limits;
  gw_fetch_install();
}

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
