// SPDX-License-Identifier: GPL-3.0-or-later
#include "RequestHead.h"

#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>

#include <charconv>
#include <utility>

#include "Methods.h"

namespace gw::scores {

namespace http = boost::beast::http;

RequestHead::RequestHead(const Limits& limits, BodyAdmission admit)
    : maxFields_(limits.fields),
      maxTarget_(limits.targetBytes),
      maxBody_(limits.postBodyBytes),
      admit_(std::move(admit)) {
  header_limit(static_cast<std::uint32_t>(limits.headBytes));
  body_limit(0);
}

void RequestHead::on_request_impl(http::verb verb, string_view method, string_view target, int, error_code& ec) {
  if (target.size() > maxTarget_) {
    problem_ = HeadProblem::TargetTooLong;
    ec = http::error::bad_target;
    return;
  }
  method_.assign(method.data(), method.size());
  target_.assign(target.data(), target.size());
  methodAllowed_ = gw::scores::MethodAllowed(target_, method_);
  post_ = methodAllowed_ && verb == http::verb::post;
  if (post_) body_limit(maxBody_);
}

std::string RequestHead::TakeBody() {
  std::string body(body_.begin(), body_.end());
  decltype(body_)().swap(body_);
  return body;
}

std::string_view RequestHead::MethodsAllowed() const { return gw::scores::MethodsAllowed(target_); }

void RequestHead::on_response_impl(int, string_view, int, error_code& ec) { ec = http::error::bad_version; }

void RequestHead::on_field_impl(http::field name, string_view nameText, string_view value, error_code& ec) {
  if (++fields_ > maxFields_) {
    problem_ = HeadProblem::TooManyFields;
    ec = http::error::header_limit;
    return;
  }
  if (name == http::field::content_length && !methodAllowed_) {
    // The parser refuses the body by itself, once the head has ended; this names the reason.
    problem_ = HeadProblem::MethodNotAllowed;
  } else if (name == http::field::content_length && post_) {
    // The parser refuses a longer body by itself; this names the reason.
    std::uint64_t length = 0;
    const auto [end, err] = std::from_chars(value.data(), value.data() + value.size(), length);
    if (err == std::errc::result_out_of_range || (err == std::errc() && length > maxBody_)) {
      problem_ = HeadProblem::BodyTooLarge;
    }
  } else if (name == http::field::cookie) {
    if (!cookie_.empty()) cookie_ += "; ";
    cookie_.append(value.data(), value.size());
  } else if (name == http::field::accept_encoding || name == http::field::if_none_match) {
    std::string& joined = name == http::field::accept_encoding ? acceptEncoding_ : ifNoneMatch_;
    if (!joined.empty()) joined += ", ";
    joined.append(value.data(), value.size());
  } else if (name == http::field::unknown && boost::beast::iequals(nameText, "X-Forwarded-For")) {
    if (!forwardedFor_.empty()) forwardedFor_ += ", ";
    forwardedFor_.append(value.data(), value.size());
  }
}

void RequestHead::on_body_init_impl(const boost::optional<std::uint64_t>& length, error_code& ec) {
  // A GET has no body, and a POST's length is announced and its bytes granted: anything else is refused before a
  // byte of it is read.
  if (length && *length == 0) return;
  if (!methodAllowed_) {
    problem_ = HeadProblem::MethodNotAllowed;
  } else if (!post_) {
    problem_ = HeadProblem::HasBody;
  } else if (!length) {
    problem_ = HeadProblem::LengthRequired;
  } else if (*length > maxBody_) {
    problem_ = HeadProblem::BodyTooLarge;
  } else if (admit_ && !admit_(static_cast<std::size_t>(*length))) {
    problem_ = HeadProblem::BodyRefused;
  } else {
    body_.reserve(static_cast<std::size_t>(*length));
    return;
  }
  ec = http::error::body_limit;
}

std::size_t RequestHead::on_body_impl(string_view body, error_code& ec) {
  if (!post_ || body.size() > maxBody_ - body_.size()) {
    problem_ = post_ ? HeadProblem::BodyTooLarge : HeadProblem::HasBody;
    ec = http::error::body_limit;
    return 0;
  }
  body_.insert(body_.end(), body.begin(), body.end());
  return body.size();
}

void RequestHead::on_chunk_header_impl(std::uint64_t, string_view, error_code& ec) {
  problem_ = HeadProblem::HasBody;
  ec = http::error::body_limit;
}

std::size_t RequestHead::on_chunk_body_impl(std::uint64_t, string_view, error_code& ec) {
  problem_ = HeadProblem::HasBody;
  ec = http::error::body_limit;
  return 0;
}

}  // namespace gw::scores
