// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tokens.h"

#include "Signing.h"

namespace gw::scores {

namespace {

constexpr std::size_t kMacHex = 32;  // 128 bits of HMAC-SHA256

}  // namespace

std::string TokenSigner::Sign(std::string_view stamp, std::string_view session) const {
  std::string message(stamp);
  message.push_back('/');
  message.append(session);
  return MacHex(key_, message, kMacHex);
}

std::string TokenSigner::Issue(std::string_view session, std::int64_t now) const {
  const std::string stamp = IssueStamp(now);
  return stamp + Sign(stamp, session);
}

TokenCheck TokenSigner::Verify(std::string_view token, std::string_view session, std::int64_t now) const {
  if (token.size() != kStampHex + kMacHex || !IsHex(token)) return TokenCheck::Malformed;
  const std::string_view stamp = token.substr(0, kStampHex);
  if (!SameSecret(Sign(stamp, session), token.substr(kStampHex))) return TokenCheck::OtherSession;
  if (now - StampTime(stamp, now) >= kLifetimeSeconds) return TokenCheck::Expired;
  return TokenCheck::Valid;
}

}  // namespace gw::scores
