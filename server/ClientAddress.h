// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who a request comes from. Behind a reverse proxy every connection comes from the proxy, which names the client
// in X-Forwarded-For; only proxies the operator trusts may do so, or anyone could pick the address that their
// hourly budget is counted against.

#include <string>
#include <string_view>
#include <vector>

namespace gw::scores {

// Whether `address` is one of the operator's trusted proxies.
bool Trusted(const std::string& address, const std::vector<std::string>& trusted);

// The client's address: the peer itself, unless the peer is one of `trusted`; then the nearest address of
// X-Forwarded-For (read from its right end, the entries the trusted proxies appended) that is not a trusted proxy
// itself. An entry that is not an IP address ends the trust, and the last trusted hop is the answer.
std::string ClientAddress(const std::string& peer, std::string_view forwardedFor, const std::vector<std::string>& trusted);

// An IP address in its usual text (IPv4 for an IPv4-mapped IPv6 address), or empty when the text is not one.
std::string NormalAddress(std::string_view text);

}  // namespace gw::scores
