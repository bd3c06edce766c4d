// SPDX-License-Identifier: GPL-3.0-or-later
// The build's own pictures measured against what the game draws on them: every question's texts lie inside
// its panel and read well (the chosen answer the plainest), and every painted control covers the rectangle
// that answers the mouse. Set GW_SCREENSHOTS to a folder to keep the drawn question screens as BMP files.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "game/GameFixture.h"
#include "gfx/Draw.h"
#include "support/Headless.h"

namespace gw::app {
namespace {

namespace fs = std::filesystem;
using gfx::Pixel;
using gfx::Rect;
using namespace platform::vk;

constexpr int kW = 800, kH = 600;
constexpr int kDialogX = 210, kDialogY = 200;
// The panel's wooden rim: texts belong on the face inside it, clear of it by a margin.
constexpr int kRim = 12;
constexpr int kMargin = 2;

double Linear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Pixel p) {
  return 0.2126 * Linear(static_cast<int>((p >> 16) & 0xFF)) + 0.7152 * Linear(static_cast<int>((p >> 8) & 0xFF)) +
         0.0722 * Linear(static_cast<int>(p & 0xFF));
}

double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

bool Near(Pixel a, Pixel b, int tolerance) {
  for (int shift : {16, 8, 0}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
      return false;
  }
  return true;
}

std::string Describe(const Rect& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

void SaveShot(const std::vector<Pixel>& frame, const std::string& name) {
  const char* dir = std::getenv("GW_SCREENSHOTS");
  if (!dir || frame.size() != static_cast<std::size_t>(kW) * kH) return;
  std::vector<Pixel> copy = frame;
  SDL_Surface* s = SDL_CreateRGBSurfaceFrom(copy.data(), kW, kH, 32, kW * 4, 0xFF0000, 0xFF00, 0xFF, 0);
  if (!s) return;
  SDL_SaveBMP(s, (fs::path(dir) / (name + ".bmp")).string().c_str());
  SDL_FreeSurface(s);
}

// The game on the build's own pack, on its main menu.
struct RealScreens : test::HeadlessGame {
  RealScreens() : HeadlessGame(fs::path(GW_GAME_DIR) / "Data" / "Data.pp") {
    program.ScreenState = screen::kMenu;
    form->FormMouseMove(5, 5);  // out of every control's way
  }
  const gfx::Surface& Screen(int slot) const { return *program.Images.Screen(slot); }
  void StartGame() {
    form->FormKeyDown(kReturn, false);
    program.Game->Score = 12340;
  }
};

// One question screen as the player meets it.
struct Question {
  const char* name;
  std::int32_t state;
  int background;  // ScreenImages slot behind the panel, or -1 for the frozen frame
  enum Pair { None, YesNo, OkCancel } pair;
};

const Question kQuestions[] = {
    {"quit", screen::kQuitConfirm, 0, Question::YesNo},
    {"clear_table", screen::kClearConfirm, -1, Question::OkCancel},
    {"name_entry", screen::kNameEntry, 22, Question::OkCancel},
    {"send", screen::kSendConfirm, 22, Question::YesNo},
    {"quit_game", screen::kQuitGameConfirm, -1, Question::YesNo},
    {"retry", screen::kRetryConfirm, 22, Question::YesNo},
    {"wait", screen::kWait, 22, Question::None},
};

// Where a question's drawing differs from its bare panel, and what lies under its fully drawn text pixels.
struct Drawn {
  std::optional<Rect> box;  // every changed pixel near the panel
  double under = 0;  // mean luminance under the question's text pixels
  int count = 0;
  double underName = 0;
  int countName = 0;
};

bool Inside(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

Drawn Measure(const std::vector<Pixel>& frame, const std::vector<Pixel>& bare, const Rect& answers,
              const Rect& nameField, Pixel nameColour) {
  Drawn d;
  for (int y = kDialogY - 60; y < kDialogY + 260; ++y) {
    for (int x = kDialogX - 80; x < kDialogX + 500; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x);
      if (frame[i] == bare[i]) continue;
      if (!d.box) d.box = Rect{x, y, x + 1, y + 1};
      d.box->left = std::min(d.box->left, x);
      d.box->top = std::min(d.box->top, y);
      d.box->right = std::max(d.box->right, x + 1);
      d.box->bottom = std::max(d.box->bottom, y + 1);
      const Pixel p = frame[i];
      if (Inside(answers, x, y) || (p != gfx::kYellow && p != gfx::kGreen && p != gfx::kRed && p != nameColour)) continue;
      if (Inside(nameField, x, y)) {
        d.underName += Luminance(bare[i]);
        ++d.countName;
      } else {
        d.under += Luminance(bare[i]);
        ++d.count;
      }
    }
  }
  d.under /= std::max(d.count, 1);
  d.underName /= std::max(d.countName, 1);
  return d;
}

// One answer as drawn: the pixels its caption changes, and the mean contrast of its colour with what lies
// under its fully drawn pixels.
struct Answer {
  std::optional<Rect> ink;
  std::vector<std::pair<int, int>> pixels;
  double contrast = 0;
};

// The captions' pixels are those that change when the captions are left out of the same frame.
std::pair<Answer, Answer> Answers(test::HeadlessGame& g, ui::TDDTextBtnCollection& pair) {
  EXPECT_TRUE(g.Frame());
  const std::vector<Pixel> with = g.window.lastFrame;
  const std::string c1 = pair.Caption1, c2 = pair.Caption2;
  pair.Caption1.clear();
  pair.Caption2.clear();
  EXPECT_TRUE(g.Frame());
  const std::vector<Pixel> without = g.window.lastFrame;
  pair.Caption1 = c1;
  pair.Caption2 = c2;

  Answer a[2];
  double under[2] = {0, 0};
  int count[2] = {0, 0};
  const Pixel colour[2] = {pair.Choice ? gfx::kGreen : gfx::kYellow, pair.Choice ? gfx::kYellow : gfx::kGreen};
  const int split = (pair.Text1.x + pair.Text2.x) / 2;
  for (int y = pair.Text1.y - 20; y < pair.Text1.y + 60; ++y)
    for (int x = 0; x < kW; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x);
      if (with[i] == without[i]) continue;
      const int w = x < split ? 0 : 1;
      Answer& an = a[w];
      an.pixels.emplace_back(x, y);
      if (!an.ink) an.ink = Rect{x, y, x + 1, y + 1};
      an.ink = Rect{std::min(an.ink->left, x), std::min(an.ink->top, y), std::max(an.ink->right, x + 1),
                    std::max(an.ink->bottom, y + 1)};
      if (with[i] == colour[w]) {
        under[w] += Luminance(without[i]);
        ++count[w];
      }
    }
  for (int w = 0; w < 2; ++w) {
    EXPECT_GT(count[w], 20) << "answer " << w + 1;
    a[w].contrast = Contrast(Luminance(colour[w]), under[w] / std::max(count[w], 1));
  }
  return {a[0], a[1]};
}

TEST(QuestionScreens, TextsLieOnThePanelsFaceAndBothAnswersRead) {
  RealScreens g;
  g.StartGame();
  g.form->Display().Snapshot().BltFast(0, 0, g.Screen(22), nullptr, gfx::kBltFastWait);
  const gfx::Surface& panel = g.Screen(19);
  const Rect face{kDialogX + kRim + kMargin, kDialogY + kRim + kMargin, kDialogX + panel.Width() - kRim - kMargin,
                  kDialogY + panel.Height() - kRim - kMargin};
  ui::TDDEdit& name = *g.program.Controls.NameEdit;
  for (char letter : {'D', 'F', 'Y', 'Z', 'E', 'N'}) name.AddKey(letter, g.form->Ui());

  for (const Question& q : kQuestions) {
    for (const bool first : {true, false}) {
      if (q.pair == Question::None && !first) continue;
      SCOPED_TRACE(std::string(q.name) + (first ? ", first answer chosen" : ", second answer chosen"));
      ui::TDDTextBtnCollection* pair = q.pair == Question::YesNo      ? g.program.Controls.YesNoButtons.get()
                                       : q.pair == Question::OkCancel ? g.program.Controls.OkCancelButtons.get()
                                                                      : nullptr;
      if (pair) pair->Choice = first;
      g.program.ScreenState = q.state;
      ASSERT_TRUE(g.Frame());
      const std::vector<Pixel> frame = g.window.lastFrame;
      SaveShot(frame, std::string(q.name) + (pair ? (first ? "_first" : "_second") : ""));

      // The same screen without its texts: the background, then the panel.
      const gfx::Surface& background = q.background < 0 ? g.form->Display().Snapshot() : g.Screen(q.background);
      std::vector<Pixel> bare(static_cast<std::size_t>(kW) * kH);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) bare[static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x)] = background.At(x, y);
      for (int y = 0; y < panel.Height(); ++y)
        for (int x = 0; x < panel.Width(); ++x)
          bare[static_cast<std::size_t>(kDialogY + y) * kW + static_cast<std::size_t>(kDialogX + x)] = panel.At(x, y);

      const Rect field = q.state == screen::kNameEntry ? name.Bounds : Rect{};
      // The answers and their plates lie on the bar, from the top of the click areas down.
      const Rect answers = pair ? Rect{face.left, pair->Rect1.top - 6, face.right, face.bottom} : Rect{};
      const Drawn d = Measure(frame, bare, answers, field, g.program.Controls.NameEdit->TextColour);
      ASSERT_TRUE(d.box.has_value());
      EXPECT_GE(d.box->left, face.left) << "drawn " << Describe(*d.box) << ", face " << Describe(face);
      EXPECT_GE(d.box->top, face.top) << "drawn " << Describe(*d.box) << ", face " << Describe(face);
      EXPECT_LE(d.box->right, face.right) << "drawn " << Describe(*d.box) << ", face " << Describe(face);
      EXPECT_LE(d.box->bottom, face.bottom) << "drawn " << Describe(*d.box) << ", face " << Describe(face);

      // Questions and warnings read clearly on the face.
      ASSERT_GT(d.count, 100);
      const Pixel textColour = q.state == screen::kRetryConfirm || q.state == screen::kWait ? gfx::kRed : gfx::kYellow;
      EXPECT_GE(Contrast(Luminance(textColour), d.under), 3.0);
      if (pair) {
        // Whichever answer is chosen, the green one and the yellow one both read, and each word's every pixel
        // lies where a click answers it.
        const auto [a1, a2] = Answers(g, *pair);
        for (const Answer* a : {&a1, &a2}) {
          const Rect& area = a == &a1 ? pair->Rect1 : pair->Rect2;
          SCOPED_TRACE(a == &a1 ? "first answer" : "second answer");
          EXPECT_GE(a->contrast, 4.5);
          ASSERT_TRUE(a->ink.has_value());
          EXPECT_TRUE(gfx::PointInRect(area, a->ink->left, a->ink->top) &&
                      gfx::PointInRect(area, a->ink->right - 1, a->ink->bottom - 1))
              << "ink " << Describe(*a->ink) << ", click area " << Describe(area);
          EXPECT_GE(a->ink->left, face.left);
          EXPECT_LE(a->ink->right, face.right);
          EXPECT_LE(a->ink->bottom, face.bottom);
        }
      }
      if (q.state == screen::kNameEntry) {
        ASSERT_GT(d.countName, 50);
        EXPECT_GE(Contrast(Luminance(g.program.Controls.NameEdit->TextColour), d.underName), 4.5);
      }
    }
  }
}

