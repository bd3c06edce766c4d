// SPDX-License-Identifier: GPL-3.0-or-later
#include "Sessions.h"

#include "Signing.h"

namespace gw::scores {

namespace {

constexpr std::size_t kRandomHex = SessionSigner::kLength / 2;

// Prefixed, so that no session signature can ever stand for a token's.
std::string Signature(std::string_view key, std::string_view random) {
  return MacHex(key, "session:" + std::string(random), SessionSigner::kLength - kRandomHex);
}

}  // namespace

std::string SessionSigner::Issue() const {
  std::string random = RandomHex(kRandomHex / 2);
  return random + Signature(key_, random);
}

bool SessionSigner::Ours(std::string_view session) const {
  if (session.size() != kLength || !IsHex(session)) return false;
  return SameSecret(Signature(key_, session.substr(0, kRandomHex)), session.substr(kRandomHex));
}

}  // namespace gw::scores
