// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings and the ten-entry high-score table kept between runs.

#include <array>
#include <cstdint>
#include <string>

namespace gw::store {

struct TOptions {
  bool Windowed = true;
  bool Sound = true;
  bool Music = true;
  std::string Country;  // Windows-1251
};

struct THiScores {
  std::string Name;  // Windows-1251
  std::int32_t Score = 0;
};

using HiScoreTable = std::array<THiScores, 10>;

// The settings a first start gets: windowed, sound and music on, country "Россия".
TOptions InitialOptions();

// Ten entries of "Ваня" with 1000, 900, ..., 100.
void ResetHiScores(HiScoreTable& table);

// A finished game enters the table only with a score strictly greater than the tenth entry's.
inline bool Qualifies(const HiScoreTable& table, std::int32_t score) { return table[9].Score < score; }

// Swaps entries j - 1 and j.
void SwapHiScores(HiScoreTable& table, std::size_t j);

// Overwrites the tenth entry and sorts the whole table, best first; equal scores keep their order, so the
// new entry settles below older entries with the same score.
void AddHiScore(HiScoreTable& table, std::string name, std::int32_t score);

}  // namespace gw::store