// A click on the outermost pixel of a word, on any side, answers the question with that word.
TEST(QuestionScreens, AClickOnAWordsOuterInkAnswers) {
  RealScreens g;
  g.StartGame();
  struct Case {
    const char* name;
    std::int32_t state;
    bool yesNo;
  };
  for (const Case& c : {Case{"clear table", screen::kClearConfirm, false}, Case{"quit game", screen::kQuitGameConfirm, true}}) {
    ui::TDDTextBtnCollection& pair = c.yesNo ? *g.program.Controls.YesNoButtons : *g.program.Controls.OkCancelButtons;
    g.program.ScreenState = c.state;
    const auto [first, second] = Answers(g, pair);
    for (const bool firstWord : {true, false}) {
      const Answer& a = firstWord ? first : second;
      ASSERT_TRUE(a.ink.has_value());
      // the word's leftmost, rightmost, topmost and bottommost pixels
      std::pair<int, int> edge[4] = {a.pixels[0], a.pixels[0], a.pixels[0], a.pixels[0]};
      for (const auto& p : a.pixels) {
        if (p.first < edge[0].first) edge[0] = p;
        if (p.first > edge[1].first) edge[1] = p;
        if (p.second < edge[2].second) edge[2] = p;
        if (p.second > edge[3].second) edge[3] = p;
      }
      for (const auto& [x, y] : edge) {
        SCOPED_TRACE(std::string(c.name) + (firstWord ? ", first word" : ", second word") + " at (" +
                     std::to_string(x) + ", " + std::to_string(y) + ")");
        g.program.ScreenState = c.state;
        g.program.Game->Phase = game::Playing;
        g.program.HiScores[0].Score = 777;
        pair.Choice = !firstWord;
        g.form->FormMouseMove(x, y);
        g.Frame();
        EXPECT_EQ(pair.Choice, firstWord) << "hover";
        g.form->FormMouseDown();
        if (c.yesNo) {
          EXPECT_EQ(g.program.ScreenState, screen::kInGame);
          EXPECT_EQ(g.program.Game->Phase == game::GameOver, firstWord);
        } else {
          EXPECT_EQ(g.program.ScreenState, screen::kHiScores);
          EXPECT_EQ(g.program.HiScores[0].Score == 777, !firstWord);
        }
      }
    }
    g.form->FormMouseMove(5, 5);
  }
}

