#include <gtest/gtest.h>

#include <fstream>

#include "gfx/ImagePack.h"
#include "gfx/SpriteTransform.h"
#include "platform/sdl/SdlServices.h"
#include "support/Headless.h"
#include "support/TestPack.h"

namespace gw::gfx {
namespace {

using test::MakeBmp;

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

TEST_F(ImagePackTest, BadPacksNameTheFileAndTheRecord) {
  auto bmp = MakeBmp(4, 4, [](int, int) { return 1u; });
  test::WritePack("good.pp", {bmp});
  {
    std::ofstream cut("cut.pp", std::ios::binary);
    const unsigned char length[4] = {static_cast<unsigned char>(bmp.size()), static_cast<unsigned char>(bmp.size() >> 8), 0, 0};
    cut.write(reinterpret_cast<const char*>(length), 4);
    cut.write(reinterpret_cast<const char*>(bmp.data()), 20);
  }
  test::WritePack("junk.pp", {std::vector<std::uint8_t>(64, 0x41)});
  struct Case {
    const char* file;
    int record;
    const char* says;
  };
  const Case cases[] = {{"missing.pp", 0, "cannot be opened"},
                        {"good.pp", 1, "ends before this record"},
                        {"good.pp", 3, "ends at record 1"},
                        {"cut.pp", 0, "cut short"},
                        {"junk.pp", 0, "not a BMP"}};
  for (const Case& c : cases) {
    try {
      LoadPackImage(c.file, c.record, decoder);
      ADD_FAILURE() << c.file << " loaded";
    } catch (const PackError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find(c.file), std::string::npos) << what;
      EXPECT_NE(what.find("record " + std::to_string(c.record)), std::string::npos) << what;
      EXPECT_NE(what.find(c.says), std::string::npos) << what;
    }
  }
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

}  // namespace
}  // namespace gw::gfx
