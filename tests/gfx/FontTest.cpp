// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/Font.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "gfx/Cp1251.h"

namespace gw::gfx {
namespace {

constexpr const char* kBoldFace = "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf";
constexpr const char* kRegularFace = "/usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf";

constexpr Pixel kBackground = Rgb(10, 20, 30);
constexpr Pixel kYellow = Rgb(243, 243, 0);

Surface Filled(int w, int h, Pixel p) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y) std::fill_n(s.Row(y), w, p);
  return s;
}

bool SamePixels(const Surface& a, const Surface& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Data(), a.Data() + static_cast<std::ptrdiff_t>(a.Width()) * a.Height(), b.Data());
}

// The box around every pixel that differs from the background; right and bottom exclusive.
struct Ink {
  int left = 0, top = 0, right = 0, bottom = 0, count = 0;
  bool exactColour = false;
};

Ink InkOf(const Surface& s, Pixel background, Pixel colour) {
  Ink ink{s.Width(), s.Height(), 0, 0, 0, false};
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      const Pixel p = s.At(x, y);
      if (p == background) continue;
      ink.left = std::min(ink.left, x);
      ink.top = std::min(ink.top, y);
      ink.right = std::max(ink.right, x + 1);
      ink.bottom = std::max(ink.bottom, y + 1);
      ++ink.count;
      ink.exactColour = ink.exactColour || p == colour;
    }
  }
  return ink;
}

class FontTest : public testing::Test {
 protected:
  std::unique_ptr<GameFont> font_ = GameFont::LoadFile(kBoldFace);
};

TEST_F(FontTest, LoadFileRefusesWhatIsNotAFont) {
  EXPECT_THROW(GameFont::LoadFile("/nonexistent/font.ttf"), FontError);
  EXPECT_THROW(GameFont::LoadFile(GW_SOURCE_DIR "/CMakeLists.txt"), FontError);
}

TEST_F(FontTest, LoadFindsTheGameFaceOrTheBoldStandIn) {
  const auto font = GameFont::Load();
  if (!font->Substituted()) {
    // A machine that has the real face.
    EXPECT_EQ(font->FamilyName(), GameFont::kWantedFamily);
    return;
  }
  EXPECT_EQ(font->FamilyName(), "Comfortaa");
  // It is the bold file, not another Comfortaa weight: it draws exactly what that file draws.
  const std::string text = ToCp1251("Введите Ваше имя");
  Surface viaLoad = Filled(400, 60, kBackground);
  Surface viaFile = Filled(400, 60, kBackground);
  font->Draw(viaLoad, 5, 5, 24, 16, 400, text, kYellow);
  font_->Draw(viaFile, 5, 5, 24, 16, 400, text, kYellow);
  EXPECT_TRUE(SamePixels(viaLoad, viaFile));
}

// Points fontconfig at a configuration of our own for the lifetime of the object.
class FontconfigFile {
 public:
  explicit FontconfigFile(const std::string& fontDir) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("gw_fontconfig_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    path_ = dir / "fonts.conf";
    std::ofstream(path_) << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << fontDir << "</dir><cachedir>"
                         << (dir / "cache").string() << "</cachedir></fontconfig>\n";
    if (const char* old = std::getenv("FONTCONFIG_FILE")) old_ = old;
    ::setenv("FONTCONFIG_FILE", path_.c_str(), 1);
  }
  ~FontconfigFile() {
    if (old_) {
      ::setenv("FONTCONFIG_FILE", old_->c_str(), 1);
    } else {
      ::unsetenv("FONTCONFIG_FILE");
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_.parent_path(), ignored);
  }
  FontconfigFile(const FontconfigFile&) = delete;
  FontconfigFile& operator=(const FontconfigFile&) = delete;

 private:
  std::filesystem::path path_;
  std::optional<std::string> old_;
};

