// SPDX-License-Identifier: GPL-3.0-or-later
#include "Methods.h"

#include "Query.h"
#include "net/ScoreProtocol.h"

namespace gw::scores {

namespace {

// The game's web build (PlayFiles), the one place that answers HEAD: browsers and caches ask it of files.
constexpr std::string_view kPlay = "/play";

}  // namespace

std::string_view MethodsAllowed(std::string_view target) {
  // Decoded as the service decodes it, so that both name the same path.
  const std::optional<Query> query = Query::Parse(target.substr(0, target.find('?')));
  if (!query) return "GET";
  const std::string_view path = query->Path();
  if (path == net::kReplayPath) return "POST";
  if (path.starts_with(kPlay) && (path.size() == kPlay.size() || path[kPlay.size()] == '/')) return "GET, HEAD";
  return "GET";
}

bool MethodAllowed(std::string_view target, std::string_view method) {
  std::string_view list = MethodsAllowed(target);
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    if (list.substr(0, comma) == method) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
    while (list.starts_with(' ')) list.remove_prefix(1);
  }
  return false;
}

}  // namespace gw::scores
