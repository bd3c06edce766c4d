// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>

#include <string>

#include "gfx/ImagePack.h"
#include "gfx/SpriteTransform.h"
#include "platform/sdl/SdlServices.h"
#include "support/Headless.h"
#include "support/TestPack.h"

namespace gw::gfx {
namespace {

using test::MakeBmp;
using test::MakeRle8Bmp;

class ImagePackTest : public testing::Test {
 protected:
  test::TempFolder folder;
  platform::sdl::SdlImageDecoder decoder;
};

TEST_F(ImagePackTest, ReadsFirstAndLastRecordsAndTheirPixels) {
  // Record 0 has the key in one corner; record 1 is a single pixel; record 2 has no key colour at all.
  test::WritePack("p.pp", {MakeBmp(3, 2, [](int x, int y) { return x == 2 && y == 1 ? 0xFF00CCu : 0x102030u; }),
                           MakeBmp(1, 1, [](int, int) { return 0xABCDEFu; }),
                           MakeBmp(5, 4, [](int x, int y) { return static_cast<std::uint32_t>(x * 16 + y); })});
  const auto first = LoadPackImage("p.pp", 0, decoder);
  ASSERT_EQ(first->Width(), 3);
  ASSERT_EQ(first->Height(), 2);
  EXPECT_EQ(first->At(0, 0), 0x102030u);
  EXPECT_EQ(first->At(2, 1), kColorKey);
  EXPECT_EQ(first->ColorKey(), kColorKey);

  const auto tiny = LoadPackImage("p.pp", 1, decoder);
  ASSERT_EQ(tiny->Width(), 1);
  EXPECT_EQ(tiny->At(0, 0), 0xABCDEFu);

  const auto last = LoadPackImage("p.pp", 2, decoder);
  EXPECT_EQ(last->At(4, 3), 4u * 16 + 3);

  // Keyed copies leave exactly the key pixels out; a picture without the key draws whole.
  Surface dst(10, 10);
  dst.Fill(0x777777);
  dst.BltFast(0, 0, *first, nullptr, kBltFastSrcColorKey);
  dst.BltFast(5, 5, *last, nullptr, kBltFastSrcColorKey);
  EXPECT_EQ(dst.At(2, 1), 0x777777u);
  EXPECT_EQ(dst.At(1, 1), 0x102030u);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.At(5 + x, 5 + y), last->At(x, y));
}

struct Refused {
  const char* file;
  int record;
  const char* says;
};

// Each record is refused with a message that names the file, the record and what it says.
void ExpectRefusals(std::initializer_list<Refused> cases, platform::ImageDecoder& decoder) {
  for (const Refused& c : cases) {
    std::string what = "loaded";
    try {
      LoadPackImage(c.file, c.record, decoder);
    } catch (const PackError& e) {
      what = e.what();
    }
    EXPECT_NE(what.find(std::string("picture pack ") + c.file + ", record " + std::to_string(c.record) + ": "),
              std::string::npos)
        << what;
    EXPECT_NE(what.find(c.says), std::string::npos) << c.file << ": " << what;
  }
}

// What `work` costs in memory at its peak, in KiB, measured in a child process of its own: the test
// process's own peak is already raised by whatever ran before. A forked child starts its peak at its
// resident size, so the peak less that size is the work's cost.
long PeakCostKiB(const std::function<void()>& work) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    long pages = 0;
    long resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    const bool read = statm && std::fscanf(statm, "%ld %ld", &pages, &resident) == 2;
    if (statm) std::fclose(statm);
    try {
      work();
    } catch (...) {
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long cost = read ? usage.ru_maxrss - resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
    (void)!write(pipeFds[1], &cost, sizeof cost);
    _exit(0);
  }
  long cost = -1;
  if (child > 0 && read(pipeFds[0], &cost, sizeof cost) != sizeof cost) cost = -1;
  close(pipeFds[0]);
  close(pipeFds[1]);
  if (child > 0) waitpid(child, nullptr, 0);
  return cost;
}