// While a score is sent the wait screen is drawn again and again: its sign on the answer bar moves on, and
// nothing else changes.
TEST(QuestionScreens, TheWaitScreensSignMovesOnTheAnswerBar) {
  RealScreens g;
  g.StartGame();
  g.program.ScreenState = screen::kWait;
  ASSERT_TRUE(g.Frame());
  const std::vector<Pixel> before = g.window.lastFrame;
  g.clock.tick += 125;
  ASSERT_TRUE(g.Frame());
  const std::vector<Pixel>& after = g.window.lastFrame;
  const Rect bar{kDialogX + 22, kDialogY + 136, kDialogX + 408, kDialogY + 184};
  int inside = 0, outside = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x);
      if (before[i] == after[i]) continue;
      (Inside(bar, x, y) ? inside : outside) += 1;
    }
  EXPECT_GT(inside, 100);
  EXPECT_EQ(outside, 0);
}

// Mean contrast of the yellow text that `drawn` adds to `bare` within the area, against what lies under its fully
// drawn pixels; 0 when there is none.
double TextContrast(const std::vector<Pixel>& drawn, const std::vector<Pixel>& bare, const Rect& area, Pixel colour) {
  double under = 0;
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x);
      if (drawn[i] != colour || bare[i] == colour) continue;
      under += Luminance(bare[i]);
      ++count;
    }
  return count < 20 ? 0.0 : Contrast(Luminance(colour), under / count);
}

