// SPDX-License-Identifier: GPL-3.0-or-later
#include "gfx/ImagePack.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <vector>

#include "gfx/BmpHeader.h"
#include "gfx/SpriteTransform.h"

namespace gw::gfx {

namespace {

// The largest record a picture within the side limit can need: its 32-bit pixels and room for headers.
constexpr std::int64_t kMaxRecordBytes =
    std::int64_t{kMaxPictureSide} * kMaxPictureSide * 4 + (std::int64_t{1} << 20);

[[noreturn]] void Fail(const std::string& pack, int index, const std::string& what) {
  throw PackError("picture pack " + pack + ", record " + std::to_string(index) + ": " + what);
}

// Empty when the file ends before four more bytes.
std::optional<std::int32_t> ReadLength(std::istream& in) {
  unsigned char b[4];
  if (!in.read(reinterpret_cast<char*>(b), 4)) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                   static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

// Why a record's length cannot be used, or empty when it can: it must be positive and no more than the file
// still holds, checked before anything of that size is allocated.
std::string RefusedLength(std::int32_t length, std::int64_t left) {
  if (length <= 0) {
    return "claims a length of " + std::to_string(length) + " bytes; a record holds a whole BMP file";
  }
  if (length > left) {
    return "claims " + std::to_string(length) + " bytes, but the file holds only " + std::to_string(left) +
           " more";
  }
  if (length > kMaxRecordBytes) {
    return "claims " + std::to_string(length) + " bytes, more than any picture of at most " +
           std::to_string(kMaxPictureSide) + " pixels a side needs";
  }
  return {};
}

}  // namespace

HResult CopyBitmapToSurface(Surface* surface, const platform::DecodedImage* bitmap, int x, int y, int width,
                            int height) {
  if (!surface || !bitmap) return kFail;
  surface->Restore();
  if (width == 0) width = bitmap->width;
  if (height == 0) height = bitmap->height;
  // 64-bit sums and products: the sizes come from files, and row * height overflows 32 bits for tall pictures.
  const std::int64_t sourceWidth = bitmap->width;
  if (width <= 0 || height <= 0 || x < 0 || y < 0 || std::int64_t{x} + width > sourceWidth ||
      std::int64_t{y} + height > bitmap->height ||
      static_cast<std::int64_t>(bitmap->pixels.size()) < sourceWidth * bitmap->height) {
    return kInvalidRect;
  }
  const std::int64_t surfaceWidth = surface->Width();
  const std::int64_t surfaceHeight = surface->Height();
  for (std::int64_t row = 0; row < surfaceHeight; ++row) {
    const std::int64_t sy = y + row * height / surfaceHeight;
    Pixel* to = surface->Row(static_cast<int>(row));
    const std::uint32_t* from = bitmap->pixels.data() + sy * sourceWidth + x;
    if (width == surfaceWidth) {
      // The loader's case: one to one, a plain row copy.
      std::copy_n(from, width, to);
      continue;
    }
    for (std::int64_t col = 0; col < surfaceWidth; ++col) to[col] = from[col * width / surfaceWidth];
  }
  return kOk;
}

HResult SetColorKey(Surface* surface, Pixel colour) {
  if (!surface) return kFail;
  // Our surfaces are always 32-bit 0x00RRGGBB, so the colour is its own pixel value.
  surface->SetColorKey(colour);
  return kOk;
}

namespace {

std::int64_t FileBytes(std::istream& in, const std::string& pack, int index) {
  in.clear();
  if (!in.seekg(0, std::ios::end)) Fail(pack, index, "the file cannot be read");
  const std::int64_t fileBytes = in.tellg();
  if (fileBytes < 0) Fail(pack, index, "the file cannot be read");
  in.seekg(0, std::ios::beg);
  return fileBytes;
}

// Skips the records before `index` from the start of the file and reads the length of that record, leaving
// the file at its first byte.
std::int32_t SeekRecord(std::istream& in, const std::string& pack, int index) {
  const std::int64_t fileBytes = FileBytes(in, pack, index);
  std::int64_t position = 0;
  for (int skipped = 0; skipped < index; ++skipped) {
    const auto length = ReadLength(in);
    if (!length) Fail(pack, index, "the file ends at record " + std::to_string(skipped));
    position += 4;
    // An empty record can be stepped over; only the one that is read must hold a picture.
    if (*length != 0) {
      const std::string refused = RefusedLength(*length, fileBytes - position);
      if (!refused.empty()) Fail(pack, index, "record " + std::to_string(skipped) + " before it " + refused);
    }
    position += *length;
    in.seekg(*length, std::ios::cur);
  }
  const auto length = ReadLength(in);
  if (!length) Fail(pack, index, "the file ends before this record");
  position += 4;
  const std::string refused = RefusedLength(*length, fileBytes - position);
  if (!refused.empty()) Fail(pack, index, "the record " + refused);
  return *length;
}

std::string Megabytes(std::int64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB"; }

}  // namespace

void CheckPackBudget(std::istream& in, const std::string& pack, std::span<const int> records) {
  std::int64_t total = 0;
  for (const int index : records) {
    const std::int32_t length = SeekRecord(in, pack, index);
    std::vector<std::uint8_t> head(std::min<std::size_t>(static_cast<std::size_t>(length), kBmpHeadBytes));
    if (!in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()))) {
      Fail(pack, index, "the record is cut short");
    }
    std::string why;
    const auto header = CheckBmpHeader(head, length, why);
    if (!header) Fail(pack, index, "refused before decoding: " + why);
    if (header->width > kMaxPictureWidth || header->height > kMaxPictureHeight) {
      Fail(pack, index, "its " + std::to_string(header->width) + " x " + std::to_string(header->height) +
                            " pixels are larger than the game's " + std::to_string(kMaxPictureWidth) + " x " +
                            std::to_string(kMaxPictureHeight) + " frame");
    }
    total += DecodedBytes(*header);
    if (total > kMaxPackPixelBytes) {
      Fail(pack, index, "the pictures up to this one decode to " + Megabytes(total) + ", more than the " +
                            Megabytes(kMaxPackPixelBytes) + " any pack of the game may take");
    }
  }
}

std::unique_ptr<Surface> ReadPackImage(std::istream& in, const std::string& pack, int index,
                                       platform::ImageDecoder& decoder) {
  const std::int32_t length = SeekRecord(in, pack, index);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), length)) {
    Fail(pack, index, "the record is cut short (" + std::to_string(in.gcount()) + " of " + std::to_string(length) +
                          " bytes)");
  }
  std::string why;
  const auto header = CheckBmpHeader(bytes, why);
  if (!header) Fail(pack, index, "refused before decoding: " + why);
  const auto bitmap = decoder.DecodeBmp(bytes, why);
  if (!bitmap) Fail(pack, index, "not a BMP picture (" + why + ")");
  if (bitmap->width != header->width || bitmap->height != header->height) {
    Fail(pack, index, "decoded to " + std::to_string(bitmap->width) + " x " + std::to_string(bitmap->height) +
                          " pixels, not the " + std::to_string(header->width) + " x " +
                          std::to_string(header->height) + " its header claims");
  }
  auto surface = std::make_unique<Surface>(bitmap->width, bitmap->height);
  if (Failed(CopyBitmapToSurface(surface.get(), &*bitmap, 0, 0, 0, 0))) {
    Fail(pack, index, "the decoded picture does not hold its own pixels");
  }
  SetColorKey(surface.get(), kColorKey);
  return surface;
}

