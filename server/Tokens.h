// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One-time tokens bound to a session: the token carries its issue time and a random part, signed together
// with the session it was issued to. The signature needs no table; being used once is the store's business
// (a token can go into the scores only once).

#include <cstdint>
#include <string>
#include <string_view>

namespace gw::scores {

enum class TokenCheck { Valid, Malformed, OtherSession, Expired };

class TokenSigner {
 public:
  static constexpr std::int64_t kLifetimeSeconds = 10 * 60;

  explicit TokenSigner(std::string key) : key_(std::move(key)) {}

  std::string Issue(std::string_view session, std::int64_t now) const;
  // OtherSession also covers a token this server never issued: without the session it was made for, the
  // two cannot be told apart.
  TokenCheck Verify(std::string_view token, std::string_view session, std::int64_t now) const;

 private:
  std::string Sign(std::string_view stamp, std::string_view session) const;
  std::string key_;
};

}  // namespace gw::scores