double YellowContrast(const std::vector<Pixel>& drawn, const std::vector<Pixel>& bare, const Rect& area) {
  return TextContrast(drawn, bare, area, gfx::kYellow);
}

std::vector<Pixel> Pixels(const gfx::Surface& s) {
  std::vector<Pixel> out(static_cast<std::size_t>(kW) * kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) out[static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x)] = s.At(x, y);
  return out;
}

// The yellow texts of play stand in the sky over the creature: the level's caption, the game-over caption and
// its total, the pause, and the catch points all the way up their rise.
TEST(PlayTexts, YellowReadsOnWhatLiesBehind) {
  RealScreens g;
  g.program.HiScores.fill({"", 1'000'000});  // the lost game below does not enter the table
  g.clock.counter = test::QuietCounter();  // no flyer crosses the texts
  g.StartGame();
  // The rules' time and luck from the test's clock, for the moments and the quiet field above.
  game::GameHost host = g.form->GameHostFor();
  host.overrides = test::ClockTimeAndLuck(g);
  g.program.Game = std::make_unique<game::TGame>(host);
  g.program.Game->Score = 12340;
  const std::vector<Pixel> playfield = Pixels(g.Screen(22));
  const Rect band{200, 280, 600, 440};

  ASSERT_TRUE(g.Frame());
  SaveShot(g.window.lastFrame, "level_intro");
  EXPECT_GE(YellowContrast(g.window.lastFrame, playfield, band), 3.0) << "level caption";

  g.clock.tick += game::TGame::kPhaseMs + 1;
  g.Frame();
  ASSERT_EQ(g.program.Game->Phase, game::Playing);
  g.program.Game->Eye.Held = true;  // the creature keeps still
  g.Frame();
  const std::vector<Pixel> play = g.window.lastFrame;
  for (const std::int8_t points : {std::int8_t{5}, std::int8_t{50}}) {
    for (const int y : {400, 390, 375, 360, 351}) {
      SCOPED_TRACE("catch points " + std::to_string(points) + " at y " + std::to_string(y));
      gfx::Surface shown(kW, kH);
      for (int row = 0; row < kH; ++row)
        std::copy_n(play.data() + static_cast<std::size_t>(row) * kW, kW, shown.Row(row));
      game::TScoresUp up;
      up.Y = static_cast<std::uint16_t>(y);
      up.Value = points;
      up.DoFrame(&shown, g.form->Ui().font);
      EXPECT_GE(YellowContrast(Pixels(shown), play, band), 3.0);
    }
  }
  // A loss reads in red on the dark outline around it, which is what lies right behind its letters.
  for (const std::int8_t points : {std::int8_t{-40}, std::int8_t{-10}}) {
    for (const int y : {400, 375, 351}) {
      SCOPED_TRACE("catch points " + std::to_string(points) + " at y " + std::to_string(y));
      gfx::Surface shown(kW, kH), behind(kW, kH);
      for (int row = 0; row < kH; ++row) {
        std::copy_n(play.data() + static_cast<std::size_t>(row) * kW, kW, shown.Row(row));
        std::copy_n(play.data() + static_cast<std::size_t>(row) * kW, kW, behind.Row(row));
      }
      game::TScoresUp up;
      up.Y = static_cast<std::uint16_t>(y);
      up.Value = points;
      up.DoFrame(&shown, g.form->Ui().font);
      gfx::DrawTextOutline(g.form->Ui().font, 375, y, 32, 20, std::to_string(points), behind, gfx::kBlack);
      EXPECT_GE(TextContrast(Pixels(shown), Pixels(behind), band, gfx::kRed), 3.0);
      EXPECT_LT(TextContrast(Pixels(shown), play, band, gfx::kRed), 3.0) << "the sky alone would do: no outline needed";
    }
  }

  g.form->FormKeyDown(Letter('P'), false);
  ASSERT_EQ(g.program.ScreenState, screen::kPause);
  ASSERT_TRUE(g.Frame());
  SaveShot(g.window.lastFrame, "pause");
  EXPECT_GE(YellowContrast(g.window.lastFrame, play, band), 3.0) << "pause";

  g.form->FormKeyDown(Letter('P'), false);
  g.program.Game->Phase = game::GameOver;
  g.program.Game->PhaseStart = g.clock.tick;
  g.program.Game->Level = 7;
  ASSERT_TRUE(g.Frame());
  const std::vector<Pixel> over = g.window.lastFrame;
  SaveShot(over, "game_over");
  EXPECT_GE(YellowContrast(over, playfield, {band.left, band.top, band.right, 340}), 3.0) << "game over";
  EXPECT_GE(YellowContrast(over, playfield, {band.left, 340, band.right, band.bottom}), 3.0) << "total";
}

