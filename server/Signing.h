// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the server's signed texts are made of: random hex digits and a keyed MAC in hex.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gw::scores {

// A fresh random text of hex digits, 2 per byte (at most 64 bytes), from the system's cryptographic generator.
std::string RandomHex(std::size_t bytes);

// The first `hexDigits` hex digits of HMAC-SHA256 of the message under the key.
std::string MacHex(std::string_view key, std::string_view message, std::size_t hexDigits);

// What a token and a ticket begin with: the issue time (its low 32 bits, 8 hex digits) and 64 random bits (16 hex
// digits); and the issue time read back from one, given a time near it (stamps hold only the low 32 bits).
inline constexpr std::size_t kStampHex = 24;
std::string IssueStamp(std::int64_t now);
std::int64_t StampTime(std::string_view stamp, std::int64_t now);

// Lower-case hex digits only.
bool IsHex(std::string_view text);

// Equal texts, compared in a time that does not depend on where they differ.
bool SameSecret(std::string_view a, std::string_view b);

}  // namespace gw::scores
