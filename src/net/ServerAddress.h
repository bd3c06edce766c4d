// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the score server is: the built-in host, or the one GROMWUMBLER_SCORE_SERVER names for a run; none when
// neither names one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gw::net {

inline constexpr const char* kScoreServerVariable = "GROMWUMBLER_SCORE_SERVER";

struct ServerAddress {
  std::string host;
  std::uint16_t port = 80;

  // host, or host:port when the port is not HTTP's own.
  std::string Authority() const;
  // A plain-HTTP URL of this server for a path with its query.
  std::string Url(std::string_view pathAndQuery) const;
};

// "host" or "host:port"; nothing for an empty host, a bad port or characters that do not belong in a host.
std::optional<ServerAddress> ParseServerAddress(std::string_view text);

// The variable's value when it is set and valid (a bad value is reported and ignored), else the built-in host
// (`builtIn`, the build's setting). Nothing when the variable is set but empty, or when it is unset and the
// build names no host: the game then neither sends scores nor opens the records page.
std::optional<ServerAddress> ConfiguredScoreServer(std::string_view builtIn);
std::optional<ServerAddress> ConfiguredScoreServer();

}  // namespace gw::net