// Green texts on the darker grounds: the name being typed on the name entry's navy field, and the high-score
// table's rows, each read at 4.5:1 at least.
TEST(GreenTexts, TheTypedNameAndEveryTableRowRead) {
  RealScreens g;
  g.StartGame();
  g.program.ScreenState = screen::kNameEntry;
  ASSERT_TRUE(g.Frame());
  const std::vector<Pixel> empty = g.window.lastFrame;
  for (const char letter : {'D', 'F', 'Y', 'Q', 'W'}) g.form->FormKeyDown(Letter(letter), false);
  ASSERT_TRUE(g.Frame());
  SaveShot(g.window.lastFrame, "name_typed");
  EXPECT_GE(TextContrast(g.window.lastFrame, empty, g.program.Controls.NameEdit->Bounds, g.program.Controls.NameEdit->TextColour),
            4.5)
      << "typed name";

  // Names in every row, measured against the same rows without them.
  g.program.ScreenState = screen::kHiScores;
  for (auto& entry : g.program.HiScores) entry = {"\xC6\xD3\xCA\xCE\xC2\xDB\xC9", 1000};
  ASSERT_TRUE(g.Frame());
  const std::vector<Pixel> table = g.window.lastFrame;
  SaveShot(table, "table");
  for (auto& entry : g.program.HiScores) entry.Name.clear();
  ASSERT_TRUE(g.Frame());
  std::vector<Pixel> behind = g.window.lastFrame;
  {
    // The best row's name reads on its own outline.
    gfx::Surface s(kW, kH);
    for (int row = 0; row < kH; ++row) std::copy_n(behind.data() + static_cast<std::size_t>(row) * kW, kW, s.Row(row));
    gfx::DrawTextOutline(g.form->Ui().font, 126, 244, 24, 14, "\xC6\xD3\xCA\xCE\xC2\xDB\xC9", s, gfx::kBlack);
    behind = Pixels(s);
  }
  for (int r = 0; r < 10; ++r) {
    SCOPED_TRACE("row " + std::to_string(r + 1));
    const Rect row{120, 244 + 23 * r, 405, 244 + 23 * r + 23};
    EXPECT_GE(TextContrast(table, behind, row, HiScoreRowColour(r)), 4.5);
  }
}

