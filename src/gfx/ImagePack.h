// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture pack: a headerless run of records, each a 4-byte little-endian length and that many bytes of
// one BMP file. Pictures are read by number, skipping the records before them.

#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/ImageTables.h"
#include "gfx/Surface.h"
#include "platform/ImageDecoder.h"

namespace gw::gfx {

inline constexpr const char* kPackPath = "Data/Data.pp";
// Every picture's transparent colour.
inline constexpr Pixel kColorKey = Rgb(255, 0, 204);

// A pack that cannot give the picture asked for: the message names the file and the record.
class PackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Copies the (x, y, width, height) part of a decoded bitmap onto the whole surface, stretching when the sizes
// differ; a width or height of 0 means the bitmap's own. Fails when either is missing.
HResult CopyBitmapToSurface(Surface* surface, const platform::DecodedImage* bitmap, int x, int y, int width,
                            int height);

// Gives the surface its source colour key: the surface's own pixel value for the colour.
HResult SetColorKey(Surface* surface, Pixel colour);

// Reads record `index` into a new surface of the bitmap's size with the colour key set; throws PackError.
// Every length is checked against what the file still holds and every picture header against the size limit
// (gfx/BmpHeader.h) before anything of the claimed size is allocated or decoded.
std::unique_ptr<Surface> LoadPackImage(const std::filesystem::path& pack, int index, platform::ImageDecoder& decoder);
// The same from an open pack; `pack` names it in messages.
std::unique_ptr<Surface> ReadPackImage(std::istream& in, const std::string& pack, int index,
                                       platform::ImageDecoder& decoder);

// No pack of the game needs more than this for all its decoded pictures together (its own takes about 13 MB);
// a pack that claims more is damaged or hostile. With it, and no picture larger than the screen, the whole
// game stays under 80 MB whatever pack it accepts.
inline constexpr std::int64_t kMaxPackPixelBytes = std::int64_t{32} << 20;
// Nothing of a picture beyond the 800 x 600 frame is ever seen.
inline constexpr int kMaxPictureWidth = 800, kMaxPictureHeight = 600;

// Reads the headers of the given records, each once per mention, and throws PackError at the first picture
// larger than the frame, or whose decoded pixels would take the total past kMaxPackPixelBytes, before any
// picture is decoded.
void CheckPackBudget(std::istream& in, const std::string& pack, std::span<const int> records);
// The records LoadAllImages decodes, in its order: the enemy pictures twice, once for their mirrors.
std::vector<int> RecordsLoaded();

// Fills the three tables, releasing what each slot held; the mirrored slots become left-right mirrors of the
// enemy pictures. Throws PackError and leaves the tables as far as they got; a pack over the budget is
// refused before anything is decoded.
void LoadAllImages(ImageTables& tables, const std::filesystem::path& pack, platform::ImageDecoder& decoder);

}  // namespace gw::gfx
