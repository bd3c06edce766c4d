// SPDX-License-Identifier: GPL-3.0-or-later
#include "Signing.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <array>
#include <stdexcept>

namespace gw::scores {

namespace {

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

}  // namespace

std::string RandomHex(std::size_t bytes) {
  // OpenSSL's generator, seeded from the system and kept per thread: no system call for each session and token.
  std::string raw(bytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes)) != 1) {
    throw std::runtime_error("no random numbers from the system");
  }
  return Hex(reinterpret_cast<const unsigned char*>(raw.data()), bytes);
}

std::string MacHex(std::string_view key, std::string_view message, std::size_t hexDigits) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
  unsigned int length = 0;
  if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(message.data()),
            message.size(), mac.data(), &length)) {
    throw std::runtime_error("cannot sign");
  }
  return Hex(mac.data(), std::min<std::size_t>(hexDigits / 2, length));
}

bool IsHex(std::string_view text) { return text.find_first_not_of("0123456789abcdef") == std::string_view::npos; }

bool SameSecret(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace gw::scores