// The table screen's warnings stand on its cream picture, beside the table: each reads at 4.5:1 at least and
// ends inside the screen.
TEST(TableNotices, EachWarningReadsOnThePictureBehindIt) {
  RealScreens g;
  g.program.ScreenState = screen::kHiScores;
  ASSERT_TRUE(g.Frame());
  const std::vector<Pixel> bare = g.window.lastFrame;
  const Rect area{500, 180, kW, 300};
  const std::pair<const char*, bool Program::*> notices[] = {{"saves fail", &Program::SavesFail},
                                                             {"no server for the records", &Program::NoOnlineRecordsAsked},
                                                             {"kept here only", &Program::ScoreKeptHereOnly}};
  for (const auto& [name, flag] : notices) {
    SCOPED_TRACE(name);
    g.program.*flag = true;
    ASSERT_TRUE(g.Frame());
    const std::vector<Pixel> drawn = g.window.lastFrame;
    g.program.*flag = false;
    SaveShot(drawn, std::string("table_notice_") + name);
    EXPECT_GE(TextContrast(drawn, bare, area, kTableWarningColour), 4.5);
    int right = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < kW; ++x)
        if (drawn[static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x)] == kTableWarningColour) right = x;
    EXPECT_LT(right, kW - 10) << "the notice runs off the screen";
  }
}

// Share of the rectangle's pixels, kept 2 px clear of its edges, where `painted` differs from `bare` (both given
// in screen coordinates through their top-left corners on the screen).
double Covered(const gfx::Surface& painted, int px, int py, const gfx::Surface& bare, int bx, int by, const Rect& r) {
  int differ = 0, all = 0;
  for (int y = r.top + 2; y < r.bottom - 2; ++y)
    for (int x = r.left + 2; x < r.right - 2; ++x) {
      ++all;
      differ += Near(painted.At(x - px, y - py), bare.At(x - bx, y - by), 24) ? 0 : 1;
    }
  return all ? static_cast<double>(differ) / all : 0.0;
}

// Pixels of the two-pixel ring on and just outside the rectangle's edge (where a click does not answer, the
// test being strict) that `painted` paints over `bare`, leaving out the pixels `skip` says.
template <typename Skip>
int PaintedOnEdge(const gfx::Surface& painted, int px, int py, const gfx::Surface& bare, int bx, int by, const Rect& r,
                  Skip skip) {
  int count = 0;
  for (int y = r.top - 1; y <= r.bottom + 1; ++y)
    for (int x = r.left - 1; x <= r.right + 1; ++x) {
      const bool ring = x <= r.left || x >= r.right || y <= r.top || y >= r.bottom;
      if (!ring || skip(x, y)) continue;
      count += Near(painted.At(x - px, y - py), bare.At(x - bx, y - by), 24) ? 0 : 1;
    }
  return count;
}

TEST(PaintedControls, MainMenuBoardsCoverTheirRectanglesAndEndThere) {
  RealScreens g;
  const gfx::Surface& menu = g.Screen(0);
  const gfx::Surface& landscape = g.Screen(22);  // the same sky and meadow without the signpost
  for (const ui::TDDButton& b : g.program.Controls.MainMenu->Buttons()) {
    const Rect& r = b.Bounds;
    SCOPED_TRACE("menu button " + Describe(r));
    EXPECT_GE(Covered(menu, 0, 0, landscape, 0, 0, r), 0.98);
    // beyond either end of the rectangle (4 px and more) lies the bare landscape
    int painted = 0, all = 0;
    for (int y = r.top + 4; y < r.bottom - 4; ++y)
      for (int x : {r.left - 12, r.left - 8, r.left - 5, r.right + 4, r.right + 8, r.right + 12}) {
        ++all;
        painted += Near(menu.At(x, y), landscape.At(x, y), 24) ? 0 : 1;
      }
    EXPECT_LE(painted, all / 20) << painted << " of " << all << " pixels beside the rectangle are painted";
    // the board's ink stays off the rectangle's edge, so a click anywhere on it answers; the signpost's post
    // shows between the boards, and the title's ribbon hangs down to the first one
    EXPECT_EQ(PaintedOnEdge(menu, 0, 0, landscape, 0, 0, r,
                            [](int x, int y) { return (x >= 203 && x <= 225) || y < 158; }),
              0);
  }
}

