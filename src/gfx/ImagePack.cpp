#include "gfx/ImagePack.h"

#include <fstream>
#include <vector>

#include "gfx/SpriteTransform.h"

namespace gw::gfx {

namespace {

[[noreturn]] void Fail(const std::filesystem::path& pack, int index, const std::string& what) {
  throw PackError("picture pack " + pack.string() + ", record " + std::to_string(index) + ": " + what);
}

std::int32_t ReadLength(std::ifstream& in) {
  unsigned char b[4];
  if (!in.read(reinterpret_cast<char*>(b), 4)) return -1;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                   static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

}  // namespace

HResult CopyBitmapToSurface(Surface* surface, const platform::DecodedImage* bitmap, int x, int y, int width,
                            int height) {
  if (!surface || !bitmap) return kFail;
  surface->Restore();
  if (width == 0) width = bitmap->width;
  if (height == 0) height = bitmap->height;
  if (width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > bitmap->width || y + height > bitmap->height) {
    return kInvalidRect;
  }
  for (int row = 0; row < surface->Height(); ++row) {
    const int sy = y + row * height / surface->Height();
    Pixel* to = surface->Row(row);
    const std::uint32_t* from = bitmap->pixels.data() + static_cast<std::ptrdiff_t>(sy) * bitmap->width;
    for (int col = 0; col < surface->Width(); ++col) to[col] = from[x + col * width / surface->Width()];
  }
  return kOk;
}

HResult SetColorKey(Surface* surface, Pixel colour) {
  if (!surface) return kFail;
  // Our surfaces are always 32-bit 0x00RRGGBB, so the colour is its own pixel value.
  surface->SetColorKey(colour);
  return kOk;
}

std::unique_ptr<Surface> LoadPackImage(const std::filesystem::path& pack, int index, platform::ImageDecoder& decoder) {
  std::ifstream in(pack, std::ios::binary);
  if (!in) Fail(pack, index, "the file cannot be opened");
  for (int skipped = 0; skipped < index; ++skipped) {
    const std::int32_t length = ReadLength(in);
    if (length < 0 || !in.seekg(length, std::ios::cur)) {
      Fail(pack, index, "the file ends at record " + std::to_string(skipped));
    }
  }
  const std::int32_t length = ReadLength(in);
  if (length <= 0) Fail(pack, index, "the file ends before this record");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), length)) {
    Fail(pack, index, "the record is cut short (" + std::to_string(in.gcount()) + " of " + std::to_string(length) +
                          " bytes)");
  }
  std::string error;
  const auto bitmap = decoder.DecodeBmp(bytes, error);
  if (!bitmap) Fail(pack, index, "not a BMP picture (" + error + ")");
  auto surface = std::make_unique<Surface>(bitmap->width, bitmap->height);
  CopyBitmapToSurface(surface.get(), &*bitmap, 0, 0, 0, 0);
  SetColorKey(surface.get(), kColorKey);
  return surface;
}

void LoadAllImages(ImageTables& tables, const std::filesystem::path& pack, platform::ImageDecoder& decoder) {
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