std::unique_ptr<Surface> LoadPackImage(const std::filesystem::path& pack, int index, platform::ImageDecoder& decoder) {
  std::ifstream in(pack, std::ios::binary);
  if (!in) Fail(pack.string(), index, "the file cannot be opened");
  return ReadPackImage(in, pack.string(), index, decoder);
}

std::vector<int> RecordsLoaded() {
  std::vector<int> records;
  for (int k = 0; k < ImageTables::kScreenCount; ++k) records.push_back(ImageTables::kFirstScreenRecord + k);
  for (int k = 0; k < ImageTables::kSpriteCount; ++k) records.push_back(k);
  for (int k = 0; k < ImageTables::kMirroredCount; ++k) records.push_back(ImageTables::kFirstMirroredRecord + k);
  return records;
}

void LoadAllImages(ImageTables& tables, const std::filesystem::path& pack, platform::ImageDecoder& decoder) {
  {
    std::ifstream in(pack, std::ios::binary);
    if (!in) Fail(pack.string(), 0, "the file cannot be opened");
    CheckPackBudget(in, pack.string(), RecordsLoaded());
  }
  for (int k = 0; k < ImageTables::kScreenCount; ++k) {
    tables.screen[static_cast<std::size_t>(k)].reset();
    tables.screen[static_cast<std::size_t>(k)] = LoadPackImage(pack, ImageTables::kFirstScreenRecord + k, decoder);
  }
  for (int k = 0; k < ImageTables::kSpriteCount; ++k) {
    tables.sprite[static_cast<std::size_t>(k)].reset();
    tables.sprite[static_cast<std::size_t>(k)] = LoadPackImage(pack, k, decoder);
  }
  for (int k = 0; k < ImageTables::kMirroredCount; ++k) {
    auto& slot = tables.mirrored[static_cast<std::size_t>(k)];
    slot.reset();
    // Loaded for its size and key; its pixels are then the mirror of the enemy picture.
    slot = LoadPackImage(pack, ImageTables::kFirstMirroredRecord + k, decoder);
    MirrorSurface(*tables.sprite[static_cast<std::size_t>(ImageTables::kFirstMirroredRecord + k)], *slot);
  }
}

}  // namespace gw::gfx
