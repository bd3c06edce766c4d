// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Recording.h"

#include <zlib.h>

#include <array>
#include <memory>

namespace gw::game {

namespace {

constexpr std::size_t kMaxTextBytes = 255;

void PutVarint(std::vector<std::uint8_t>& out, std::uint32_t n) {
  while (n >= 0x80) {
    out.push_back(static_cast<std::uint8_t>(n | 0x80));
    n >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(n));
}

// Small differences either way stay small: 0, -1, 1, -2 ... become 0, 1, 2, 3 ...
std::uint32_t ZigZag(std::uint32_t difference) {
  const auto d = static_cast<std::int32_t>(difference);
  return (static_cast<std::uint32_t>(d) << 1) ^ static_cast<std::uint32_t>(d >> 31);
}
std::uint32_t UnZigZag(std::uint32_t z) { return (z >> 1) ^ (0u - (z & 1)); }

std::uint32_t ReadVarint(std::span<const std::uint8_t> in, std::size_t& at) {
  std::uint32_t n = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    if (at >= in.size()) throw RecordingError("the recording ends before play does");
    const std::uint8_t b = in[at++];
    if (shift == 28 && b > 0x0F) throw RecordingError("the recording holds a malformed number");
    n |= static_cast<std::uint32_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return n;
  }
  throw RecordingError("the recording holds a malformed number");
}

std::string ReadText(std::span<const std::uint8_t> in, std::size_t& at) {
  const std::uint32_t length = ReadVarint(in, at);
  if (length > kMaxTextBytes || length > in.size() - at) throw RecordingError("the recording's name is damaged");
  std::string text(in.begin() + static_cast<std::ptrdiff_t>(at), in.begin() + static_cast<std::ptrdiff_t>(at + length));
  at += length;
  return text;
}

struct InflateEnd {
  void operator()(z_stream* s) const { inflateEnd(s); }
};

}  // namespace

void RecordingWriter::PutNumber(std::uint32_t n) {
  if (overflowed_) return;
  if (values_.size() + 5 > kMaxRecordedEventBytes) {
    overflowed_ = true;
    return;
  }
  PutVarint(values_, n);
}

void RecordingWriter::Put(Mark mark) {
  if (mark == Mark::Frame) {
    if (++frames_ > kMaxRecordedFrames) overflowed_ = true;
    return;
  }
  if (marks_.size() >= kMaxRecordedEventBytes / 8) {
    overflowed_ = true;
    return;
  }
  marks_.push_back({frames_, mark});
}

void RecordingWriter::PutTick(std::uint32_t tick) {
  PutNumber(ZigZag(tick - lastTick_));
  lastTick_ = tick;
}

void RecordingWriter::PutValue(std::uint32_t value) { PutNumber(value); }

Recording RecordingWriter::Take(std::string name, std::string country) const {
  return {std::move(name), std::move(country), frames_, marks_, values_};
}

std::uint32_t RecordingReader::Tick() {
  lastTick_ += UnZigZag(ReadVarint(values_, at_));
  return lastTick_;
}

std::uint32_t RecordingReader::Value() { return ReadVarint(values_, at_); }

std::vector<std::uint8_t> EncodeRecording(const Recording& recording) {
  if (recording.name.size() > kMaxTextBytes || recording.country.size() > kMaxTextBytes) {
    throw RecordingError("the name or the country is too long");
  }
  std::vector<std::uint8_t> plain;
  plain.reserve(recording.values.size() + 4 * recording.marks.size() + 32);
  PutVarint(plain, static_cast<std::uint32_t>(recording.name.size()));
  plain.insert(plain.end(), recording.name.begin(), recording.name.end());
  PutVarint(plain, static_cast<std::uint32_t>(recording.country.size()));
  plain.insert(plain.end(), recording.country.begin(), recording.country.end());
  PutVarint(plain, recording.frames);
  PutVarint(plain, static_cast<std::uint32_t>(recording.marks.size()));
  std::uint32_t frame = 0;
  for (const TimedMark& m : recording.marks) {
    if (m.frame < frame) throw RecordingError("the recording's marks are out of order");
    PutVarint(plain, m.frame - frame);
    PutVarint(plain, static_cast<std::uint32_t>(m.mark));
    frame = m.frame;
  }
  plain.insert(plain.end(), recording.values.begin(), recording.values.end());

  uLongf size = compressBound(static_cast<uLong>(plain.size()));
  std::vector<std::uint8_t> stored(1 + size);
  stored[0] = kRecordingVersion;
  if (compress2(stored.data() + 1, &size, plain.data(), static_cast<uLong>(plain.size()), Z_BEST_COMPRESSION) != Z_OK) {
    throw RecordingError("the recording could not be compressed");
  }
  stored.resize(1 + size);
  return stored;
}

Recording DecodeRecording(std::span<const std::uint8_t> stored) {
  if (stored.empty()) throw RecordingError("the recording is empty");
  if (stored.size() > kMaxRecordingBytes) throw RecordingError("the recording is too large");
  if (stored[0] != kRecordingVersion) throw RecordingError("the recording's version is unknown");

  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) throw RecordingError("the recording could not be inflated");
  const std::unique_ptr<z_stream, InflateEnd> guard(&zs);
  zs.next_in = const_cast<Bytef*>(stored.data() + 1);  // zlib's input is not written to
  zs.avail_in = static_cast<uInt>(stored.size() - 1);
  constexpr std::size_t kLimit = kMaxRecordedEventBytes + 2 * (kMaxTextBytes + 2);
  std::vector<std::uint8_t> plain;
  std::array<std::uint8_t, 64 * 1024> chunk{};
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    zs.next_out = chunk.data();
    zs.avail_out = static_cast<uInt>(chunk.size());
    status = inflate(&zs, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) throw RecordingError("the recording is damaged");
    const std::size_t produced = chunk.size() - zs.avail_out;
    if (plain.size() + produced > kLimit) throw RecordingError("the recording is too long");
    plain.insert(plain.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(produced));
    if (status == Z_OK && produced == 0 && zs.avail_in == 0) throw RecordingError("the recording is cut short");
  }
  if (zs.avail_in != 0) throw RecordingError("the recording has bytes after its end");

  Recording recording;
  std::size_t at = 0;
  recording.name = ReadText(plain, at);
  recording.country = ReadText(plain, at);
  recording.frames = ReadVarint(plain, at);
  if (recording.frames > kMaxRecordedFrames) throw RecordingError("the recording is too long");
  const std::uint32_t marks = ReadVarint(plain, at);
  // Each mark takes two bytes at least: a count beyond that is damage, not a reason to reserve memory.
  if (marks > (plain.size() - at) / 2) throw RecordingError("the recording is damaged");
  recording.marks.reserve(marks);
  std::uint32_t frame = 0;
  for (std::uint32_t i = 0; i < marks; ++i) {
    const std::uint32_t step = ReadVarint(plain, at);
    const std::uint32_t mark = ReadVarint(plain, at);
    if (step > recording.frames - frame) throw RecordingError("the recording has marks after its last frame");
    if (mark != static_cast<std::uint32_t>(Mark::Fire) && mark != static_cast<std::uint32_t>(Mark::Quit)) {
      throw RecordingError("the recording holds an unknown event");
    }
    frame += step;
    recording.marks.push_back({frame, static_cast<Mark>(mark)});
  }
  recording.values.assign(plain.begin() + static_cast<std::ptrdiff_t>(at), plain.end());
  return recording;
}

}  // namespace gw::game
