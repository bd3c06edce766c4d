// SPDX-License-Identifier: GPL-3.0-or-later
#include "RiffWave.h"

#include <string_view>
#include <utility>

namespace gw::sfx {

namespace {

class ByteWriter {
 public:
  void Tag(std::string_view fourCc) {
    for (const char c : fourCc) bytes_.push_back(static_cast<std::uint8_t>(c));
  }
  void U16(std::uint32_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFFu);
    U16(v >> 16);
  }
  void Bytes(std::span<const std::uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::vector<std::uint8_t> MakeRiffWave(std::span<const std::uint8_t> pcm, std::uint32_t sampleRate) {
  constexpr std::uint32_t kFormatChunkSize = 16;
  constexpr std::uint32_t kPcm = 1;
  constexpr std::uint32_t kChannels = 1;
  constexpr std::uint32_t kBitsPerSample = 8;
  constexpr std::uint32_t kBlockAlign = kChannels * kBitsPerSample / 8;

  const auto dataSize = static_cast<std::uint32_t>(pcm.size());
  const std::uint32_t pad = dataSize & 1u;

  ByteWriter w;
  w.Tag("RIFF");
  w.U32(4 + (8 + kFormatChunkSize) + (8 + dataSize + pad));
  w.Tag("WAVE");
  w.Tag("fmt ");
  w.U32(kFormatChunkSize);
  w.U16(kPcm);
  w.U16(kChannels);
  w.U32(sampleRate);
  w.U32(sampleRate * kBlockAlign);
  w.U16(kBlockAlign);
  w.U16(kBitsPerSample);
  w.Tag("data");
  w.U32(dataSize);
  w.Bytes(pcm);
  if (pad != 0) w.Bytes(std::vector<std::uint8_t>{0});
  return w.Take();
}

}  // namespace gw::sfx
