// SPDX-License-Identifier: GPL-3.0-or-later
#include "Signing.h"

#include <array>
#include <charconv>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/core_names.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
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

// OpenSSL's generator asks the system for the process id on every call (to notice a fork, which this server never
// does): drawn in blocks per thread, a session costs no system call. Bytes handed out are wiped from the block.
void FillRandom(unsigned char* out, std::size_t n) {
  struct Block {
    std::array<unsigned char, 1024> bytes{};
    std::size_t used = 1024;
    ~Block() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
  };
  thread_local Block block;
  while (n > 0) {
    if (block.used == block.bytes.size()) {
      if (RAND_bytes(block.bytes.data(), static_cast<int>(block.bytes.size())) != 1) {
        throw std::runtime_error("no random numbers from the system");
      }
      block.used = 0;
    }
    const std::size_t take = std::min(n, block.bytes.size() - block.used);
    std::copy_n(block.bytes.data() + block.used, take, out);
    OPENSSL_cleanse(block.bytes.data() + block.used, take);
    block.used += take;
    out += take;
    n -= take;
  }
}

}  // namespace

std::string RandomHex(std::size_t bytes) {
  std::array<unsigned char, 64> raw{};
  if (bytes > raw.size()) throw std::invalid_argument("too many random bytes at once");
  FillRandom(raw.data(), bytes);
  return Hex(raw.data(), bytes);
}

namespace {

struct MacDeleter {
  void operator()(EVP_MAC* m) const { EVP_MAC_free(m); }
};
struct MacContextDeleter {
  void operator()(EVP_MAC_CTX* c) const { EVP_MAC_CTX_free(c); }
};

// A context of this thread's, keyed once for the key it last signed with. A fetch of the algorithm by name and a
// keying for each MAC were most of what OpenSSL cost a request; re-initialised without a key, the context keeps it.
struct ThreadMac {
  std::unique_ptr<EVP_MAC, MacDeleter> mac;
  std::unique_ptr<EVP_MAC_CTX, MacContextDeleter> context;
  std::string key;
};

EVP_MAC_CTX* KeyedContext(std::string_view key) {
  thread_local ThreadMac mine;
  if (mine.context && mine.key == key) {
    if (EVP_MAC_init(mine.context.get(), nullptr, 0, nullptr) != 1) throw std::runtime_error("cannot sign");
    return mine.context.get();
  }
  if (!mine.mac) mine.mac.reset(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
  if (!mine.mac) throw std::runtime_error("no HMAC in OpenSSL");
  mine.context.reset(EVP_MAC_CTX_new(mine.mac.get()));
  char digest[] = "SHA256";
  const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_construct_end()};
  if (!mine.context || EVP_MAC_init(mine.context.get(), reinterpret_cast<const unsigned char*>(key.data()), key.size(),
                                    params) != 1) {
    mine.context.reset();
    throw std::runtime_error("cannot sign");
  }
  mine.key = key;
  return mine.context.get();
}

}  // namespace

std::string MacHex(std::string_view key, std::string_view message, std::size_t hexDigits) {
  EVP_MAC_CTX* context = KeyedContext(key);
  std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
  std::size_t length = 0;
  if (EVP_MAC_update(context, reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1 ||
      EVP_MAC_final(context, mac.data(), &length, mac.size()) != 1) {
    throw std::runtime_error("cannot sign");
  }
  return Hex(mac.data(), std::min<std::size_t>(hexDigits / 2, length));
}

bool IsHex(std::string_view text) { return text.find_first_not_of("0123456789abcdef") == std::string_view::npos; }

bool SameSecret(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string IssueStamp(std::int64_t now) {
  std::array<char, 8> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<std::uint32_t>(now), 16).ptr;
  std::string stamp(digits.size() - static_cast<std::size_t>(end - digits.data()), '0');
  stamp.append(digits.data(), end);
  return stamp + RandomHex(8);
}

std::int64_t StampTime(std::string_view stamp, std::int64_t now) {
  std::uint32_t low = 0;
  std::from_chars(stamp.data(), stamp.data() + 8, low, 16);
  // The time at or before now whose low 32 bits these are: a stamp from the future reads as very old.
  return now - static_cast<std::uint32_t>(static_cast<std::uint32_t>(now) - low);
}

}  // namespace gw::scores
