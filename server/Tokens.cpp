// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tokens.h"

#include <array>
#include <charconv>

#include "Signing.h"

namespace gw::scores {

namespace {

constexpr std::size_t kTimeHex = 8;              // 32-bit issue time
constexpr std::size_t kStampHex = kTimeHex + 16;  // and a 64-bit random part
constexpr std::size_t kMacHex = 32;               // 128 bits of HMAC-SHA256

}  // namespace

std::string TokenSigner::Sign(std::string_view stamp, std::string_view session) const {
  std::string message(stamp);
  message.push_back('/');
  message.append(session);
  return MacHex(key_, message, kMacHex);
}

std::string TokenSigner::Issue(std::string_view session, std::int64_t now) const {
  std::array<char, kTimeHex> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<std::uint32_t>(now), 16).ptr;
  std::string stamp(kTimeHex - static_cast<std::size_t>(end - digits.data()), '0');
  stamp.append(digits.data(), end);
  stamp += RandomHex(8);
  return stamp + Sign(stamp, session);
}

TokenCheck TokenSigner::Verify(std::string_view token, std::string_view session, std::int64_t now) const {
  if (token.size() != kStampHex + kMacHex || !IsHex(token)) return TokenCheck::Malformed;
  const std::string_view stamp = token.substr(0, kStampHex);
  if (!SameSecret(Sign(stamp, session), token.substr(kStampHex))) return TokenCheck::OtherSession;
  std::uint32_t issued = 0;
  std::from_chars(stamp.data(), stamp.data() + kTimeHex, issued, 16);
  // Unsigned, so a time from the future counts as very old.
  const std::uint32_t age = static_cast<std::uint32_t>(now) - issued;
  if (age >= kLifetimeSeconds) return TokenCheck::Expired;
  return TokenCheck::Valid;
}

}  // namespace gw::scores