TEST(PaintedControls, EachMenuHighlightLightsExactlyItsBoard) {
  RealScreens g;
  const gfx::Surface& menu = g.Screen(0);
  ui::TDDBtnCollection& m = *g.program.Controls.MainMenu;
  for (int item = 0; item < m.Count; ++item) {
    const Rect& r = m.Buttons()[static_cast<std::size_t>(item)].Bounds;
    SCOPED_TRACE("menu item " + std::to_string(item));
    m.SetIndex(item, g.form->Ui());
    g.Frame();
    g.Frame();  // a change of item shows from the next frame on
    const std::vector<Pixel>& frame = g.window.lastFrame;
    SaveShot(frame, "menu_lit_" + std::to_string(item));
    int outside = 0, lit = 0, all = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const bool same = frame[static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x)] == menu.At(x, y);
        const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        if (!in) {
          outside += same ? 0 : 1;
        } else if (x >= r.left + 3 && x < r.right - 3 && y >= r.top + 3 && y < r.bottom - 3) {
          ++all;
          lit += same ? 0 : 1;
        }
      }
    EXPECT_EQ(outside, 0);
    EXPECT_GE(lit, all * 9 / 10) << "the lit face covers " << lit << " of " << all << " pixels of the board";
  }
}

TEST(PaintedControls, TheCountryTextHasRoomInItsBox) {
  RealScreens g;
  g.program.ScreenState = screen::kOptions;
  ui::TDDOptBtnCollection& o = *g.program.Controls.OptionButtons;
  o.ItemIndex = ui::TDDOptBtnCollection::kFieldItem;
  o.Edit.Text.clear();
  o.Edit.CharCount = 0;
  g.Frame();
  const std::vector<Pixel> empty = g.window.lastFrame;
  for (char letter : {'H', 'J', 'C', 'C', 'B', 'Z'}) o.Edit.AddKey(letter, g.form->Ui());  // РОССИЯ
  o.Edit.Editing = true;
  g.Frame();
  const std::vector<Pixel>& typed = g.window.lastFrame;
  SaveShot(typed, "options_country");
  const Rect& field = o.Edit.Bounds;
  int left = kW, top = kH, bottom = 0;
  for (int y = field.top; y < field.bottom; ++y)
    for (int x = field.left - 10; x < field.left + 60; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x);
      if (typed[i] == empty[i]) continue;
      left = std::min(left, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y + 1);
    }
  ASSERT_LT(left, kW) << "no text drawn";
  // The box's own pixels, from 4 px before the text up to it, are its plain white face, not its border.
  const gfx::Surface& panel = g.Screen(7);
  for (int y = top; y < bottom; y += 3)
    for (int x = left - 4; x < left; ++x)
      EXPECT_TRUE(Near(panel.At(x - 29, y - 156), gfx::Rgb(255, 255, 255), 16)) << "at (" << x << ", " << y << ")";
}