TEST_F(FontTest, LoadWithoutEitherFaceNamesBothAndThePackage) {
  const FontconfigFile onlyDejaVu("/usr/share/fonts/truetype/dejavu");
  try {
    GameFont::Load();
    FAIL() << "a DejaVu face was accepted";
  } catch (const FontError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("DS SonOf"), std::string::npos) << message;
    EXPECT_NE(message.find("Comfortaa"), std::string::npos) << message;
    EXPECT_NE(message.find("fonts-comfortaa"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
}

TEST_F(FontTest, EmptyTextDrawsNothing) {
  Surface s = Filled(100, 50, kBackground);
  s.Set(3, 4, kYellow);
  const Surface before = s;
  font_->Draw(s, 10, 10, 24, 16, 400, "", kYellow);
  EXPECT_TRUE(SamePixels(s, before));
  EXPECT_EQ(font_->TextWidth(24, 16, 400, ""), 0);
}

TEST_F(FontTest, TextStaysInsideItsCell) {
  struct Case {
    int height, width, weight;
    const char* text;
  };
  const Case cases[] = {
      {24, 16, 400, "Ваш результат: 120"},
      {32, 20, 400, "Да"},
      {32, 20, 700, "ЙЦУКЕН ЁЩЪ"},
      {48, 30, 400, "ПРЕДСТАВЛЯЕТ"},
      {12, 8, 400, "Пауза"},
  };
  constexpr int kSlack = 3;
  constexpr int x = 40;
  constexpr int y = 30;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " h " << c.height << " w " << c.width << " weight " << c.weight);
    const std::string text = ToCp1251(c.text);
    Surface s = Filled(700, 120, kBackground);
    font_->Draw(s, x, y, c.height, c.width, c.weight, text, kYellow);
    const int advance = font_->TextWidth(c.height, c.width, c.weight, text);
    const Ink ink = InkOf(s, kBackground, kYellow);
    ASSERT_GT(ink.count, 0);
    EXPECT_TRUE(ink.exactColour);
    EXPECT_GE(ink.left, x);
    EXPECT_GE(ink.top, y);
    EXPECT_LE(ink.right, x + advance + kSlack);
    EXPECT_LE(ink.bottom, y + c.height);
    // The ink fills most of the advance: the two measures agree.
    EXPECT_GE(ink.right, x + advance - c.width);
  }
}

TEST_F(FontTest, CyrillicBytesDrawCyrillicLetters) {
  // In this face these Cyrillic capitals share their outlines with the Latin ones; read as Latin-1
  // the same bytes would be accented letters.
  const std::string cyrillic = ToCp1251("АВЕМНОРСТХао");
  ASSERT_EQ(cyrillic.size(), 12u);
  Surface a = Filled(600, 60, kBackground);
  Surface b = Filled(600, 60, kBackground);
  font_->Draw(a, 4, 4, 32, 20, 400, cyrillic, kYellow);
  font_->Draw(b, 4, 4, 32, 20, 400, "ABEMHOPCTXao", kYellow);
  EXPECT_TRUE(SamePixels(a, b));
}

TEST_F(FontTest, DrawingPastTheEdgesKeepsExactlyTheVisiblePart) {
  // The same text drawn into a roomy surface, offset by a margin, shows what the small surface must hold.
  constexpr int kW = 60;
  constexpr int kH = 40;
  constexpr int kMargin = 100;
  const std::string text = ToCp1251("Ваш результат");
  struct Pos {
    int x, y;
  };
  const Pos positions[] = {{-25, 5}, {kW - 20, 10}, {10, kH - 12}, {-30, -10}, {kW - 5, kH - 5},
                           {-500, 0}, {kW + 3, 0}, {0, kH + 3}, {0, -60}};
  for (const auto& p : positions) {
    SCOPED_TRACE(testing::Message() << "at " << p.x << ", " << p.y);
    Surface small = Filled(kW, kH, kBackground);
    Surface big = Filled(kW + 2 * kMargin, kH + 2 * kMargin, kBackground);
    font_->Draw(small, p.x, p.y, 24, 16, 400, text, kYellow);
    font_->Draw(big, p.x + kMargin, p.y + kMargin, 24, 16, 400, text, kYellow);
    int differing = 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) differing += small.At(x, y) != big.At(x + kMargin, y + kMargin);
    }
    EXPECT_EQ(differing, 0);
  }
}

