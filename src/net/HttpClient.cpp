// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/HttpClient.h"

#include <curl/curl.h>
#include <strings.h>

#include <future>
#include <string_view>

#include "platform/Deleter.h"

namespace gw::net {

namespace {

using EasyPtr = std::unique_ptr<CURL, platform::Deleter<curl_easy_cleanup>>;
using ListPtr = std::unique_ptr<curl_slist, platform::Deleter<curl_slist_free_all>>;
using UrlPtr = std::unique_ptr<CURLU, platform::Deleter<curl_url_cleanup>>;
using CurlText = std::unique_ptr<char, platform::Deleter<curl_free>>;

// What one transfer collects.
struct Reply {
  std::string body;
  std::size_t maxBody = 0;
  bool tooLong = false;
  bool hasLocation = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& reply = *static_cast<Reply*>(user);
  const std::size_t n = size * count;
  if (reply.body.size() + n > reply.maxBody) {
    reply.tooLong = true;
    return 0;  // stops the transfer
  }
  reply.body.append(data, n);
  return n;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& reply = *static_cast<Reply*>(user);
  const std::size_t n = size * count;
  // Header names and the protocol name are case-insensitive.
  auto startsWith = [&](std::string_view prefix) {
    return n >= prefix.size() && strncasecmp(data, prefix.data(), prefix.size()) == 0;
  };
  if (startsWith("http/")) reply.hasLocation = false;  // a new status line: an interim reply is over
  if (startsWith("location:")) reply.hasLocation = true;
  return n;
}

template <typename T>
void Set(CURL* h, CURLoption option, T value) {
  if (curl_easy_setopt(h, option, value) != CURLE_OK) throw HttpError("libcurl refused an option");
}

}  // namespace

std::string HostHeaderValue(const std::string& url) {
  UrlPtr u(curl_url());
  if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) throw HttpError("bad URL " + url);
  char* raw = nullptr;
  if (curl_url_get(u.get(), CURLUPART_HOST, &raw, 0) != CURLUE_OK) throw HttpError("no host in " + url);
  const CurlText host(raw);
  std::string value = host.get();
  raw = nullptr;
  if (curl_url_get(u.get(), CURLUPART_PORT, &raw, 0) == CURLUE_OK) {
    const CurlText port(raw);
    if (std::string_view(port.get()) != "80") value += ":" + std::string(port.get());
  }
  return value;
}

struct HttpClient::Impl {
  HttpLimits limits;
  EasyPtr easy;
  // The request started in the background; declared after the handle it uses, so it ends first.
  std::future<std::string> pending;

  // The one handle serves one request at a time: whatever runs in the background is over before the next.
  void Settle() {
    if (pending.valid()) pending.wait();
  }
};

HttpClient::HttpClient(HttpLimits limits) : impl_(std::make_unique<Impl>()) {
  impl_->limits = limits;
  impl_->easy.reset(curl_easy_init());
  if (!impl_->easy) throw HttpError("libcurl cannot start");
  CURL* h = impl_->easy.get();
  // An empty file name switches the cookie engine on without reading anything: cookies live in memory.
  Set(h, CURLOPT_COOKIEFILE, "");
  Set(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  Set(h, CURLOPT_FOLLOWLOCATION, 0L);
  Set(h, CURLOPT_PROXY, "");  // no proxy, whatever the environment says
  Set(h, CURLOPT_PROTOCOLS_STR, "http");
  Set(h, CURLOPT_NOSIGNAL, 1L);  // the request runs off the main thread
  Set(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
  Set(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.total.count()));
  Set(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBody));
  Set(h, CURLOPT_WRITEFUNCTION, &OnBody);
  Set(h, CURLOPT_HEADERFUNCTION, &OnHeader);
}

HttpClient::~HttpClient() = default;

std::string HttpClient::HttpGet(const std::string& url) {
  impl_->Settle();
  return Perform(url, nullptr);
}

std::string HttpClient::HttpPost(const std::string& url, const std::string& body) {
  impl_->Settle();
  return Perform(url, &body);
}

void HttpClient::StartGet(const std::string& url) {
  impl_->Settle();
  impl_->pending = std::async(std::launch::async, [this, url] { return Perform(url, nullptr); });
}

bool HttpClient::Finished() {
  return !impl_->pending.valid() || impl_->pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::string HttpClient::Answer() {
  if (!impl_->pending.valid()) throw HttpError("no request was started");
  return impl_->pending.get();
}

std::string HttpClient::Perform(const std::string& url, const std::string* body) {
  CURL* h = impl_->easy.get();
  // The server expects this order. The empty "Host:" entry stops libcurl from placing Host itself, so the
  // real one goes out where the list puts it; libcurl adds the Cookie header when stored cookies apply.
  const std::string host = "Host: " + HostHeaderValue(url);
  ListPtr headers;
  const char* type = body ? "Content-Type: application/octet-stream" : "Content-Type: text/html";
  for (const char* line : {type, "Host:", host.c_str(), "Accept: text/html, */*",
                           "User-Agent: Mozilla/3.0 (compatible; Indy Library)"}) {
    curl_slist* grown = curl_slist_append(headers.get(), line);
    if (!grown) throw HttpError("out of memory");
    (void)headers.release();
    headers.reset(grown);
  }
  Reply reply;
  reply.maxBody = impl_->limits.maxBody;
  Set(h, CURLOPT_URL, url.c_str());
  if (body) {
    Set(h, CURLOPT_POSTFIELDS, body->data());
    Set(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
  } else {
    Set(h, CURLOPT_HTTPGET, 1L);
  }
  Set(h, CURLOPT_HTTPHEADER, headers.get());
  Set(h, CURLOPT_WRITEDATA, static_cast<void*>(&reply));
  Set(h, CURLOPT_HEADERDATA, static_cast<void*>(&reply));
  const CURLcode result = curl_easy_perform(h);
  // The list and the reply die with this call: the handle must not point at them afterwards.
  Set(h, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
  Set(h, CURLOPT_WRITEDATA, static_cast<void*>(nullptr));
  Set(h, CURLOPT_HEADERDATA, static_cast<void*>(nullptr));
  if (body) Set(h, CURLOPT_POSTFIELDS, static_cast<const char*>(nullptr));
  if (reply.tooLong || result == CURLE_FILESIZE_EXCEEDED) throw HttpError("reply body too long");
  if (result != CURLE_OK) throw HttpError(curl_easy_strerror(result));
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status > 299) throw HttpError("status " + std::to_string(status), static_cast<int>(status));
  if (reply.hasLocation) throw HttpError("redirect");
  return std::move(reply.body);
}

}  // namespace gw::net
