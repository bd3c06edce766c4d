// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/ServerAddress.h"

#include <charconv>
#include <cstdlib>
#include <iostream>

namespace gw::net {

namespace {

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

}  // namespace

std::string ServerAddress::Authority() const {
  return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string ServerAddress::Url(std::string_view pathAndQuery) const {
  return "http://" + Authority() + std::string(pathAndQuery);
}

std::optional<ServerAddress> ParseServerAddress(std::string_view text) {
  ServerAddress address;
  const std::size_t colon = text.find(':');
  const std::string_view host = text.substr(0, colon);
  if (host.empty()) return std::nullopt;
  for (const char c : host) {
    if (!IsHostChar(c)) return std::nullopt;
  }
  address.host = std::string(host);
  if (colon != std::string_view::npos) {
    const std::string_view port = text.substr(colon + 1);
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), address.port);
    if (port.empty() || ec != std::errc() || end != port.data() + port.size() || address.port == 0) {
      return std::nullopt;
    }
  }
  return address;
}

std::optional<ServerAddress> ConfiguredScoreServer(std::string_view builtIn) {
  if (const char* value = std::getenv(kScoreServerVariable)) {
    if (*value == '\0') return std::nullopt;
    if (auto address = ParseServerAddress(value)) return *address;
    std::cerr << "Grom Wumbler: " << kScoreServerVariable << "=" << value
              << " is not a host or host:port; using the built-in score server\n";
  }
  if (builtIn.empty()) return std::nullopt;
  if (auto address = ParseServerAddress(builtIn)) return *address;
  return ServerAddress{std::string(builtIn), 80};
}

std::optional<ServerAddress> ConfiguredScoreServer() { return ConfiguredScoreServer(GW_SCORE_HOST); }

}  // namespace gw::net