TEST_F(ImagePackTest, BadPacksNameTheFileAndTheRecord) {
  auto bmp = MakeBmp(4, 4, [](int, int) { return 1u; });
  test::WritePack("good.pp", {bmp});
  test::WritePackClaiming("cut.pp", {{static_cast<std::int32_t>(bmp.size()), {bmp.begin(), bmp.begin() + 20}}});
  test::WritePack("junk.pp", {std::vector<std::uint8_t>(64, 0x41)});
  ExpectRefusals({{"missing.pp", 0, "cannot be opened"},
                  {"good.pp", 1, "ends before this record"},
                  {"good.pp", 3, "ends at record 1"},
                  {"cut.pp", 0, "claims 102 bytes, but the file holds only 20 more"},
                  {"junk.pp", 0, "no BMP file header"}},
                 decoder);
}

// Small crafted records that claim much: each is refused from its lengths and headers alone, before anything
// of the claimed size is allocated, with a message that says what was claimed.
TEST_F(ImagePackTest, HostileRecordsAreRefusedBeforeTheyCostMemory) {
  const std::vector<std::uint32_t> palette = {0x000000, 0xFFFFFF};
  const std::vector<std::uint8_t> endOfPicture = {0, 1};
  const auto good = MakeBmp(2, 2, [](int, int) { return 7u; });
  // A 24-bit uncompressed header claiming 2000 x 2000 with no pixels behind it.
  auto hollow = MakeBmp(1, 1, [](int, int) { return 0u; });
  hollow[18] = 0xD0, hollow[19] = 0x07, hollow[22] = 0xD0, hollow[23] = 0x07;
  auto upsideDownEmpty = MakeBmp(1, 1, [](int, int) { return 0u; });
  upsideDownEmpty[22] = 0, upsideDownEmpty[18] = 0xFB, upsideDownEmpty[19] = 0xFF, upsideDownEmpty[20] = 0xFF,
  upsideDownEmpty[21] = 0xFF;  // width -5, height 0
  auto minHeight = MakeRle8Bmp(1, 1, palette, endOfPicture);
  minHeight[22] = 0, minHeight[23] = 0, minHeight[24] = 0, minHeight[25] = 0x80;  // height -2^31
  test::WritePack("tall.pp", {MakeRle8Bmp(1, 50000, palette, endOfPicture)});
  test::WritePack("wide.pp", {MakeRle8Bmp(50000, 1, palette, endOfPicture)});
  test::WritePack("huge.pp", {MakeRle8Bmp(16384, 16384, palette, endOfPicture)});
  test::WritePack("hollow.pp", {hollow});
  test::WritePack("empty.pp", {upsideDownEmpty});
  test::WritePack("minheight.pp", {minHeight});
  // 66 bytes that claim 2 GB.
  test::WritePackClaiming("claims2g.pp", {{0x7FFFFFFF, std::vector<std::uint8_t>(62, 0x42)}});
  test::WritePackClaiming("zero.pp", {{0, {}}, {static_cast<std::int32_t>(good.size()), good}});
  test::WritePackClaiming("minus.pp", {{-1, good}});
  test::WritePackClaiming("skip2g.pp", {{0x7FFFFFFF, good}, {static_cast<std::int32_t>(good.size()), good}});
  ExpectRefusals(
      {{"tall.pp", 0, "it claims a picture of 1 x 50000 pixels, more than 2048 on a side"},
       {"wide.pp", 0, "it claims a picture of 50000 x 1 pixels, more than 2048 on a side"},
       {"huge.pp", 0, "it claims a picture of 16384 x 16384 pixels, more than 2048 on a side"},
       {"hollow.pp", 0, "2000 x 2000 pixels at 24 bits need 12000000 bytes of pixels, but the record holds 4"},
       {"empty.pp", 0, "it claims a picture of -5 x 0 pixels; both sides must be positive"},
       {"minheight.pp", 0, "1 x -2147483648 pixels, more than 2048 on a side"},
       {"claims2g.pp", 0, "the record claims 2147483647 bytes, but the file holds only 62 more"},
       {"zero.pp", 0, "the record claims a length of 0 bytes"},
       {"minus.pp", 0, "the record claims a length of -1 bytes"},
       {"minus.pp", 1, "record 0 before it claims a length of -1 bytes"},
       {"skip2g.pp", 1, "record 0 before it claims 2147483647 bytes, but the file holds only 144 more"}},
      decoder);
  const long cost = PeakCostKiB([&] {
    for (const char* file : {"tall.pp", "wide.pp", "huge.pp", "hollow.pp", "minheight.pp", "claims2g.pp", "skip2g.pp"}) {
      for (int record : {0, 1}) {
        try {
          LoadPackImage(file, record, decoder);
        } catch (const PackError&) {
        }
      }
    }
  });
  EXPECT_GE(cost, 0);
  EXPECT_LT(cost, 64 * 1024) << "refusing the records took memory of the size they claim";
  // An empty record may be stepped over to reach the one after it.
  EXPECT_EQ(LoadPackImage("zero.pp", 1, decoder)->At(1, 1), 7u);
}

