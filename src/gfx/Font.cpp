// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/Font.h"

#include <ft2build.h>
#include <freetype/freetype.h>
#include <freetype/ftoutln.h>
#include <freetype/tttables.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "gfx/Cp1251.h"
#include "platform/FontLookup.h"
#include "platform/Utf8Path.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gw::gfx {

namespace {

// ---- Library handles ----

struct FtLibraryDeleter {
  void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FtFaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FtLibraryPtr = std::unique_ptr<FT_LibraryRec_, FtLibraryDeleter>;
using FtFacePtr = std::unique_ptr<FT_FaceRec_, FtFaceDeleter>;

// ---- Sizing ----

// The face's design metrics in font units, as GDI reads them.
struct DesignMetrics {
  int cell = 0;     // win ascent + win descent: what a requested height covers
  int ascent = 0;   // from the cell's top to the baseline
  int avgWidth = 0; // what a requested width covers
  bool bold = false;
};

int MeanAsciiAdvance(FT_Face face) {
  long total = 0;
  int count = 0;
  for (FT_ULong c = 0x20; c < 0x7F; ++c) {
    const FT_UInt index = FT_Get_Char_Index(face, c);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) continue;
    total += face->glyph->metrics.horiAdvance;
    ++count;
  }
  return count > 0 ? static_cast<int>(total / count) : face->units_per_EM / 2;
}

DesignMetrics ReadDesignMetrics(FT_Face face) {
  DesignMetrics m;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF) {
    m.ascent = os2->usWinAscent;
    m.cell = os2->usWinAscent + os2->usWinDescent;
    m.avgWidth = os2->xAvgCharWidth;
    m.bold = os2->usWeightClass >= 600;
  }
  if (m.cell <= 0) {  // no usable OS/2 table: the horizontal header's line metrics
    m.ascent = face->ascender;
    m.cell = face->ascender - face->descender;
  }
  if (m.cell <= 0) {
    m.ascent = face->units_per_EM;
    m.cell = face->units_per_EM;
  }
  if (m.avgWidth <= 0) m.avgWidth = MeanAsciiAdvance(face);
  m.bold = m.bold || (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  return m;
}

// ---- Rendered glyphs ----

struct Glyph {
  bool ready = false;
  FT_UInt index = 0;
  int advance = 0;  // whole pixels, as GDI advances the pen
  int left = 0;     // bitmap offset from the pen position
  int top = 0;      // bitmap top above the baseline
  int width = 0;
  int rows = 0;
  std::vector<std::uint8_t> coverage;  // width * rows, 0..255
};

// Every glyph of one size and weight. A Windows-1251 byte names exactly one code point, so the byte
// indexes the table.
struct Strike {
  double scaleX = 0;  // pixels per font unit
  double scaleY = 0;
  int ascent = 0;            // pixels from the cell's top to the baseline
  FT_Pos emboldenBy = 0;     // 26.6 pixels; 0 when the face is drawn as it is
  int emboldenAdvance = 0;
  std::array<Glyph, 256> glyphs;
};

// Past this many rendered glyphs the cache starts again; the game uses a handful of sizes.
constexpr std::size_t kMaxCachedGlyphs = 4096;

FT_Fixed ToFixed(double v) { return static_cast<FT_Fixed>(std::lround(v * 65536.0)); }

// under + (colour - under) * coverage / 255 per channel, the quotient truncated toward zero. That is
// (under * (255 - coverage) + colour * coverage) / 255 rounded down where the colour is brighter and up
// where it is darker. Red and blue are worked together in 16-bit lanes, which none of the sums
// overflow (at most 255 * 255 + 254), and y / 255 == (y + 1 + (y >> 8)) >> 8 holds for every y below
// 65535. Text blending is most of the cost of drawing a line, hence the care.
Pixel Blend(Pixel under, Pixel colour, std::uint32_t coverage) {
  constexpr std::uint32_t kRedBlue = 0x00FF00FFu;
  constexpr std::uint32_t kLaneOnes = 0x00010001u;
  const std::uint32_t rest = 255u - coverage;

  const std::uint32_t underRb = under & kRedBlue;
  const std::uint32_t colourRb = colour & kRedBlue;
  const std::uint32_t darkerRb = ((underRb + kRedBlue - colourRb) >> 8) & kLaneOnes;  // 1 where colour < under
  std::uint32_t rb = underRb * rest + colourRb * coverage + darkerRb * 254u;
  rb = ((rb + kLaneOnes + ((rb >> 8) & kRedBlue)) >> 8) & kRedBlue;

  const std::uint32_t underG = (under >> 8) & 0xFFu;
  const std::uint32_t colourG = (colour >> 8) & 0xFFu;
  std::uint32_t g = underG * rest + colourG * coverage + (colourG < underG ? 254u : 0u);
  g = (g + 1u + (g >> 8)) >> 8;

  return rb | (g << 8);
}

#if defined(__SSE2__)
// Blend above for eight channels at once, two pixels widened to 16-bit lanes.
__m128i BlendLanes(__m128i under, __m128i colour, __m128i coverage) {
  const __m128i rest = _mm_sub_epi16(_mm_set1_epi16(255), coverage);
  const __m128i darker = _mm_and_si128(_mm_cmpgt_epi16(under, colour), _mm_set1_epi16(254));
  const __m128i mix = _mm_add_epi16(_mm_mullo_epi16(under, rest), _mm_mullo_epi16(colour, coverage));
  const __m128i sum = _mm_add_epi16(mix, darker);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(sum, _mm_set1_epi16(1)), _mm_srli_epi16(sum, 8)), 8);
}
#endif

