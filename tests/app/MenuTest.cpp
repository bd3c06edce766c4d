// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "net/ServerAddress.h"
#include "gfx/Cp1251.h"
#include "store/ConfigFile.h"
#include "support/Headless.h"

namespace gw::app {
namespace {

using test::HeadlessGame;
using namespace platform::vk;
using Bytes = std::vector<std::uint8_t>;

constexpr char kRussia[] = "\xD0\xEE\xF1\xF1\xE8\xFF";

Bytes FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The game on its main menu, as after the splash.
struct OnMenu : HeadlessGame {
  OnMenu() {
    program.ScreenState = screen::kMenu;
    sound.calls.clear();
  }
  void Keys(std::initializer_list<std::uint16_t> keys) {
    for (std::uint16_t k : keys) form->FormKeyDown(k, false);
  }
  // A player's click: the mouse moves there, a frame shows the hover, then the button goes down.
  void ClickAt(int x, int y) {
    form->FormMouseMove(x, y);
    Frame();
    form->FormMouseDown();
  }
  int Beeps() const { return sound.Count("effect 0"); }
  std::int32_t State() const { return program.ScreenState; }
  ui::TDDOptBtnCollection& Options() { return *program.Controls.OptionButtons; }
};

// The same folder started again, as the next run of the program.
struct NextRun {
  explicit NextRun(HeadlessGame& g)
      : form(std::make_unique<MainForm>(Services{g.clock, g.window, g.shell, *g.decoder, g.sound, test::TestFont()},
                                        program)) {}
  Program program;
  std::unique_ptr<MainForm> form;
};

struct Walk {
  const char* name;
  std::initializer_list<std::uint16_t> keys;
  std::int32_t state;
};

TEST(MenuKeys, EveryScreenOpensAndReturns) {
  const Walk walks[] = {
      {"options", {kDown, kReturn}, screen::kOptions},
      {"options back", {kDown, kReturn, kEscape}, screen::kMenu},
      {"high scores", {kDown, kDown, kReturn}, screen::kHiScores},
      {"high scores by Escape", {kRight, kRight, kSpace, kEscape}, screen::kMenu},
      {"high scores back button", {kDown, kDown, kReturn, kUp, kReturn}, screen::kMenu},
      {"clear question", {kDown, kDown, kReturn, kReturn}, screen::kClearConfirm},
      {"clear question Escape", {kDown, kDown, kReturn, kReturn, kEscape}, screen::kHiScores},
      {"clear question cancel", {kDown, kDown, kReturn, kReturn, kRight, kReturn}, screen::kHiScores},
      {"help", {kUp, kUp, kUp, kReturn}, screen::kHelpPage1},
      {"help by Escape", {kUp, kUp, kUp, kReturn, kEscape}, screen::kMenu},
      {"help pages", {kUp, kUp, kUp, kReturn, kRight, kReturn, kReturn, kReturn}, screen::kHelpPage4},
      {"last help page", {kUp, kUp, kUp, kReturn, kRight, kReturn, kReturn, kReturn, kReturn, kReturn},
       screen::kHelpPage5},
      {"help page back", {kUp, kUp, kUp, kReturn, kRight, kReturn, kReturn, kLeft, kReturn}, screen::kHelpPage2},
      {"help back button", {kUp, kUp, kUp, kReturn, kLeft, kReturn}, screen::kMenu},
      {"quit question", {kLeft, kReturn}, screen::kQuitConfirm},
      {"quit by Escape", {kEscape}, screen::kQuitConfirm},
      {"quit question N", {kEscape, Letter('N')}, screen::kMenu},
      {"quit question Escape", {kEscape, kEscape}, screen::kMenu},
      {"quit question no", {kEscape, kRight, kReturn}, screen::kMenu},
      {"more games stays", {kDown, kDown, kDown, kDown, kReturn}, screen::kMenu},
  };
  for (const Walk& w : walks) {
    OnMenu g;
    g.Keys(w.keys);
    EXPECT_EQ(g.State(), w.state) << w.name;
    EXPECT_FALSE(g.window.closed) << w.name;
  }
}

TEST(MenuKeys, TheHelpPagesEndsAreSilentAndEveryOtherChoiceBeeps) {
  OnMenu g;
  g.Keys({kUp, kUp, kUp, kReturn});  // page 1, "previous page" current
  g.sound.calls.clear();
  g.Keys({kReturn});
  EXPECT_EQ(g.State(), screen::kHelpPage1);
  EXPECT_EQ(g.Beeps(), 0);
  g.Keys({kRight, kReturn, kReturn, kReturn, kReturn});
  EXPECT_EQ(g.State(), screen::kHelpPage5);
  EXPECT_EQ(g.Beeps(), 5);
  g.Keys({kReturn});
  EXPECT_EQ(g.State(), screen::kHelpPage5);
  EXPECT_EQ(g.Beeps(), 5);
}

TEST(MenuKeys, MoreGamesOpensItsDocumentOnlyWhenPresent) {
  OnMenu g;
  g.Keys({kDown, kDown, kDown, kDown, kReturn});
  EXPECT_TRUE(g.shell.opened.empty());
  std::ofstream("moregames.url") << "[InternetShortcut]\nURL=https://games.example/\n";
  g.Keys({kReturn});
  EXPECT_EQ(g.shell.opened, std::vector<std::string>{"https://games.example/"});
  // The online table of the high-score screen depends on the score server (ScoreSubmissionTest).
  g.Keys({kUp, kUp, kReturn});
  EXPECT_EQ(g.State(), screen::kHiScores);
  EXPECT_EQ(g.shell.opened.size(), 1u);
}

TEST(MenuMouse, AClickOpensTheHoveredItemAndABesideClickIsSilentExceptOnOptions) {
  OnMenu g;
  g.ClickAt(20, 20);
  EXPECT_EQ(g.State(), screen::kMenu);
  EXPECT_EQ(g.Beeps(), 0);
  g.ClickAt(300, 210);  // options
  EXPECT_EQ(g.State(), screen::kOptions);
  g.sound.calls.clear();
  g.ClickAt(700, 120);  // beside every control
  EXPECT_EQ(g.State(), screen::kOptions);
  EXPECT_EQ(g.Beeps(), 1);
  g.ClickAt(100, 570);  // back
  EXPECT_EQ(g.State(), screen::kMenu);
  g.ClickAt(300, 250);
  EXPECT_EQ(g.State(), screen::kHiScores);
  g.sound.calls.clear();
  g.ClickAt(700, 120);
  EXPECT_EQ(g.Beeps(), 0);
  g.ClickAt(300, 510);  // clear the table
  EXPECT_EQ(g.State(), screen::kClearConfirm);
  g.ClickAt(300, 350);  // "OK"
  EXPECT_EQ(g.State(), screen::kHiScores);
  g.ClickAt(100, 570);
  g.ClickAt(300, 390);  // quit
  EXPECT_EQ(g.State(), screen::kQuitConfirm);
  g.ClickAt(480, 350);  // "НЕТ"
  EXPECT_EQ(g.State(), screen::kMenu);
  EXPECT_FALSE(g.window.closed);
}

TEST(MenuMouse, ClearingTheTableShowsTheDefaultsButTheFileWaitsForTheNextSave) {
  OnMenu g;
  g.program.HiScores[0] = {"X", 5000};
  const Bytes before = FileBytes("Config.cfg");
  g.Keys({kDown, kDown, kReturn});
  g.Frame();
  g.Keys({kReturn, kReturn});  // clear? "OK"
  EXPECT_EQ(g.State(), screen::kHiScores);
  EXPECT_EQ(g.program.HiScores[0].Score, 1000);
  EXPECT_EQ(FileBytes("Config.cfg"), before);
}

TEST(OptionsScreen, KeysMoveRowsChangeValuesAndShowThem) {
  OnMenu g;
  g.Keys({kDown, kReturn});
  ui::TDDOptBtnCollection& o = g.Options();
  ASSERT_EQ(o.ItemIndex, 7);
  g.sound.calls.clear();
  g.Keys({kUp});  // from back to the display row, on its value
  EXPECT_EQ(o.ItemIndex, 0);
  g.Keys({kRight});
  EXPECT_EQ(o.ItemIndex, 1);
  EXPECT_FALSE(g.program.Options.Windowed);
  EXPECT_FALSE(g.window.windowed);
  EXPECT_FALSE(o.Rows[0].IsOn);
  EXPECT_EQ(g.State(), screen::kOptions);
  g.Keys({kLeft});
  EXPECT_TRUE(g.program.Options.Windowed);
  EXPECT_TRUE(g.window.windowed);
  g.Keys({kUp, kRight});
  EXPECT_EQ(o.ItemIndex, 3);
  EXPECT_FALSE(g.program.Options.Music);
  EXPECT_FALSE(o.Rows[1].IsOn);
  g.Keys({kReturn});  // the other choice of the row
  EXPECT_EQ(o.ItemIndex, 2);
  EXPECT_TRUE(g.program.Options.Music);
  g.Keys({kUp, kSpace});
  EXPECT_EQ(o.ItemIndex, 5);
  EXPECT_FALSE(g.program.Options.Sound);
  EXPECT_FALSE(o.Rows[2].IsOn);
  const std::vector<std::string> sounds = {"effect 0", "effect 0", "effect 0", "effect 0", "stop song",
                                           "effect 0", "song 2.xm", "effect 0", "effect 0", "effects off",
                                           "effect 0"};
  EXPECT_EQ(g.sound.calls, sounds);
  g.Keys({kUp, kReturn});
  EXPECT_EQ(o.ItemIndex, 6);
  EXPECT_TRUE(o.Edit.Editing);
  g.Keys({kReturn});
  EXPECT_FALSE(o.Edit.Editing);
  g.Keys({kDown});  // back up to the sound row, on its value "off"
  EXPECT_EQ(o.ItemIndex, 5);
  g.Keys({kDown, kDown, kDown});
  EXPECT_EQ(o.ItemIndex, 7);
  g.Keys({kLeft, kRight});  // no choices on the back button
  EXPECT_EQ(g.State(), screen::kOptions);
  g.Keys({kEscape});
  EXPECT_EQ(g.State(), screen::kMenu);
}

TEST(OptionsScreen, MouseChoicesChangeTheRows) {
  OnMenu g;
  g.Keys({kDown, kReturn});
  g.ClickAt(400, 250);  // full screen
  EXPECT_FALSE(g.window.windowed);
  EXPECT_EQ(g.State(), screen::kOptions);
  g.ClickAt(300, 310);  // music off
  EXPECT_FALSE(g.program.Options.Music);
  g.ClickAt(300, 370);  // sound off
  EXPECT_FALSE(g.program.Options.Sound);
  g.ClickAt(220, 370);
  EXPECT_TRUE(g.program.Options.Sound);
  g.ClickAt(250, 250);
  EXPECT_TRUE(g.window.windowed);
  EXPECT_TRUE(g.Options().Rows[0].IsOn);
  g.ClickAt(300, 420);  // the field: a click starts typing mode
  EXPECT_TRUE(g.Options().Edit.Editing);
}

TEST(OptionsScreen, LettersBecomeCyrillicInTheCountryFieldWhereverTheHighlightIsAndReachTheFileOnQuit) {
  OnMenu g;
  g.Keys({kDown, kReturn});
  ui::TDDEdit& field = g.Options().Edit;
  EXPECT_EQ(field.Text, kRussia);
  EXPECT_EQ(field.CharCount, 6);
  for (int i = 0; i < 7; ++i) g.Keys({kBack});
  EXPECT_EQ(field.Text, "");
  EXPECT_EQ(field.CharCount, 0);
  g.Keys({Letter('G'), Letter('H'), Letter('J')});
  EXPECT_EQ(field.Text, "\xCF\xD0\xCE");  // ПРО
  EXPECT_EQ(g.Options().ItemIndex, 7) << "typing does not move the highlight";
  EXPECT_EQ(g.program.Options.Country, kRussia) << "the field reaches the settings only when they are saved";
  g.Keys({kEscape, kEscape, kReturn});
  ASSERT_TRUE(g.window.closed);
  const Bytes file = FileBytes("Config.cfg");
  ASSERT_GE(file.size(), 7u);
  EXPECT_EQ(Bytes(file.begin() + 3, file.begin() + 7), (Bytes{0x03, 0x30, 0x2F, 0x31}));
}

TEST(QuitQuestion, NoReturnsToTheMenuAndYAnswersTheHighlightedChoice) {
  OnMenu g;
  const Bytes before = FileBytes("Config.cfg");
  g.Keys({kEscape, kRight, kReturn});
  EXPECT_EQ(g.State(), screen::kMenu);
  EXPECT_FALSE(g.program.CloseAllowed);
  g.Keys({kEscape, Letter('Y')});  // "НЕТ" is still highlighted
  EXPECT_EQ(g.State(), screen::kMenu);
  EXPECT_FALSE(g.window.closed);
  EXPECT_EQ(FileBytes("Config.cfg"), before);
  g.Keys({kEscape, kLeft, Letter('Y')});
  EXPECT_TRUE(g.window.closed);
  EXPECT_TRUE(g.program.CloseAllowed);
}

TEST(Settings, ChangedOptionsAndTypedCountryComeBackInTheNextRun) {
  OnMenu g;
  g.Keys({kDown, kReturn, kUp, kRight, kUp, kRight, kUp, kRight});
  for (int i = 0; i < 6; ++i) g.Keys({kBack});
  g.Keys({Letter('R'), Letter('B')});
  g.Keys({kEscape, kEscape, kReturn});
  ASSERT_TRUE(g.window.closed);
  g.sound.calls.clear();
  NextRun next(g);
  EXPECT_FALSE(next.program.Options.Windowed);
  EXPECT_FALSE(next.program.Options.Music);
  EXPECT_FALSE(next.program.Options.Sound);
  EXPECT_EQ(next.program.Options.Country, "\xCA\xC8");
  const ui::TDDOptBtnCollection& o = *next.program.Controls.OptionButtons;
  EXPECT_FALSE(o.Rows[0].IsOn || o.Rows[1].IsOn || o.Rows[2].IsOn);
  EXPECT_EQ(o.Edit.Text, "\xCA\xC8");
  EXPECT_EQ(o.Edit.CharCount, 2);
  EXPECT_FALSE(g.window.windowed);
  EXPECT_EQ(g.sound.Count("stop song"), 1);
  EXPECT_EQ(g.sound.Count("song 2.xm"), 0);
  EXPECT_EQ(g.sound.Count("effects off"), 1);
}

// The settings file's tests pin its bytes; here, a first start writes it and starts as it says.
TEST(FirstStart, WritesTheInitialSettingsAndDefaultTableAndBuildsTheDisplayTwice) {
  HeadlessGame g;
  store::HiScoreTable defaults;
  store::ResetHiScores(defaults);
  EXPECT_EQ(FileBytes("Config.cfg"), store::EncodeConfig(store::InitialOptions(), defaults));
  EXPECT_EQ(g.program.HiScores[9].Score, 100);
  EXPECT_EQ(g.window.setups, 2);
  EXPECT_TRUE(g.window.windowed);
  EXPECT_EQ(g.sound.Count("song 2.xm"), 1);
  EXPECT_EQ(g.program.Controls.OptionButtons->Edit.Text, kRussia);
  EXPECT_TRUE(g.program.Controls.OptionButtons->Rows[2].IsOn);
  EXPECT_EQ(g.sound.Count("effects on"), 1);
}

struct Damage {
  const char* name;
  std::function<void(const Bytes& good)> make;
};

TEST(Settings, ADamagedFileIsKeptAsideAndTheGameStartsAfresh) {
  const Damage damages[] = {
      {"cut short", [](const Bytes& good) { WriteBytes("Config.cfg", Bytes(good.begin(), good.begin() + 50)); }},
      {"empty", [](const Bytes&) { WriteBytes("Config.cfg", {}); }},
      {"a length past the end", [](const Bytes& good) {
         Bytes b = good;
         b[3] = 250;
         WriteBytes("Config.cfg", b);
       }},
      {"a folder", [](const Bytes&) { std::filesystem::create_directory("Config.cfg"); }},
  };
  for (const Damage& d : damages) {
    HeadlessGame g;
    // The last run left full screen, no music and a changed table.
    store::TOptions options = store::InitialOptions();
    options.Windowed = options.Music = false;
    store::HiScoreTable table;
    store::ResetHiScores(table);
    table[0] = {"X", 7777};
    const Bytes good = store::EncodeConfig(options, table);
    std::filesystem::remove("Config.cfg");
    d.make(good);
    const bool folder = std::filesystem::is_directory("Config.cfg");
    const Bytes damaged = folder ? Bytes{} : FileBytes("Config.cfg");
    ::testing::internal::CaptureStderr();
    NextRun next(g);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(next.program.Options.Windowed) << d.name;
    EXPECT_TRUE(next.program.Options.Music) << d.name;
    EXPECT_EQ(next.program.Options.Country, kRussia) << d.name;
    EXPECT_EQ(next.program.HiScores[0].Score, 1000) << d.name;
    EXPECT_EQ(FileBytes("Config.cfg"), store::EncodeConfig(store::InitialOptions(), [] {
                store::HiScoreTable t;
                store::ResetHiScores(t);
                return t;
              }())) << d.name;
    ASSERT_TRUE(std::filesystem::exists("Config.cfg.damaged")) << d.name;
    EXPECT_EQ(std::filesystem::is_directory("Config.cfg.damaged"), folder) << d.name;
    if (!folder) {
      EXPECT_EQ(FileBytes("Config.cfg.damaged"), damaged) << d.name;
    }
    EXPECT_THAT(said, ::testing::HasSubstr("Config.cfg.damaged")) << d.name;
  }
}

TEST(Settings, AFailedSaveAtQuitStillQuitsAndKeepsTheOldFile) {
  OnMenu g;
  const Bytes before = FileBytes("Config.cfg");
  std::filesystem::create_directory("Config.cfg.new");
  g.Keys({kDown, kReturn, kUp, kRight, kEscape});
  ::testing::internal::CaptureStderr();
  g.Keys({kEscape, kReturn});
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(g.window.closed);
  EXPECT_EQ(FileBytes("Config.cfg"), before);
  EXPECT_THAT(said, ::testing::HasSubstr("not saved"));
}

TEST(Settings, ASaveWithTheFileGoneStartsANewFileWithTheDefaultTable) {
  OnMenu g;
  g.program.HiScores[0] = {"X", 5000};
  g.Options().Edit.Text = "\xC0";
  std::filesystem::remove("Config.cfg");
  g.form->SaveOptions();
  store::HiScoreTable defaults;
  store::ResetHiScores(defaults);
  EXPECT_EQ(FileBytes("Config.cfg"), store::EncodeConfig(store::InitialOptions(), defaults));
}

TEST(Settings, ACountryLongerThan255BytesIsStoredAsItsFirst255) {
  OnMenu g;
  g.Options().Edit.Text = std::string(300, '\xC0');
  g.form->SaveOptions();
  EXPECT_EQ(std::filesystem::file_size("Config.cfg"), 3u + 256u + 90u);
  NextRun next(g);
  EXPECT_EQ(next.program.Options.Country, std::string(255, '\xC0'));
  EXPECT_EQ(next.program.Controls.OptionButtons->Edit.CharCount, 255);
}

TEST(NameEntry, TheTypedNameEntersTheTableAndIsSavedWithTheCountry) {
  OnMenu g;
  g.Keys({kDown, kReturn, Letter('A'), kEscape});  // the country gets one more letter
  g.Keys({kUp, kReturn});                          // a new game
  ASSERT_TRUE(g.program.Game);
  g.program.Game->Score = 1000;
  g.program.ScreenState = screen::kNameEntry;  // as the game does when it ends
  g.Keys({Letter('D'), Letter('F'), Letter('Y'), Letter('Z'), kBack});
  EXPECT_EQ(g.program.Controls.NameEdit->Text, "\xC2\xC0\xCD");  // ВАН
  g.Keys({kReturn});
  // The send question only when the game knows a score server.
  EXPECT_EQ(g.State(), net::ConfiguredScoreServer() ? screen::kSendConfirm : screen::kHiScores);
  EXPECT_EQ(g.program.HiScores[1].Name, "\xC2\xC0\xCD");
  EXPECT_EQ(g.program.HiScores[1].Score, 1000);
  store::ConfigData saved;
  std::string error;
  ASSERT_EQ(store::ReadConfigFile("Config.cfg", saved, error), store::LoadStatus::Loaded);
  EXPECT_EQ(saved.hiScores[1].Name, "\xC2\xC0\xCD");
  EXPECT_EQ(saved.options.Country, std::string(kRussia) + "\xD4");
  if (net::ConfiguredScoreServer()) {
    g.Keys({Letter('N')});  // no sending
    EXPECT_EQ(g.State(), screen::kMenu);
  }
}

TEST(NameEntry, CancelAndEscapeLeaveTheTableAlone) {
  for (const std::uint16_t key : {kEscape, kRight}) {
    OnMenu g;
    g.Keys({kReturn});
    ASSERT_TRUE(g.program.Game);
    g.program.Game->Score = 5000;
    g.program.ScreenState = screen::kNameEntry;
    g.Keys({key});
    if (key == kRight) g.Keys({kReturn});
    EXPECT_EQ(g.State(), screen::kMenu);
    EXPECT_EQ(g.program.HiScores[0].Score, 1000);
  }
}

}  // namespace
}  // namespace gw::app
