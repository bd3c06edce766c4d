// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Options.h"

#include <utility>

#include "gfx/Cp1251.h"

namespace gw::store {

TOptions InitialOptions() {
  TOptions o;
  o.Country = gfx::ToCp1251("Россия");
  return o;
}

void ResetHiScores(HiScoreTable& table) {
  const std::string name = gfx::ToCp1251("Ваня");
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i].Name = name;
    table[i].Score = static_cast<std::int32_t>((10 - i) * 100);
  }
}

void SwapHiScores(HiScoreTable& table, std::size_t j) { std::swap(table[j - 1], table[j]); }

void AddHiScore(HiScoreTable& table, std::string name, std::int32_t score) {
  table[9] = {std::move(name), score};
  for (std::size_t i = 0; i < table.size(); ++i) {
    for (std::size_t j = table.size() - 1; j > i; --j) {
      if (table[j - 1].Score < table[j].Score) SwapHiScores(table, j);
    }
  }
}

}  // namespace gw::store