// One row of a glyph over the destination. Empty stretches are skipped and solid ones filled four
// pixels at a time; the rest is blended, four pixels at a time where SSE2 is there.
void BlendRow(Pixel* out, const std::uint8_t* coverage, int n, Pixel colour) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i colourLanes = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
  for (; i + 4 <= n; i += 4) {
    std::uint32_t four = 0;
    std::memcpy(&four, coverage + i, sizeof four);
    if (four == 0) continue;
    if (four == 0xFFFFFFFFu) {
      std::fill_n(out + i, 4, colour);
      continue;
    }
    __m128i cov = _mm_cvtsi32_si128(static_cast<int>(four));
    cov = _mm_unpacklo_epi8(cov, cov);
    cov = _mm_unpacklo_epi16(cov, cov);  // each pixel's coverage in its four channel bytes
    const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
    const __m128i low = BlendLanes(_mm_unpacklo_epi8(under, zero), colourLanes, _mm_unpacklo_epi8(cov, zero));
    const __m128i high = BlendLanes(_mm_unpackhi_epi8(under, zero), colourLanes, _mm_unpackhi_epi8(cov, zero));
    const __m128i blended = _mm_and_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(0x00FFFFFF));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), blended);
  }
#endif
  for (; i < n; ++i) {
    const std::uint32_t a = coverage[i];
    if (a != 0) out[i] = Blend(out[i], colour, a);
  }
}

class FreeTypeFont final : public GameFont {
 public:
  FreeTypeFont(FtLibraryPtr library, std::vector<FT_Byte> file, FtFacePtr face, bool substituted)
      : library_(std::move(library)),
        file_(std::move(file)),
        face_(std::move(face)),
        substituted_(substituted),
        design_(ReadDesignMetrics(face_.get())) {
    family_ = face_->family_name != nullptr ? face_->family_name : "";
  }

  const std::string& FamilyName() const override { return family_; }
  bool Substituted() const override { return substituted_; }

