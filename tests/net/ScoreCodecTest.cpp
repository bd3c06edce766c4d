// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "net/ScoreCodec.h"
#include "net/ScoreExchange.h"
#include "net/ScoreRecord.h"

namespace gw::net {
namespace {

constexpr char kRussia[] = "\xD0\xEE\xF1\xF1\xE8\xFF";  // Россия in Windows-1251

std::string Encode(std::string_view bytes) { return BitsToLetters(BytesToBits(bytes)); }

TEST(ScoreCodec, FiveBytesBecomeEightLetters) {
  EXPECT_EQ(BytesToBits("a\x01\xFF"), "011000010000000111111111");
  EXPECT_EQ(Encode("abcde"), "NFTGG3DF");
  EXPECT_EQ(Encode(std::string(5, '\0')), "AAAAAAAA");
  EXPECT_EQ(Encode(std::string(5, '\xFF')), "99999999");
  // A bit text that is not a multiple of 5 long is filled at the front.
  EXPECT_EQ(BitsToLetters("1"), "B");
  EXPECT_EQ(BitsToLetters("100000"), "BA");
}

TEST(ScoreCodec, EveryRecordEncodesToWholeGroupsOfAlphabetLetters) {
  for (std::size_t nameLength = 0; nameLength <= 10; ++nameLength) {
    for (const std::int32_t score : {0, -40, 1234567, INT32_MIN}) {
      ScoreRecord r{std::string(nameLength, '\xC0'), score, 'G', "token", kRussia};
      const std::string text = BuildRecord(r);
      const std::string letters = EncodeRecord(r);
      EXPECT_EQ(text.size() % 5, 0u);
      EXPECT_EQ(letters.size(), text.size() / 5 * 8);
      EXPECT_EQ(letters.find_first_not_of(ScoreAlphabet), std::string::npos) << letters;
      EXPECT_EQ(LettersToBytes(letters), text);
    }
  }
}

TEST(ScoreRecord, PaddingFillsToAMultipleOfFive) {
  // 36 fixed characters, a one-digit score and the six-letter country: 43 before padding.
  ScoreRecord r{"", 0, 'G', "", kRussia};
  EXPECT_EQ(BuildRecord(r), std::string("type=0|name=|score=0|key=G|p=|add=") + kRussia + "|z=00");
  r.name = "ab";  // 45: no padding
  EXPECT_EQ(BuildRecord(r), std::string("type=0|name=ab|score=0|key=G|p=|add=") + kRussia + "|z=");
}

TEST(ScoreRecord, CyrillicGoesOutAsItsWindows1251Bytes) {
  const ScoreRecord r{"\xC2\xC0\xCD", 150, 'G', "pq", kRussia};
  const std::string expected = std::string("type=0|name=\xC2\xC0\xCD|score=150|key=G|p=pq|add=") + kRussia + "|z=";
  ASSERT_EQ(expected.size() % 5, 0u);
  EXPECT_EQ(EncodeRecord(r), Encode(expected));
  // The six bytes of the country, bit for bit, where the record has them.
  const std::string bits = BytesToBits(BuildRecord(r));
  EXPECT_EQ(bits.substr(expected.find(kRussia) * 8, 48), BytesToBits(kRussia));
}

TEST(ScoreRecord, TheServerReadsBackWhatTheGameWrote) {
  const ScoreRecord records[] = {
      {"\xC8\xE2\xE0\xED", -40, 'G', "0123abcd", kRussia},
      {"a|score=1|b", 7, 'K', "t", "x|add=y|z=0"},  // nothing is escaped: the fixed parts are found anyway
      {"", 0, 'A', "", ""},
  };
  for (const ScoreRecord& r : records) {
    const auto back = ParseRecord(BuildRecord(r));
    ASSERT_TRUE(back) << BuildRecord(r);
    EXPECT_EQ(back->name, r.name);
    EXPECT_EQ(back->score, r.score);
    EXPECT_EQ(back->key, r.key);
    EXPECT_EQ(back->p, r.p);
    EXPECT_EQ(back->country, r.country);
  }
}

TEST(ScoreRecord, TextsOfAnotherShapeAreNotRecords) {
  const auto padded = [](std::string text) {
    while (text.size() % 5 != 0) text.push_back('0');
    return text;
  };
  const std::string good = "type=0|name=a|score=1|key=G|p=|add=|z=";
  ASSERT_TRUE(ParseRecord(padded(good)));
  for (const char* body : {"type=1|name=a|score=1|key=G|p=|add=|z=", "type=0|name=a|score=x|key=G|p=|add=|z=",
                           "type=0|name=a|score=|key=G|p=|add=|z=", "type=0|name=a|score=1|key=g|p=|add=|z=",
                           "type=0|name=a|score=1|key=GG|p=|add=|z=", "type=0|name=a|score=99999999999|key=G|p=|add=|z=",
                           "type=0|name=a|score=1|key=G|p=|z=", "type=0|name=a|score=1|key=G|p=|add="}) {
    EXPECT_FALSE(ParseRecord(padded(body))) << body;
  }
  EXPECT_FALSE(ParseRecord(""));
  EXPECT_FALSE(ParseRecord(padded(good) + "00000"));          // more padding than the rule gives
  EXPECT_FALSE(ParseRecord(padded(good).substr(0, 39) + "1"));  // padding that is not "0"s
  EXPECT_FALSE(ParseRecord(padded(good) + "0"));              // not a multiple of 5
}

TEST(ScoreCodec, LettersOutsideTheAlphabetOrWholeGroupsAreRefused) {
  for (const char* letters : {"NFTGG3D", "NFTGG3DI", "NFTGG3D0", "NFTGG3Do", "nftgg3df", "NFTGG3DF "}) {
    EXPECT_FALSE(LettersToBytes(letters)) << letters;
  }
  EXPECT_EQ(LettersToBytes(""), "");
}

TEST(ScoreExchange, TheFifthFieldOfTheFirstReply) {
  const std::pair<const char*, const char*> cases[] = {
      {"a|b|c|d|e|f", "e"}, {"a|b|c|d|e", ""}, {"", ""}, {"a|b|c|d|e|f|g", "e"}, {"||||x|", "x"}, {"no bars", ""},
  };
  for (const auto& [reply, field] : cases) EXPECT_EQ(FifthField(reply), field) << reply;
}

}  // namespace
}  // namespace gw::net