TEST_F(FontTest, CoverageBlendsTowardsTheColour) {
  // One channel runs between 0 and 255, so it reads out each pixel's coverage; the other channels,
  // some brightening and some darkening, must follow the same blend exactly.
  struct Case {
    Pixel under, colour;
    int probeShift;  // the channel that runs 0 <-> 255
  };
  const Case cases[] = {
      {Rgb(0, 200, 10), Rgb(255, 0, 128), 16},
      {Rgb(90, 255, 250), Rgb(30, 0, 251), 8},
      {Rgb(1, 77, 0), Rgb(254, 76, 255), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.under << " -> " << c.colour);
    Surface s = Filled(300, 60, c.under);
    font_->Draw(s, 5, 5, 32, 20, 400, ToCp1251("Ошибка"), c.colour);
    const bool rising = ((c.colour >> c.probeShift) & 0xFF) == 255;
    int partial = 0;
    for (int y = 0; y < s.Height(); ++y) {
      for (int x = 0; x < s.Width(); ++x) {
        const Pixel p = s.At(x, y);
        const int probe = static_cast<int>((p >> c.probeShift) & 0xFF);
        const int a = rising ? probe : 255 - probe;
        partial += a > 0 && a < 255;
        for (const int shift : {16, 8, 0}) {
          const int d = static_cast<int>((c.under >> shift) & 0xFF);
          const int k = static_cast<int>((c.colour >> shift) & 0xFF);
          ASSERT_EQ(static_cast<int>((p >> shift) & 0xFF), d + (k - d) * a / 255)
              << "at " << x << ", " << y << " channel " << shift;
        }
        ASSERT_EQ(p >> 24, 0u);
      }
    }
    EXPECT_GT(partial, 20);  // anti-aliased edges, not a hard mask
  }
}

// The inked rows of a single drawn letter, with the cell's top at y 20.
Ink LetterInk(GameFont& font, int height, int width, int weight, const char* utf8) {
  Surface s = Filled(400, 200, kBackground);
  font.Draw(s, 20, 20, height, width, weight, ToCp1251(utf8), kYellow);
  return InkOf(s, kBackground, kYellow);
}

TEST_F(FontTest, HeightSetsTheCellAndWidthTheAverageCharacter) {
  const Ink sha48 = LetterInk(*font_, 48, 30, 400, "Ш");
  EXPECT_GE(sha48.top, 20);
  EXPECT_LE(sha48.bottom, 20 + 48);
  // This face's cell is 1285 + 276 units with capitals 781 tall: the baseline falls 40 pixels
  // below the top at h 48 and a capital stands 24 pixels tall on it.
  EXPECT_EQ(sha48.bottom, 20 + 40);
  EXPECT_NEAR(sha48.bottom - sha48.top, 24, 1);

  // Twice the width: twice as wide, just as tall.
  const std::string name = ToCp1251("Ваня");
  const int w16 = font_->TextWidth(24, 16, 400, name);
  const int w32 = font_->TextWidth(24, 32, 400, name);
  EXPECT_NEAR(w32, 2 * w16, 4);
  const Ink narrow = LetterInk(*font_, 48, 16, 400, "Ш");
  const Ink wide = LetterInk(*font_, 48, 32, 400, "Ш");
  EXPECT_EQ(narrow.top, wide.top);
  EXPECT_EQ(narrow.bottom, wide.bottom);
  EXPECT_NEAR(wide.right - wide.left, 2 * (narrow.right - narrow.left), 3);

  // Height alone does not change widths.
  EXPECT_NEAR(font_->TextWidth(48, 16, 400, name), w16, 4);
  // The width of the average character is the requested width, give or take the face's mix of letters.
  const int lower = font_->TextWidth(24, 16, 400, ToCp1251("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"));
  EXPECT_NEAR(lower / 33.0, 16.0, 16.0 / 3);
}