// Runs that paint every pixel of a width x height picture in colour 1.
std::vector<std::uint8_t> PaintedRuns(int width, int height) {
  std::vector<std::uint8_t> runs;
  for (int row = 0; row < height; ++row) {
    for (int left = width; left > 0; left -= 255) runs.insert(runs.end(), {static_cast<std::uint8_t>(std::min(left, 255)), 1});
    runs.insert(runs.end(), {0, 0});
  }
  runs.insert(runs.end(), {0, 1});
  return runs;
}

// A whole pack of records that each pass alone but decode to far more than the game needs: 46 pictures of
// 2048 x 2048 pixels in a few bytes of runs each, 46 whose runs really do paint them all, and 46 that paint
// the whole frame each.
TEST_F(ImagePackTest, APackThatBalloonsIsRefusedBeforeItIsDecoded) {
  const std::vector<std::uint32_t> palette = {0x000000, 0xFFFFFF};
  const std::vector<std::vector<std::uint8_t>> hollow(46, MakeRle8Bmp(2048, 2048, palette, {0, 0, 0, 1}));
  const std::vector<std::vector<std::uint8_t>> painted(46, MakeRle8Bmp(2048, 2048, palette, PaintedRuns(2048, 2048)));
  const std::vector<std::vector<std::uint8_t>> frames(46, MakeRle8Bmp(800, 600, palette, PaintedRuns(800, 600)));
  test::WritePack("hollow46.pp", hollow);
  test::WritePack("painted46.pp", painted);
  test::WritePack("frames46.pp", frames);
  // The game loads the screens first (records 17 on): 18 whole frames are past the budget.
  const struct {
    const char* file;
    const char* says;
  } cases[] = {
      {"hollow46.pp", "picture pack hollow46.pp, record 17: refused before decoding: its 2048 x 2048 pixels are more "
                      "than 4 bytes of run-length data can paint"},
      {"painted46.pp", "picture pack painted46.pp, record 17: its 2048 x 2048 pixels are larger than the game's "
                       "800 x 600 frame"},
      {"frames46.pp", "picture pack frames46.pp, record 34: the pictures up to this one decode to 33 MB, more than "
                      "the 32 MB any pack of the game may take"},
  };
  for (const auto& c : cases) {
    ImageTables tables;
    std::string what = "loaded";
    try {
      LoadAllImages(tables, c.file, decoder);
    } catch (const PackError& e) {
      what = e.what();
    }
    EXPECT_EQ(what, c.says);
    EXPECT_FALSE(tables.Screen(0)) << "nothing is decoded from a pack that is refused";
    const long cost = PeakCostKiB([&] {
      ImageTables t;
      LoadAllImages(t, c.file, decoder);
    });
    EXPECT_GE(cost, 0);
    EXPECT_LT(cost, 16 * 1024) << c.file << " took memory of the size it claims";
  }
  // One such picture alone is within both limits and decodes.
  test::WritePack("one.pp", {frames[0]});
  EXPECT_EQ(LoadPackImage("one.pp", 0, decoder)->At(799, 599), 0xFFFFFFu);
  // The game's own pack is well inside the budget.
  std::ifstream real(GW_GAME_DIR "/Data/Data.pp", std::ios::binary);
  ASSERT_TRUE(real);
  CheckPackBudget(real, "Data.pp", RecordsLoaded());
}

