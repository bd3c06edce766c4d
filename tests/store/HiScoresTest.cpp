// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/Cp1251.h"
#include "store/Options.h"

namespace gw::store {
namespace {

HiScoreTable DefaultTable() {
  HiScoreTable t;
  ResetHiScores(t);
  return t;
}

std::vector<std::int32_t> Scores(const HiScoreTable& t) {
  std::vector<std::int32_t> s;
  for (const THiScores& e : t) s.push_back(e.Score);
  return s;
}

std::string Names(const HiScoreTable& t) {
  std::string s;
  for (const THiScores& e : t) s += e.Name.empty() ? "-" : e.Name;
  return s;
}

TEST(HiScores, DefaultTableIsTenVanyasFromOneThousandDown) {
  HiScoreTable t;
  t[4] = {"X", -5};
  ResetHiScores(t);
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(t[i].Name, "\xC2\xE0\xED\xFF");
    EXPECT_EQ(t[i].Score, static_cast<std::int32_t>(1000 - 100 * i));
  }
  EXPECT_EQ(gfx::ToCp1251("Ваня"), "\xC2\xE0\xED\xFF");
}

struct Case {
  std::int32_t score;
  bool qualifies;
  int place;  // where the new entry lands
};

TEST(HiScores, PlacesANewScoreAgainstTheDefaultTable) {
  for (const Case c : {Case{100, false, -1}, Case{101, true, 9}, Case{550, true, 5}, Case{1000, true, 1},
                       Case{1001, true, 0}}) {
    HiScoreTable t = DefaultTable();
    EXPECT_EQ(Qualifies(t, c.score), c.qualifies) << c.score;
    if (!c.qualifies) continue;
    AddHiScore(t, "N", c.score);
    EXPECT_EQ(t[static_cast<std::size_t>(c.place)].Name, "N") << c.score;
    EXPECT_EQ(t[static_cast<std::size_t>(c.place)].Score, c.score);
    const std::vector<std::int32_t> s = Scores(t);
    EXPECT_TRUE(std::is_sorted(s.rbegin(), s.rend())) << c.score;
    EXPECT_EQ(std::count(s.begin(), s.end(), 100), 0) << "the old tenth entry is dropped";
  }
}

TEST(HiScores, EqualScoresKeepTheirOrderAndTheNewEntrySettlesBelowThem) {
  HiScoreTable t;
  const std::int32_t scores[] = {900, 500, 500, 500, 300, 200, 100, 50, 10, 0};
  for (std::size_t i = 0; i < 10; ++i) t[i] = {std::string(1, static_cast<char>('A' + i)), scores[i]};
  AddHiScore(t, "N", 500);
  EXPECT_EQ(Names(t), "ABCDNEFGHI");
}

// A table from a hand-edited file may be in any order; the next insertion sorts all of it, stably.
TEST(HiScores, AnUnsortedLoadedTableIsSortedByTheNextInsertion) {
  HiScoreTable t;
  const std::int32_t scores[] = {5, 80, -3, 80, 1, 700, 20, 5, 60, 99};
  for (std::size_t i = 0; i < 10; ++i) t[i] = {std::string(1, static_cast<char>('a' + i)), scores[i]};
  AddHiScore(t, "N", 6);  // replaces j (99)
  EXPECT_EQ(Scores(t), (std::vector<std::int32_t>{700, 80, 80, 60, 20, 6, 5, 5, 1, -3}));
  EXPECT_EQ(Names(t), "fbdigNahec");
}

}  // namespace
}  // namespace gw::store
