// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a request's head and keeps only what the service needs, so that a client's headers cost the server at
// most their bounded bytes: no more than a fixed number of fields, no target longer than a limit, no method the
// path is not served with, and no body but that of the one POST served, whose length is announced and bounded and
// which the server must agree to hold before a byte of it is read.

#include <boost/beast/http/basic_parser.hpp>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "PageAllocator.h"

namespace gw::scores {

// Why a head was refused, so that the answer can say which limit it broke.
enum class HeadProblem {
  None,
  TooManyFields,
  TargetTooLong,
  MethodNotAllowed,
  HasBody,
  LengthRequired,  // a POST's body without its length announced (chunked)
  BodyTooLarge,
  BodyRefused,  // the body's holder said no (the server holds enough bodies now)
};

class RequestHead final : public boost::beast::http::basic_parser<true> {
 public:
  struct Limits {
    std::size_t headBytes = 16 * 1024;  // request line and fields together
    std::size_t fields = 64;
    std::size_t targetBytes = 8 * 1024;
    std::size_t postBodyBytes = 64 * 1024;  // a recorded game, the one body the service takes (a few hundred bytes)
  };

  // Asked with a body's announced length, within the limit, before a byte of it is read: true to take it.
  using BodyAdmission = std::function<bool(std::size_t length)>;

  explicit RequestHead(const Limits& limits, BodyAdmission admit = {});

  const std::string& Method() const { return method_; }
  const std::string& Target() const { return target_; }
  const std::string& Cookie() const { return cookie_; }
  const std::string& AcceptEncoding() const { return acceptEncoding_; }
  const std::string& IfNoneMatch() const { return ifNoneMatch_; }
  // Every X-Forwarded-For header, joined with ", " (a proxy's word on who the client is; trusted or not elsewhere).
  const std::string& ForwardedFor() const { return forwardedFor_; }
  HeadProblem Problem() const { return problem_; }
  // Whether the target's path is served with the method; an answer of 405 lists the methods that it is.
  bool MethodAllowed() const { return methodAllowed_; }
  std::string_view MethodsAllowed() const;
  // A POST's body, once the request is read whole.
  std::string TakeBody();

 private:
  using error_code = boost::beast::error_code;
  using string_view = boost::beast::string_view;

  void on_request_impl(boost::beast::http::verb, string_view method, string_view target, int, error_code& ec) override;
  void on_response_impl(int, string_view, int, error_code& ec) override;
  void on_field_impl(boost::beast::http::field name, string_view, string_view value, error_code& ec) override;
  void on_header_impl(error_code&) override {}
  void on_body_init_impl(const boost::optional<std::uint64_t>& length, error_code& ec) override;
  std::size_t on_body_impl(string_view body, error_code& ec) override;
  void on_chunk_header_impl(std::uint64_t, string_view, error_code& ec) override;
  std::size_t on_chunk_body_impl(std::uint64_t, string_view body, error_code& ec) override;
  void on_finish_impl(error_code&) override {}

  std::size_t maxFields_;
  std::size_t maxTarget_;
  std::size_t maxBody_;
  BodyAdmission admit_;
  bool methodAllowed_ = false;
  bool post_ = false;  // the one POST served, whose body is read
  std::vector<char, PageAllocator<char>> body_;  // of its announced length, held while it comes
  std::size_t fields_ = 0;
  std::string method_;
  std::string target_;
  std::string cookie_;
  std::string acceptEncoding_;
  std::string ifNoneMatch_;
  std::string forwardedFor_;
  HeadProblem problem_ = HeadProblem::None;
};

}  // namespace gw::scores