TEST(PaintedControls, PanelButtonsCoverTheirRectangles) {
  RealScreens g;
  const gfx::Surface& options = g.Screen(7);
  const gfx::Surface& scores = g.Screen(10);
  const gfx::Surface& help = g.Screen(13);
  constexpr int kX = 29, kY = 156;  // where the panels are drawn
  const ui::TDDOptBtnCollection& o = *g.program.Controls.OptionButtons;
  // The help panel has nothing where the options are, the options panel nothing where the other buttons are.
  for (const ui::TDDToggleButton& row : o.Rows) {
    for (const Rect& r : {row.OnBounds, row.OffBounds}) {
      SCOPED_TRACE("options choice " + Describe(r));
      EXPECT_GE(Covered(options, kX, kY, help, kX, kY, r), 0.95);
      EXPECT_EQ(PaintedOnEdge(options, kX, kY, help, kX, kY, r, [](int, int) { return false; }), 0);
    }
  }
  {
    SCOPED_TRACE("country field");
    EXPECT_GE(Covered(options, kX, kY, help, kX, kY, o.Edit.Bounds), 0.95);
  }
  for (const ui::TDDButton& b : g.program.Controls.HiScoreButtons->Buttons()) {
    if (b.Bounds == o.BackButton.Bounds) continue;
    SCOPED_TRACE("high-score button " + Describe(b.Bounds));
    EXPECT_GE(Covered(scores, kX, kY, options, kX, kY, b.Bounds), 0.95);
    EXPECT_EQ(PaintedOnEdge(scores, kX, kY, options, kX, kY, b.Bounds, [](int, int) { return false; }), 0);
  }
  for (const ui::TDDButton& b : g.program.Controls.HelpButtons->Buttons()) {
    if (b.Bounds == o.BackButton.Bounds) continue;
    SCOPED_TRACE("help button " + Describe(b.Bounds));
    EXPECT_GE(Covered(help, kX, kY, options, kX, kY, b.Bounds), 0.95);
    EXPECT_EQ(PaintedOnEdge(help, kX, kY, options, kX, kY, b.Bounds, [](int, int) { return false; }), 0);
  }
  // The back button sits on the frame's corner, whose rim and face run straight down: the rows just above
  // the button show the panel without it.
  const Rect back = o.BackButton.Bounds;
  int differ = 0, all = 0;
  for (int y = back.top + 2; y < back.bottom - 2; ++y)
    for (int x = back.left + 2; x < back.right - 2; ++x) {
      ++all;
      differ += Near(options.At(x - kX, y - kY), options.At(x - kX, back.top - 10 - kY), 24) ? 0 : 1;
    }
  EXPECT_GE(static_cast<double>(differ) / all, 0.95) << "back button " << Describe(back);
}

// The tongue's pixels across the aim at `along` pixels from the mouth: the middle and the width of the run of
// tongue-coloured pixels (red, as the line, the root and the tip's rim are).
struct Section {
  double middle = 0;
  double width = -1;
};

Section Across(const gfx::Surface& s, double angle, double along) {
  const double dx = std::cos(-angle), dy = std::sin(-angle);  // the aim on screen
  const double cx = 394 + dx * along, cy = 480 + dy * along;
  double low = 99, high = -99;
  for (double t = -9; t <= 9; t += 0.25) {
    const Pixel p = s.At(static_cast<int>(std::lround(cx - dy * t)), static_cast<int>(std::lround(cy + dx * t)));
    const int r = static_cast<int>(p >> 16 & 0xFF), g = static_cast<int>(p >> 8 & 0xFF), b = static_cast<int>(p & 0xFF);
    if (r >= 190 && g >= 50 && g <= 140 && b >= 50 && b <= 150) {
      low = std::min(low, t);
      high = std::max(high, t);
    }
  }
  return high < low ? Section{} : Section{(low + high) / 2, high - low};
}

TEST(Tongue, RootAndLineMeetWithoutAStepAtEveryAim) {
  test::GameDriver d(fs::path(GW_GAME_DIR) / "Data" / "Data.pp");
  d.StartQuietPlay();
  game::TGame& game = d.Game();
  const gfx::Surface& playfield = *d.g.program.Images.Screen(22);
  for (const float angle : {0.45f, test::kStraightUp, 2.7f}) {
    SCOPED_TRACE("aim " + std::to_string(angle));
    game.Eye.Angle = angle;
    game.Fire();
    game.Up.TongueLength = 150;
    d.screen.BltFast(0, 0, playfield, nullptr, gfx::kBltFastWait);
    d.Frame();
    SaveShot(std::vector<Pixel>(d.screen.Data(), d.screen.Data() + kW * kH),
             "tongue_" + std::to_string(static_cast<int>(std::lround(angle * 100))));
    // the root ends 70 px from the mouth, where the line goes on
    // the root ends 70 px from the mouth, where the line goes on: compare their sections on either side
    Section root{0, 0};
    for (const double at : {56.0, 60.0, 62.0, 64.0, 66.0}) {
      const Section s = Across(d.screen, angle, at);
      ASSERT_GT(s.width, 0) << at;
      root.middle += s.middle / 5;
      root.width += s.width / 5;
    }
    const Section line = Across(d.screen, angle, 80.0);
    ASSERT_GT(line.width, 0);
    EXPECT_LE(std::abs(root.width - line.width), 1.0) << "root " << root.width << " wide, line " << line.width;
    EXPECT_LE(std::abs(root.middle - line.middle), 1.0) << "root at " << root.middle << ", line at " << line.middle;
    game.Up.TongueOut = false;
    game.Eye.Held = false;
  }
}

}  // namespace
}  // namespace gw::app