TEST_F(ImagePackTest, RunLengthPicturesWithinTheLimitDecode) {
  // Bottom row: three of colour 1; top row: two of colour 2, one of colour 0.
  test::WritePack("rle.pp", {MakeRle8Bmp(3, 2, {0x112233, 0x445566, 0xFF00CC}, {3, 1, 0, 0, 2, 2, 1, 0, 0, 1})});
  const auto picture = LoadPackImage("rle.pp", 0, decoder);
  ASSERT_EQ(picture->Width(), 3);
  ASSERT_EQ(picture->Height(), 2);
  EXPECT_EQ(picture->At(0, 1), 0x445566u);
  EXPECT_EQ(picture->At(1, 0), kColorKey);
  EXPECT_EQ(picture->At(2, 0), 0x112233u);
}

TEST_F(ImagePackTest, AllImagesFillTheTablesAndMirrorTheEnemies) {
  ImageTables tables;
  LoadAllImages(tables, test::StandardTestPack(), decoder);
  for (int k = 0; k < ImageTables::kScreenCount; ++k) {
    ASSERT_TRUE(tables.Screen(k)) << k;
    EXPECT_EQ(tables.Screen(k)->At(1, 1), test::PatternPixel(17 + k, 1, 1)) << k;
  }
  for (int k = 0; k < ImageTables::kSpriteCount; ++k) EXPECT_EQ(tables.Sprite(k)->At(1, 0), test::PatternPixel(k, 1, 0));
  for (int k = 0; k < ImageTables::kMirroredCount; ++k) {
    const Surface& source = *tables.Sprite(6 + k);
    const Surface& mirrored = *tables.Mirrored(k);
    ASSERT_EQ(mirrored.Width(), source.Width());
    EXPECT_EQ(mirrored.ColorKey(), kColorKey);
    for (int r = 0; r < source.Height(); r += 7) EXPECT_EQ(mirrored.At(0, r), source.At(source.Width() - 1, r));
  }
}

TEST(CopyBitmap, MissingPartsFailAndSizesStretch) {
  platform::DecodedImage bitmap{2, 1, {5, 6}};
  Surface s(4, 1);
  EXPECT_EQ(CopyBitmapToSurface(nullptr, &bitmap, 0, 0, 0, 0), kFail);
  EXPECT_EQ(CopyBitmapToSurface(&s, nullptr, 0, 0, 0, 0), kFail);
  EXPECT_EQ(CopyBitmapToSurface(&s, &bitmap, 0, 0, 0, 0), kOk);
  EXPECT_EQ(s.At(1, 0), 5u);
  EXPECT_EQ(s.At(2, 0), 6u);
}

TEST(CopyBitmap, RowsOfATallPictureComeFromTheirOwnRows) {
  // Scaling row 46342 and later by the height overflows 32 bits.
  constexpr int kTall = 50000;
  platform::DecodedImage bitmap{1, kTall, {}};
  for (int row = 0; row < kTall; ++row) bitmap.pixels.push_back(static_cast<std::uint32_t>(row));
  Surface s(1, kTall);
  ASSERT_EQ(CopyBitmapToSurface(&s, &bitmap, 0, 0, 0, 0), kOk);
  for (int row : {0, 46341, 46342, kTall - 1}) EXPECT_EQ(s.At(0, row), static_cast<std::uint32_t>(row)) << row;
  platform::DecodedImage wide{kTall, 1, bitmap.pixels};
  Surface w(kTall, 1);
  ASSERT_EQ(CopyBitmapToSurface(&w, &wide, 0, 0, 0, 0), kOk);
  EXPECT_EQ(w.At(kTall - 1, 0), static_cast<std::uint32_t>(kTall - 1));
  platform::DecodedImage short_{2, 2, {1, 2, 3}};
  EXPECT_EQ(CopyBitmapToSurface(&s, &short_, 0, 0, 0, 0), kInvalidRect) << "fewer pixels than its size";
}

}  // namespace
}  // namespace gw::gfx
