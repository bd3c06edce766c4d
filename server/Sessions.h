// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sessions the server itself made: a random part and its signature, kept by the client as a cookie. A session
// the server did not make is refused, so a token is only ever bound to one of ours. Nothing is kept per
// session, so every server over the same store knows the others' sessions.

#include <string>
#include <string_view>

namespace gw::scores {

class SessionSigner {
 public:
  static constexpr std::size_t kLength = 64;  // hex digits: 128 random bits and 128 of signature

  explicit SessionSigner(std::string key) : key_(std::move(key)) {}

  std::string Issue() const;
  bool Ours(std::string_view session) const;

 private:
  std::string key_;
};

}  // namespace gw::scores
