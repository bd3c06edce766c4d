// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tokens.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/random.h>

#include <array>
#include <charconv>
#include <stdexcept>

namespace gw::scores {

namespace {

constexpr std::size_t kTimeHex = 8;              // 32-bit issue time
constexpr std::size_t kStampHex = kTimeHex + 16;  // and a 64-bit random part
constexpr std::size_t kMacHex = 32;               // 128 bits of HMAC-SHA256

std::string Hex(const unsigned char* p, std::size_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(n * 2);
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(kDigits[p[i] >> 4]);
    out.push_back(kDigits[p[i] & 15]);
  }
  return out;
}

bool IsHex(std::string_view s) {
  return s.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

std::string RandomHex(std::size_t bytes) {
  std::string raw(bytes, '\0');
  std::size_t got = 0;
  while (got < bytes) {
    const ssize_t n = getrandom(raw.data() + got, bytes - got, 0);
    if (n < 0) throw std::runtime_error("no random numbers from the system");
    got += static_cast<std::size_t>(n);
  }
  return Hex(reinterpret_cast<const unsigned char*>(raw.data()), bytes);
}

std::string TokenSigner::Sign(std::string_view stamp, std::string_view session) const {
  std::string message(stamp);
  message.push_back('/');
  message.append(session);
  std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
  unsigned int length = 0;
  if (!HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()),
            reinterpret_cast<const unsigned char*>(message.data()), message.size(), mac.data(), &length)) {
    throw std::runtime_error("cannot sign a token");
  }
  return Hex(mac.data(), kMacHex / 2);
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
  const std::string expected = Sign(stamp, session);
  if (CRYPTO_memcmp(expected.data(), token.data() + kStampHex, kMacHex) != 0) return TokenCheck::OtherSession;
  std::uint32_t issued = 0;
  std::from_chars(stamp.data(), stamp.data() + kTimeHex, issued, 16);
  // Unsigned, so a time from the future counts as very old.
  const std::uint32_t age = static_cast<std::uint32_t>(now) - issued;
  if (age >= kLifetimeSeconds) return TokenCheck::Expired;
  return TokenCheck::Valid;
}

}  // namespace gw::scores