  void Draw(Surface& dst, int x, int y, int height, int width, int weight, std::string_view text,
            Pixel colour) override {
    if (text.empty()) return;
    Strike* strike = StrikeFor(height, width, weight);
    if (strike == nullptr) return;
    const int baseline = y + strike->ascent;
    const int surfaceW = dst.Width();
    const int surfaceH = dst.Height();
    colour &= 0x00FFFFFFu;

    int pen = x;
    FT_UInt previous = 0;
    for (const char c : text) {
      const Glyph& g = GlyphFor(*strike, static_cast<unsigned char>(c));
      pen += Kerning(*strike, previous, g.index);
      previous = g.index;

      const int gx = pen + g.left;
      const int gy = baseline - g.top;
      pen += g.advance;
      // Clip the glyph's box to the surface; only the overlap is touched.
      const int col0 = std::max(0, -gx);
      const int col1 = std::min(g.width, surfaceW - gx);
      const int row0 = std::max(0, -gy);
      const int row1 = std::min(g.rows, surfaceH - gy);
      for (int r = row0; r < row1 && col0 < col1; ++r) {
        BlendRow(dst.RowSpan(gy + r, gx + col0, gx + col1) + (gx + col0),
                 g.coverage.data() + static_cast<std::ptrdiff_t>(r) * g.width + col0, col1 - col0, colour);
      }
    }
  }

  int TextWidth(int height, int width, int weight, std::string_view text) override {
    if (text.empty()) return 0;
    Strike* strike = StrikeFor(height, width, weight);
    if (strike == nullptr) return 0;
    int total = 0;
    FT_UInt previous = 0;
    for (const char c : text) {
      const Glyph& g = GlyphFor(*strike, static_cast<unsigned char>(c));
      total += Kerning(*strike, previous, g.index) + g.advance;
      previous = g.index;
    }
    return total;
  }

 private:
  // A height of 0 has no size to draw at; a negative height asks for the em height, as in GDI.
  // A width of 0 keeps the design's proportions.
  Strike* StrikeFor(int height, int width, int weight) {
    if (height == 0) return nullptr;
    if (cachedGlyphs_ > kMaxCachedGlyphs) {
      strikes_.clear();
      cachedGlyphs_ = 0;
    }
    const auto key = std::make_tuple(height, width, weight);
    auto it = strikes_.find(key);
    if (it != strikes_.end()) return &it->second;

    Strike& s = strikes_[key];
    const double units = height > 0 ? design_.cell : face_->units_per_EM;
    s.scaleY = std::abs(height) / units;
    s.scaleX = width == 0 ? s.scaleY : std::abs(width) / static_cast<double>(design_.avgWidth);
    s.ascent = static_cast<int>(std::lround(design_.ascent * s.scaleY));
    if (weight >= 600 && !DrawsBoldAsItIs()) {
      // Synthetic bold: thicken strokes by about a 24th of the em, at least one pixel, and
      // widen the advance to match.
      const double em = face_->units_per_EM * s.scaleX;
      s.emboldenBy = std::max<FT_Pos>(64, static_cast<FT_Pos>(std::lround(em / 24.0 * 64.0)));
      s.emboldenAdvance = static_cast<int>((s.emboldenBy + 32) / 64);
    }
    return &s;
  }

  // A bold face draws bold text as it is, except the stand-in: it is a bold face standing in for a normal
  // one (the game's texts need its strokes), so its bold text is thickened once more.
  bool DrawsBoldAsItIs() const { return design_.bold && !substituted_; }

  int Kerning(const Strike& strike, FT_UInt left, FT_UInt right) const {
    if (left == 0 || !FT_HAS_KERNING(face_.get())) return 0;
    FT_Vector delta{};
    if (FT_Get_Kerning(face_.get(), left, right, FT_KERNING_UNSCALED, &delta) != 0) return 0;
    return static_cast<int>(std::lround(static_cast<double>(delta.x) * strike.scaleX));
  }

