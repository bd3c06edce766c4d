// SPDX-License-Identifier: GPL-3.0-or-later
// Names and the country typed with the keyboard, from the key press to Config.cfg.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "net/ServerAddress.h"
#include "gfx/Cp1251.h"
#include "store/ConfigFile.h"
#include "support/Headless.h"

namespace gw::app {
namespace {

using test::HeadlessGame;
using namespace platform::vk;

// Each letter of the alphabet, in its order, and the key that carries it on a Russian keyboard.
struct LetterKey {
  const char* letter;  // UTF-8
  std::uint16_t key;
};
constexpr LetterKey kAlphabet[] = {
    {"А", Letter('F')}, {"Б", kComma}, {"В", Letter('D')}, {"Г", Letter('U')}, {"Д", Letter('L')}, {"Е", Letter('T')},
    {"Ё", kGrave}, {"Ж", kSemicolon}, {"З", Letter('P')}, {"И", Letter('B')}, {"Й", Letter('Q')}, {"К", Letter('R')},
    {"Л", Letter('K')}, {"М", Letter('V')}, {"Н", Letter('Y')}, {"О", Letter('J')}, {"П", Letter('G')}, {"Р", Letter('H')},
    {"С", Letter('C')}, {"Т", Letter('N')}, {"У", Letter('E')}, {"Ф", Letter('A')}, {"Х", kLeftBracket}, {"Ц", Letter('W')},
    {"Ч", Letter('X')}, {"Ш", Letter('I')}, {"Щ", Letter('O')}, {"Ъ", kRightBracket}, {"Ы", Letter('S')}, {"Ь", Letter('M')},
    {"Э", kApostrophe}, {"Ю", kPeriod}, {"Я", Letter('Z')},
};

store::ConfigData SavedConfig() {
  store::ConfigData saved;
  std::string error;
  EXPECT_EQ(store::ReadConfigFile("Config.cfg", saved, error), store::LoadStatus::Loaded) << error;
  return saved;
}

struct OnMenu : HeadlessGame {
  OnMenu() { program.ScreenState = screen::kMenu; }
  void Keys(std::initializer_list<std::uint16_t> keys) {
    for (std::uint16_t k : keys) form->FormKeyDown(k, false);
  }
  // Frames until the screen changes from the one it is on, at most a few seconds of them.
  void FramesWhile(std::int32_t state) {
    for (int i = 0; i < 1000 && program.ScreenState == state; ++i) Frame();
  }
  ui::TDDEdit& Country() { return program.Controls.OptionButtons->Edit; }
  ui::TDDEdit& Name() { return *program.Controls.NameEdit; }
};

TEST(Typing, EveryLetterOfTheAlphabetTypedByItsKeyReachesTheFileInWindows1251) {
  // The field holds a few letters at a time: the alphabet goes in chunks, each saved through the quit question.
  constexpr std::size_t kChunk = 6;
  for (std::size_t first = 0; first < std::size(kAlphabet); first += kChunk) {
    OnMenu g;
    g.Keys({kDown, kReturn});  // options
    for (std::size_t i = 0; i < 6; ++i) g.Keys({kBack});
    std::string expected;
    for (std::size_t i = first; i < std::min(first + kChunk, std::size(kAlphabet)); ++i) {
      g.Keys({kAlphabet[i].key});
      expected += gfx::ToCp1251(kAlphabet[i].letter);
    }
    ASSERT_EQ(g.Country().Text, expected) << "from letter " << first;
    g.Keys({kEscape, kEscape, kReturn});  // back, quit?, "ДА": the settings are saved
    ASSERT_TRUE(g.window.closed);
    EXPECT_EQ(SavedConfig().options.Country, expected) << "from letter " << first;
  }
  EXPECT_EQ(gfx::ToCp1251("Ё"), "\xA8");  // the one letter outside А..я's run of bytes
}

struct Typed {
  const char* what;
  std::uint16_t key;
  const char* text;      // what the keyboard layout typed, UTF-8
  const char* expected;  // the field's text after it, UTF-8
};

TEST(Typing, ALayoutsRussianLetterIsTakenAsItIsAndOtherwiseTheKeysPlaceCounts) {
  const Typed cases[] = {
      {"US layout: by the key's place", Letter('Q'), "q", "Й"},
      {"US layout, a punctuation key", kSemicolon, ";", "Ж"},
      {"Shift on a US layout changes nothing", kPeriod, ">", "Ю"},
      {"Russian layout", Letter('A'), "ф", "Ф"},
      {"Russian layout with Shift", Letter('A'), "Ф", "Ф"},
      {"Russian layout, Ё in small letters", kGrave, "ё", "Ё"},
      {"a phonetic layout puts А on A", Letter('A'), "а", "А"},
      {"a letter the names do not use", Letter('S'), "і", "Ы"},
      {"a key that carries no letter", kOther, "1", ""},
  };
  for (const Typed& t : cases) {
    OnMenu g;
    g.Keys({kDown, kReturn});
    for (int i = 0; i < 6; ++i) g.Keys({kBack});
    g.form->FormKeyDown(t.key, false, t.text);
    EXPECT_EQ(g.Country().Text, gfx::ToCp1251(t.expected)) << t.what;
  }
}

TEST(Typing, AFullFieldRefusesThePunctuationKeysLetterByItsOwnWidth) {
  OnMenu g;
  g.Keys({kDown, kReturn});
  for (int i = 0; i < 6; ++i) g.Keys({kBack});
  // Ж is much wider than ";": fill until no Ж fits, and the field's text must still end inside it.
  for (int i = 0; i < 12; ++i) g.Keys({kSemicolon});
  const int width = test::TestFont().TextWidth(ui::TDDEdit::kFontHeight, ui::TDDEdit::kFontWidth,
                                               ui::TDDEdit::kFontWeight, g.Country().Text);
  EXPECT_LT(g.Country().Bounds.left + width + 5, g.Country().Bounds.right);
  EXPECT_LT(g.Country().CharCount, ui::TDDEdit::kMaxChars);
}

TEST(NameEntry, AfterACancelledClearTheNameEntryOpensOnOkAndKeepsTheScore) {
  OnMenu g;
  g.Keys({kDown, kDown, kReturn, kReturn, kRight, kReturn});  // high scores, clear? "ОТМЕНА"
  ASSERT_EQ(g.program.ScreenState, screen::kHiScores);
  ASSERT_FALSE(g.program.Controls.OkCancelButtons->Choice);
  g.Keys({kEscape, kUp, kUp, kReturn});  // a new game
  ASSERT_EQ(g.program.ScreenState, screen::kInGame);
  g.program.Game->Score = 5000;
  for (int i = 0; i < 200 && g.program.Game->Phase != game::Playing; ++i) g.Frame();
  g.Keys({kEscape, kLeft, kReturn});  // quit the game: "ДА"
  g.FramesWhile(screen::kInGame);
  ASSERT_EQ(g.program.ScreenState, screen::kNameEntry);
  EXPECT_TRUE(g.program.Controls.OkCancelButtons->Choice);
  for (std::uint16_t k : {kComma, Letter('J'), Letter('H'), Letter('B'), Letter('C')}) g.Keys({k});
  g.Keys({kReturn});
  // The send question only when the game knows a score server.
  EXPECT_EQ(g.program.ScreenState, net::ConfiguredScoreServer() ? screen::kSendConfirm : screen::kHiScores);
  const store::ConfigData saved = SavedConfig();
  EXPECT_EQ(saved.hiScores[0].Score, 5000);
  EXPECT_EQ(saved.hiScores[0].Name, gfx::ToCp1251("БОРИС"));
}

}  // namespace
}  // namespace gw::app
