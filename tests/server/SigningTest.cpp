// SPDX-License-Identifier: GPL-3.0-or-later
// The MAC that signs sessions and tokens is HMAC-SHA256, whichever keys a thread has signed with before.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "Signing.h"

namespace gw::scores {
namespace {

TEST(Signing, MacIsHmacSha256WhateverKeyCameBefore) {
  // The published HMAC-SHA256 examples (RFC 4231, cases 1 and 2), in turn, so a key kept from one call to the
  // next must be the right one.
  const std::string keyOne(20, '\x0b');
  const char* one = "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7";
  const char* two = "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843";
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(MacHex(keyOne, "Hi There", 64), one);
    EXPECT_EQ(MacHex("Jefe", "what do ya want for nothing?", 64), two);
    EXPECT_EQ(MacHex("Jefe", "what do ya want for nothing?", 32), std::string(two, 32));
  }
  std::string fromAnotherThread;
  std::thread([&] { fromAnotherThread = MacHex("Jefe", "what do ya want for nothing?", 64); }).join();
  EXPECT_EQ(fromAnotherThread, two);
}

}  // namespace
}  // namespace gw::scores
