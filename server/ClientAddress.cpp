// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClientAddress.h"

#include <boost/asio/ip/address.hpp>

#include <algorithm>

namespace gw::scores {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool Trusted(const std::string& address, const std::vector<std::string>& trusted) {
  return std::find(trusted.begin(), trusted.end(), address) != trusted.end();
}

std::string NormalAddress(std::string_view text) {
  boost::system::error_code ec;
  auto address = boost::asio::ip::make_address(std::string(text), ec);
  if (ec) return {};
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    address = boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, address.to_v6());
  }
  return address.to_string();
}

std::string ClientAddress(const std::string& peer, std::string_view forwardedFor,
                          const std::vector<std::string>& trusted) {
  if (trusted.empty() || !Trusted(peer, trusted)) return peer;
  std::string hop = peer;
  while (!Trim(forwardedFor).empty()) {
    const std::size_t comma = forwardedFor.rfind(',');
    const std::string_view entry = Trim(comma == std::string_view::npos ? forwardedFor : forwardedFor.substr(comma + 1));
    forwardedFor = comma == std::string_view::npos ? std::string_view() : forwardedFor.substr(0, comma);
    const std::string address = NormalAddress(entry);
    if (address.empty()) return hop;
    hop = address;
    if (!Trusted(hop, trusted)) return hop;
  }
  return hop;
}

}  // namespace gw::scores
