// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A request target taken apart: its path and its query's parameters, percent-decoded.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gw::scores {

class Query {
 public:
  // Nothing when a percent sign is not followed by two hex digits.
  static std::optional<Query> Parse(std::string_view target);

  const std::string& Path() const { return path_; }
  bool Has(std::string_view name) const { return Find(name) != nullptr; }
  // The first value of the parameter, empty when it has none or is missing.
  std::string Value(std::string_view name) const;

 private:
  const std::string* Find(std::string_view name) const;

  std::string path_;
  std::vector<std::pair<std::string, std::string>> params_;
};

}  // namespace gw::scores