  const Glyph& GlyphFor(Strike& strike, unsigned char byte) {
    Glyph& g = strike.glyphs[byte];
    if (!g.ready) {
      Render(strike, Cp1251ToUnicode(byte), g);
      g.ready = true;
      ++cachedGlyphs_;
    }
    return g;
  }

  // Loads the outline in font units and scales it ourselves: x and y scale independently and
  // exactly, with no hinting to snap either one.
  void Render(const Strike& strike, char32_t codePoint, Glyph& g) {
    FT_Face face = face_.get();
    g.index = codePoint == 0 ? 0 : FT_Get_Char_Index(face, codePoint);
    if (FT_Load_Glyph(face, g.index, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0) return;
    FT_GlyphSlot slot = face->glyph;
    g.advance = static_cast<int>(std::lround(static_cast<double>(slot->metrics.horiAdvance) * strike.scaleX));
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return;

    // Font units become 26.6 pixels.
    FT_Matrix scale{ToFixed(strike.scaleX * 64.0), 0, 0, ToFixed(strike.scaleY * 64.0)};
    FT_Outline_Transform(&slot->outline, &scale);
    if (strike.emboldenBy > 0) {
      // FreeType keeps the lower-left in place and grows the outline right and up by the strength.
      FT_Outline_Embolden(&slot->outline, strike.emboldenBy);
      g.advance += strike.emboldenAdvance;
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;

    const FT_Bitmap& bitmap = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bitmap.width);
    g.rows = static_cast<int>(bitmap.rows);
    g.coverage.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows));
    const unsigned char* row = bitmap.buffer;
    if (bitmap.pitch < 0) row -= static_cast<std::ptrdiff_t>(bitmap.pitch) * (g.rows - 1);
    for (int r = 0; r < g.rows; ++r, row += bitmap.pitch) {
      std::copy_n(row, g.width, g.coverage.begin() + static_cast<std::ptrdiff_t>(r) * g.width);
    }
  }

  FtLibraryPtr library_;  // declared before the face: destroyed after it
  std::vector<FT_Byte> file_;  // the face reads from it for as long as it lives
  FtFacePtr face_;
  bool substituted_;
  DesignMetrics design_;
  std::string family_;
  std::map<std::tuple<int, int, int>, Strike> strikes_;
  std::size_t cachedGlyphs_ = 0;
};

std::unique_ptr<GameFont> OpenFace(const std::string& path, int index, bool substituted) {
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) throw FontError("FreeType could not be initialised");
  FtLibraryPtr library{rawLibrary};
  // Read by the standard library rather than by FreeType, which would take a UTF-8 name for the system's
  // narrow code page where names are wide.
  std::ifstream in(platform::PathFromUtf8(path), std::ios::binary);
  if (!in) throw FontError("cannot open font file " + path);
  std::vector<FT_Byte> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  FT_Face rawFace = nullptr;
  if (file.empty() || FT_New_Memory_Face(library.get(), file.data(), static_cast<FT_Long>(file.size()), index,
                                         &rawFace) != 0) {
    throw FontError("cannot open font file " + path);
  }
  FtFacePtr face{rawFace};
  if (!FT_IS_SCALABLE(face.get())) throw FontError("font file " + path + " holds no outline font");
  return std::make_unique<FreeTypeFont>(std::move(library), std::move(file), std::move(face), substituted);
}

}  // namespace

std::unique_ptr<GameFont> GameFont::LoadFile(const std::string& path) { return OpenFace(path, 0, false); }

std::unique_ptr<GameFont> GameFont::Load() {
  const auto face = platform::FindGameFace(kWantedFamily, kFallbackPattern);
  if (!face) {
    throw FontError("neither font \"" + std::string{kWantedFamily} + "\" nor its stand-in \"" +
                    std::string{kFallbackPattern} + "\" is there (" + platform::MissingFontAdvice() + ")");
  }
  return OpenFace(face->file, face->index, face->substituted);
}

}  // namespace gw::gfx