TEST_F(FontTest, BoldIsNeverNarrower) {
  for (const char* text : {"Да", "ВАНЯ", "Ваш результат: 120"}) {
    const std::string s = ToCp1251(text);
    EXPECT_GE(font_->TextWidth(32, 20, 700, s), font_->TextWidth(32, 20, 400, s)) << text;
  }
}

TEST(FontRegularFaceTest, BoldThickensAFaceThatIsNotBold) {
  const auto regular = GameFont::LoadFile(kRegularFace);
  const std::string text = ToCp1251("ВАНЯ");
  EXPECT_GT(regular->TextWidth(32, 20, 700, text), regular->TextWidth(32, 20, 400, text));
  const Ink normal = LetterInk(*regular, 32, 20, 400, "Ш");
  const Ink bold = LetterInk(*regular, 32, 20, 700, "Ш");
  EXPECT_GT(bold.count, normal.count + normal.count / 10);
  EXPECT_GE(bold.top, 20);
  EXPECT_LE(bold.bottom, 20 + 32);
  EXPECT_LE(bold.right, 20 + regular->TextWidth(32, 20, 700, ToCp1251("Ш")) + 3);
}

TEST(FontStandInTest, BoldTextIsBolderThanNormalTextWhichIsTheBoldFaceAsItIs) {
  const auto font = GameFont::Load();
  if (!font->Substituted()) GTEST_SKIP() << "the game's own face is installed";
  // The name field's text against the other texts: visibly heavier, and the same letters still fit.
  const Ink normal = LetterInk(*font, 32, 20, 400, "Ш");
  const Ink bold = LetterInk(*font, 32, 20, 700, "Ш");
  EXPECT_GT(bold.count, normal.count + normal.count / 10);
  EXPECT_LE(bold.bottom, 20 + 32);
  const std::string name = ToCp1251("ЙЦУКЕНГШЩЗ");
  EXPECT_GT(font->TextWidth(32, 20, 700, name), font->TextWidth(32, 20, 400, name));
  EXPECT_LT(font->TextWidth(32, 20, 700, name), 328 - 5);  // the name field's width
  const auto boldFile = GameFont::LoadFile(kBoldFace);
  const Ink asFile = LetterInk(*boldFile, 32, 20, 400, "Ш");
  EXPECT_EQ(normal.count, asFile.count);
}

TEST_F(FontTest, CachedGlyphsDrawWhatFreshOnesDraw) {
  const std::string text = ToCp1251("Ваш результат: 120");
  Surface fresh = Filled(400, 60, kBackground);
  GameFont::LoadFile(kBoldFace)->Draw(fresh, 3, 3, 24, 16, 400, text, kYellow);

  Surface again = Filled(400, 60, kBackground);
  font_->Draw(again, 3, 3, 24, 16, 400, text, kYellow);
  again = Filled(400, 60, kBackground);
  font_->Draw(again, 3, 3, 24, 16, 400, text, kYellow);
  EXPECT_TRUE(SamePixels(fresh, again));

  // Enough sizes of the whole code page to push the cache past its bound, then the text once more.
  std::string everything;
  for (int b = 1; b < 256; ++b) everything.push_back(static_cast<char>(b));
  for (int h = 6; h < 26; ++h) font_->TextWidth(h, h / 2, 400, everything);
  again = Filled(400, 60, kBackground);
  font_->Draw(again, 3, 3, 24, 16, 400, text, kYellow);
  EXPECT_TRUE(SamePixels(fresh, again));
}

}  // namespace
}  // namespace gw::gfx
