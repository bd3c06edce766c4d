// SPDX-License-Identifier: GPL-3.0-or-later
#include "Query.h"

namespace gw::scores {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out.push_back(' ');
    } else if (text[i] != '%') {
      out.push_back(text[i]);
    } else {
      if (i + 2 >= text.size()) return std::nullopt;
      const int hi = HexValue(text[i + 1]);
      const int lo = HexValue(text[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      out.push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    }
  }
  return out;
}

}  // namespace

std::optional<Query> Query::Parse(std::string_view target) {
  Query q;
  const std::size_t mark = target.find('?');
  auto path = Decode(target.substr(0, mark));
  if (!path) return std::nullopt;
  q.path_ = std::move(*path);
  if (mark == std::string_view::npos) return q;
  std::string_view rest = target.substr(mark + 1);
  while (!rest.empty()) {
    const std::size_t amp = rest.find('&');
    const std::string_view pair = rest.substr(0, amp);
    rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
    if (pair.empty()) continue;
    const std::size_t eq = pair.find('=');
    auto name = Decode(pair.substr(0, eq));
    auto value = Decode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
    if (!name || !value) return std::nullopt;
    q.params_.emplace_back(std::move(*name), std::move(*value));
  }
  return q;
}

const std::string* Query::Find(std::string_view name) const {
  for (const auto& [n, v] : params_) {
    if (n == name) return &v;
  }
  return nullptr;
}

std::string Query::Value(std::string_view name) const {
  const std::string* v = Find(name);
  return v ? *v : std::string();
}

}  // namespace gw::scores
