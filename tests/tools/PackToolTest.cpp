// SPDX-License-Identifier: GPL-3.0-or-later
// The picture pack: the tool that builds it, and the pack the build made for the game.

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kKey = 0xFF00CC;

std::vector<std::uint8_t> ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// The records of a pack file, each the bytes of one BMP file; empty with a failure when the
// lengths do not add up to the file.
std::vector<std::vector<std::uint8_t>> SplitPack(const std::vector<std::uint8_t>& pack) {
  std::vector<std::vector<std::uint8_t>> records;
  std::size_t at = 0;
  while (at + 4 <= pack.size()) {
    const auto length = static_cast<std::int32_t>(U32(pack, at));
    at += 4;
    if (length <= 0 || at + static_cast<std::size_t>(length) > pack.size()) {
      ADD_FAILURE() << "record " << records.size() << " runs past the end of the pack";
      return {};
    }
    records.emplace_back(pack.begin() + static_cast<std::ptrdiff_t>(at),
                         pack.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(length)));
    at += static_cast<std::size_t>(length);
  }
  EXPECT_EQ(at, pack.size()) << "trailing bytes after the last record";
  return records;
}

// A 24-bit bottom-up BMP as the pack tool writes it, checked field by field.
struct Bmp {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bytes;

  std::size_t RowSize() const { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }
  std::size_t Offset(int x, int y) const {
    return 54 + static_cast<std::size_t>(height - 1 - y) * RowSize() + static_cast<std::size_t>(x) * 3;
  }
  std::uint32_t At(int x, int y) const {
    const std::size_t o = Offset(x, y);
    return (static_cast<std::uint32_t>(bytes[o + 2]) << 16) | (bytes[o + 1] << 8) | bytes[o];
  }
};

Bmp ParseBmp(const std::vector<std::uint8_t>& b, int index) {
  SCOPED_TRACE("record " + std::to_string(index));
  Bmp bmp;
  if (b.size() < 54) {
    ADD_FAILURE() << "too short for the BMP headers";
    return bmp;
  }
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), b.size());     // file size
  EXPECT_EQ(U32(b, 10), 54u);         // pixel data offset
  EXPECT_EQ(U32(b, 14), 40u);         // BITMAPINFOHEADER
  EXPECT_EQ(U16(b, 26), 1);           // planes
  EXPECT_EQ(U16(b, 28), 24);          // bits per pixel
  EXPECT_EQ(U32(b, 30), 0u);          // uncompressed
  bmp.width = static_cast<std::int32_t>(U32(b, 18));
  bmp.height = static_cast<std::int32_t>(U32(b, 22));  // positive: bottom-up rows
  bmp.bytes = b;
  EXPECT_GT(bmp.width, 0);
  EXPECT_GT(bmp.height, 0);
  EXPECT_EQ(b.size(), 54 + bmp.RowSize() * static_cast<std::size_t>(std::max(bmp.height, 0)));
  return bmp;
}

// Relative luminance of a 0x00RRGGBB colour, 0 for black to 1 for white.
double Luminance(std::uint32_t c) {
  const auto linear = [](std::uint32_t channel) {
    const double v = channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c >> 16 & 0xFF) + 0.7152 * linear(c >> 8 & 0xFF) + 0.0722 * linear(c & 0xFF);
}

struct ToolRun {
  int exitCode = -1;
  std::string output;
};

ToolRun RunTool(const fs::path& manifest, const fs::path& pictures, const fs::path& output) {
  const fs::path tool = fs::path(GW_GAME_DIR).parent_path() / "tools" / "pack" / "gw_packtool";
  const std::string command =
      "'" + tool.string() + "' '" + manifest.string() + "' '" + pictures.string() + "' '" + output.string() + "' 2>&1";
  ToolRun run;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return run;
  std::array<char, 512> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe.get())) run.output += chunk.data();
  const int status = pclose(pipe.release());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// ---------------------------------------------------------------------------------------------
// The tool, on small hand-made drawings.

class PackToolRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');  // parameterised names hold a slash
    dir_ = fs::temp_directory_path() / ("gw_packtool_test_" + std::to_string(getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "pics");
    // 6x4 blue field
    Write("pics/field.svg",
          R"(<svg xmlns="http://www.w3.org/2000/svg" width="6" height="4" viewBox="0 0 6 4">)"
          R"(<rect width="6" height="4" fill="#0000FF"/></svg>)");
    // a two-frame strip: a red frame, then a green one
    Write("pics/strip.svg",
          R"(<svg xmlns="http://www.w3.org/2000/svg" width="4" height="2" viewBox="0 0 4 2">)"
          R"(<rect width="2" height="2" fill="#FF0000"/><rect x="2" width="2" height="2" fill="#00FF00"/></svg>)");
    // transparent, the key colour itself, white
    Write("pics/dot.svg",
          R"(<svg xmlns="http://www.w3.org/2000/svg" width="3" height="1" viewBox="0 0 3 1">)"
          R"(<rect x="1" width="1" height="1" fill="#FF00CC"/><rect x="2" width="1" height="1" fill="#FFFFFF"/></svg>)");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }

  // A manifest with the given head and the remaining records (up to 45) filled with the dot.
  void WriteManifest(const std::string& head, int firstFiller) {
    std::ostringstream m;
    m << head;
    for (int i = firstFiller; i < 46; ++i) m << "record " << i << " keyed dot.svg\n";
    Write("pack.txt", m.str());
  }

  ToolRun Run() { return RunTool(dir_ / "pack.txt", dir_ / "pics", Output()); }
  fs::path Output() const { return dir_ / "Data.pp"; }

  fs::path dir_;
};

const char* const kGoodHead =
    "# a scene with a cropped layer\n"
    "scene s 6 4\n"
    "  layer field.svg 0 0\n"
    "  layer strip.svg 3 1 2 0 2 2   # only the green frame\n"
    "end\n"
    "record 0 opaque s 2 0 4 4\n"
    "record 1 keyed dot.svg\n";

TEST_F(PackToolRun, ComposesCropsAndKeysIntoExactBmpBytes) {
  WriteManifest(kGoodHead, 2);
  const ToolRun run = Run();
  ASSERT_EQ(run.exitCode, 0) << run.output;

  const auto records = SplitPack(ReadFile(Output()));
  ASSERT_EQ(records.size(), 46u);

  const Bmp scene = ParseBmp(records[0], 0);
  ASSERT_EQ(scene.width, 4);
  ASSERT_EQ(scene.height, 4);
  // crop column 0 is scene column 2: blue, the red frame never reached it
  EXPECT_EQ(scene.At(0, 1), 0x0000FFu);
  // the green frame sits at scene (3..4, 1..2), crop (1..2, 1..2)
  EXPECT_EQ(scene.At(1, 1), 0x00FF00u);
  EXPECT_EQ(scene.At(2, 2), 0x00FF00u);
  EXPECT_EQ(scene.At(3, 3), 0x0000FFu);
  // BMP rows run bottom-up: the file's first pixel is the crop's bottom-left one, stored B, G, R
  EXPECT_EQ(scene.bytes[54], 0xFF);
  EXPECT_EQ(scene.bytes[55], 0x00);
  EXPECT_EQ(scene.bytes[56], 0x00);

  const Bmp dot = ParseBmp(records[1], 1);
  ASSERT_EQ(dot.width, 3);
  ASSERT_EQ(dot.height, 1);
  const std::vector<std::uint8_t> row(dot.bytes.begin() + 54, dot.bytes.end());
  // transparent -> key; a drawn pixel equal to the key is nudged off it; then padding to 12 bytes
  const std::vector<std::uint8_t> expected{0xCC, 0x00, 0xFF, 0xCB, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0};
  EXPECT_EQ(row, expected);
}

TEST_F(PackToolRun, BlackModeMakesTransparentBlackAndKeepsDrawnBlackVisible) {
  Write("pics/ink.svg",
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="2" height="1" viewBox="0 0 2 1">)"
        R"(<rect x="1" width="1" height="1" fill="#000000"/></svg>)");
  WriteManifest("record 0 black ink.svg\n", 1);
  ASSERT_EQ(Run().exitCode, 0);
  const auto records = SplitPack(ReadFile(Output()));
  ASSERT_EQ(records.size(), 46u);
  const Bmp ink = ParseBmp(records[0], 0);
  EXPECT_EQ(ink.At(0, 0), 0x000000u);
  EXPECT_EQ(ink.At(1, 0), 0x010101u);
}

struct BrokenCase {
  const char* name;
  const char* head;  // records 0 and 1, or a fault in their place
  const char* says;  // part of the error message
};

// What ctest shows for a case: its name, not its bytes.
void PrintTo(const BrokenCase& c, std::ostream* out) { *out << c.name; }

class PackToolBroken : public PackToolRun, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(PackToolBroken, FailsLoudlyAndLeavesNoPack) {
  const BrokenCase& c = GetParam();
  if (std::string(c.name) == "not_an_svg") Write("pics/bad.svg", "<svg width='3' height=");
  if (std::string(c.name) == "fractional_canvas")
    Write("pics/half.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="2.5" height="2"/>)");
  WriteManifest(c.head, 2);
  // a pack left from an earlier run must not survive a failed one, or it would pass for current
  std::ofstream(Output()) << "stale";

  const ToolRun run = Run();
  EXPECT_NE(run.exitCode, 0);
  EXPECT_FALSE(fs::exists(Output()));
  EXPECT_FALSE(fs::exists(dir_ / "Data.pp.part"));
  EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    PackTool, PackToolBroken,
    ::testing::Values(
        BrokenCase{"unknown_file", "record 0 keyed missing.svg\nrecord 1 keyed dot.svg\n", "pack.txt:1"},
        BrokenCase{"duplicate_index", "record 0 keyed dot.svg\nrecord 1 keyed dot.svg\nrecord 1 keyed dot.svg\n",
                   "pack.txt:3: record 1 is already given"},
        BrokenCase{"missing_index", "record 0 keyed dot.svg\n", "no record for index 1"},
        BrokenCase{"unknown_scene", "record 0 opaque nowhere\nrecord 1 keyed dot.svg\n", "unknown scene 'nowhere'"},
        BrokenCase{"crop_outside_scene",
                   "scene s 6 4\n layer field.svg 0 0\nend\nrecord 0 opaque s 3 0 4 4\nrecord 1 keyed dot.svg\n",
                   "pack.txt:4"},
        BrokenCase{"layer_crop_outside_drawing",
                   "scene s 6 4\n layer strip.svg 0 0 2 0 4 2\nend\nrecord 0 opaque s\nrecord 1 keyed dot.svg\n",
                   "pack.txt:2"},
        BrokenCase{"not_an_svg", "record 0 keyed bad.svg\nrecord 1 keyed dot.svg\n", "bad.svg"},
        BrokenCase{"fractional_canvas", "record 0 keyed half.svg\nrecord 1 keyed dot.svg\n", "whole-pixel"},
        BrokenCase{"unknown_mode", "record 0 shiny dot.svg\nrecord 1 keyed dot.svg\n", "unknown mode"}),
    [](const auto& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------------------------
// The pack the build made for the game.

struct Slot {
  int width;
  int height;
  enum Kind { Opaque, Keyed, Black } kind;
};

// Record sizes: where the game draws each picture fixes its size.
constexpr std::array<Slot, 46> kSlots{{
    {110, 85, Slot::Keyed},  {110, 85, Slot::Keyed},  {8, 8, Slot::Keyed},     {184, 70, Slot::Keyed},
    {164, 71, Slot::Keyed},  {148, 63, Slot::Keyed},  {70, 55, Slot::Keyed},   {128, 74, Slot::Keyed},
    {80, 40, Slot::Keyed},   {60, 45, Slot::Keyed},   {124, 79, Slot::Keyed},  {146, 92, Slot::Keyed},
    {10, 70, Slot::Black},   {24, 22, Slot::Black},   {60, 30, Slot::Opaque},  {60, 30, Slot::Opaque},
    {8, 8, Slot::Keyed},     {800, 600, Slot::Opaque}, {391, 39, Slot::Opaque}, {223, 37, Slot::Opaque},
    {271, 35, Slot::Opaque}, {261, 36, Slot::Opaque}, {431, 32, Slot::Opaque}, {221, 34, Slot::Opaque},
    {742, 444, Slot::Opaque}, {60, 22, Slot::Opaque}, {149, 28, Slot::Opaque}, {742, 444, Slot::Opaque},
    {323, 24, Slot::Opaque}, {506, 24, Slot::Opaque}, {742, 444, Slot::Opaque}, {129, 28, Slot::Opaque},
    {218, 30, Slot::Opaque}, {192, 30, Slot::Opaque}, {212, 28, Slot::Opaque}, {75, 22, Slot::Opaque},
    {430, 200, Slot::Opaque}, {172, 125, Slot::Opaque}, {172, 125, Slot::Opaque}, {800, 600, Slot::Opaque},
    {572, 27, Slot::Opaque}, {742, 283, Slot::Opaque}, {742, 283, Slot::Opaque}, {742, 283, Slot::Opaque},
    {742, 283, Slot::Opaque}, {742, 283, Slot::Opaque},
}};

class PackToolPictures : public ::testing::Test {
 protected:
  // The pack is read once for the whole suite.
  static void SetUpTestSuite() {
    const auto records = SplitPack(ReadFile(fs::path(GW_GAME_DIR) / "Data" / "Data.pp"));
    for (std::size_t i = 0; i < records.size(); ++i) pictures_.push_back(ParseBmp(records[i], static_cast<int>(i)));
  }
  static void TearDownTestSuite() { pictures_.clear(); }
  static const Bmp& Record(int i) { return pictures_[static_cast<std::size_t>(i)]; }

  // True when picture `hi`, drawn at (x, y) over picture `base`, matches it along its whole border:
  // a highlight cut off by its own edge would show a seam on screen.
  static ::testing::AssertionResult BorderMatches(int hi, int base, int x, int y) {
    const Bmp& h = Record(hi);
    const Bmp& b = Record(base);
    int mismatches = 0;
    for (int py = 0; py < h.height; ++py)
      for (int px = 0; px < h.width; ++px) {
        const bool border = px == 0 || py == 0 || px == h.width - 1 || py == h.height - 1;
        if (border && h.At(px, py) != b.At(x + px, y + py)) ++mismatches;
      }
    if (mismatches == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "record " << hi << " differs from record " << base << " at "
                                         << mismatches << " border pixels";
  }

  static ::testing::AssertionResult SameArea(int a, int ax, int ay, int b, int bx, int by, int w, int h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (Record(a).At(ax + x, ay + y) != Record(b).At(bx + x, by + y))
          return ::testing::AssertionFailure() << "records " << a << " and " << b << " differ at offset (" << x
                                               << ", " << y << ")";
    return ::testing::AssertionSuccess();
  }

  static inline std::vector<Bmp> pictures_;
};

TEST_F(PackToolPictures, HoldsEveryRecordAtItsSizeAndTheGamesDecoderReadsIt) {
  ASSERT_EQ(pictures_.size(), kSlots.size());
  for (int i = 0; i < 46; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    EXPECT_EQ(Record(i).width, kSlots[static_cast<std::size_t>(i)].width);
    EXPECT_EQ(Record(i).height, kSlots[static_cast<std::size_t>(i)].height);
    const auto& bytes = Record(i).bytes;
    SDL_Surface* decoded = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    ASSERT_NE(decoded, nullptr) << SDL_GetError();
    EXPECT_EQ(decoded->w, Record(i).width);
    EXPECT_EQ(decoded->h, Record(i).height);
    SDL_FreeSurface(decoded);
  }
}

TEST_F(PackToolPictures, KeyedSpritesHaveTheKeyAndNoPinkFringe) {
  ASSERT_EQ(pictures_.size(), kSlots.size());
  for (int i = 0; i < 46; ++i) {
    if (kSlots[static_cast<std::size_t>(i)].kind != Slot::Keyed) continue;
    SCOPED_TRACE("record " + std::to_string(i));
    const Bmp& bmp = Record(i);
    int keyed = 0;
    int fringe = 0;
    for (int y = 0; y < bmp.height; ++y)
      for (int x = 0; x < bmp.width; ++x) {
        const std::uint32_t c = bmp.At(x, y);
        if (c == kKey) {
          ++keyed;
          continue;
        }
        const int dr = static_cast<int>(c >> 16) - 0xFF;
        const int dg = static_cast<int>((c >> 8) & 0xFF);
        const int db = static_cast<int>(c & 0xFF) - 0xCC;
        if (dr * dr + dg * dg + db * db <= 48 * 48) ++fringe;
      }
    EXPECT_GT(keyed, 0);
    EXPECT_EQ(fringe, 0) << "pixels blended toward the key colour";
  }
}

TEST_F(PackToolPictures, TonguePicturesAreBlackAroundTheDrawing) {
  ASSERT_EQ(pictures_.size(), kSlots.size());
  // The root runs down into the mouth, so only its top is rounded off; the tip is round all over.
  for (auto [i, corners] : {std::pair{12, 2}, std::pair{13, 4}}) {
    SCOPED_TRACE("record " + std::to_string(i));
    const Bmp& bmp = Record(i);
    EXPECT_EQ(bmp.At(0, 0), 0u);
    EXPECT_EQ(bmp.At(bmp.width - 1, 0), 0u);
    if (corners == 4) {
      EXPECT_EQ(bmp.At(0, bmp.height - 1), 0u);
      EXPECT_EQ(bmp.At(bmp.width - 1, bmp.height - 1), 0u);
    }
    int drawn = 0;
    for (int y = 0; y < bmp.height; ++y)
      for (int x = 0; x < bmp.width; ++x) drawn += bmp.At(x, y) != 0 ? 1 : 0;
    EXPECT_GT(drawn, bmp.width * bmp.height / 4);
    EXPECT_LT(drawn, bmp.width * bmp.height);
    // Turned by the game, any dark pixel on the rim would show as a speck against the picture behind.
    const auto transparent = [&bmp](int x, int y) {
      return x < 0 || y < 0 || x >= bmp.width || y >= bmp.height || bmp.At(x, y) == 0;
    };
    int dark = 0;
    for (int y = 0; y < bmp.height; ++y)
      for (int x = 0; x < bmp.width; ++x) {
        if (transparent(x, y)) continue;
        if (!transparent(x - 1, y) && !transparent(x + 1, y) && !transparent(x, y - 1) && !transparent(x, y + 1))
          continue;
        dark += Luminance(bmp.At(x, y)) < 0.12 ? 1 : 0;
      }
    EXPECT_EQ(dark, 0) << "dark pixels next to the transparent black";
  }
}

TEST_F(PackToolPictures, HighlightsFitTheScreensTheyAreDrawnOn) {
  ASSERT_EQ(pictures_.size(), kSlots.size());
  // main-menu items over the menu background
  const std::array<std::array<int, 2>, 6> menu{{{199, 156}, {199, 197}, {199, 240}, {199, 284}, {199, 328},
                                                {199, 372}}};
  for (int k = 0; k < 6; ++k) EXPECT_TRUE(BorderMatches(18 + k, 17, menu[k][0], menu[k][1]));
  // the panels are drawn at (29, 156): panel coordinates are screen coordinates less that
  EXPECT_TRUE(BorderMatches(26, 24, 195 - 29, 238 - 156));
  EXPECT_TRUE(BorderMatches(34, 24, 352 - 29, 238 - 156));
  for (int row : {301, 361}) {  // one on/off picture serves the music and the sound rows
    EXPECT_TRUE(BorderMatches(25, 24, 197 - 29, row - 156));
    EXPECT_TRUE(BorderMatches(35, 24, 265 - 29, row - 156));
  }
  EXPECT_TRUE(SameArea(24, 197 - 29, 301 - 156, 24, 197 - 29, 361 - 156, 143, 22));
  EXPECT_TRUE(BorderMatches(28, 27, 247 - 29, 496 - 156));
  EXPECT_TRUE(BorderMatches(29, 27, 64 - 29, 528 - 156));
  EXPECT_TRUE(BorderMatches(32, 30, 114 - 29, 492 - 156));
  EXPECT_TRUE(BorderMatches(33, 30, 376 - 29, 492 - 156));
  // one back highlight serves three panels, which therefore look the same around it
  for (int panel : {24, 27, 30}) EXPECT_TRUE(BorderMatches(31, panel, 31 - 29, 560 - 156));
  EXPECT_TRUE(SameArea(24, 0, 400, 27, 0, 400, 140, 44));
  EXPECT_TRUE(SameArea(24, 0, 400, 30, 0, 400, 140, 44));
  // help pages over the help panel, at (29, 207)
  for (int page = 41; page <= 45; ++page) EXPECT_TRUE(BorderMatches(page, 30, 0, 207 - 156));
}

TEST_F(PackToolPictures, LowerBodyAndStunPicturesCarryThePlayfield) {
  ASSERT_EQ(pictures_.size(), kSlots.size());
  // the lower body is drawn at (314, 475) over the playfield: its top row is playfield where the
  // drawing leaves room, and the bottom corners are meadow
  for (int body : {37, 38}) {
    SCOPED_TRACE("record " + std::to_string(body));
    EXPECT_EQ(Record(body).At(0, 0), Record(39).At(314, 475));
    EXPECT_EQ(Record(body).At(171, 0), Record(39).At(485, 475));
  }
  EXPECT_NE(Record(14).At(0, 0), 0u);
  EXPECT_FALSE(SameArea(14, 0, 0, 15, 0, 0, 60, 30)) << "the two stun phases must differ";
}

}  // namespace
