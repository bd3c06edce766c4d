// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmWriter.h"

#include <algorithm>
#include <string_view>

namespace xm {
namespace {

constexpr std::uint32_t HeaderSize = 276;            // from the header-size field to the end of the order table
constexpr std::uint32_t PatternHeaderSize = 9;
constexpr std::uint32_t InstrumentHeaderSize = 263;  // with samples: includes the 22 reserved bytes
constexpr std::uint32_t SampleHeaderSize = 40;
constexpr std::uint8_t Sixteen = 0x10;               // sample type bit: 16-bit data
constexpr std::uint8_t ForwardLoop = 0x01;

class Bytes {
 public:
  void u8(std::uint8_t v) { data_.push_back(v); }
  void u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v & 0xFF));
    u8(static_cast<std::uint8_t>(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v & 0xFFFF));
    u16(static_cast<std::uint16_t>(v >> 16));
  }
  // Fixed-width text field, padded with zeros (FT2 pads with spaces or zeros; both load).
  void text(std::string_view s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void zeros(std::size_t n) { data_.insert(data_.end(), n, 0); }
  void append(const std::vector<std::uint8_t>& more) { data_.insert(data_.end(), more.begin(), more.end()); }
  std::size_t size() const { return data_.size(); }
  std::vector<std::uint8_t> take() { return std::move(data_); }

 private:
  std::vector<std::uint8_t> data_;
};

// A cell is either all five bytes, or a flag byte naming the fields that follow.
std::vector<std::uint8_t> packPattern(const Pattern& p) {
  std::vector<std::uint8_t> out;
  for (const Cell& c : p.cells) {
    const bool full = c.note && c.instrument && c.volume && c.effect && c.param;
    if (full) {
      out.insert(out.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
      continue;
    }
    std::uint8_t flags = 0x80;
    if (c.note) flags |= 0x01;
    if (c.instrument) flags |= 0x02;
    if (c.volume) flags |= 0x04;
    if (c.effect) flags |= 0x08;
    if (c.param) flags |= 0x10;
    out.push_back(flags);
    for (auto [present, value] : {std::pair{c.note != 0, c.note}, {c.instrument != 0, c.instrument},
                                  {c.volume != 0, c.volume}, {c.effect != 0, c.effect}, {c.param != 0, c.param}})
      if (present) out.push_back(value);
  }
  return out;
}

void writeEnvelope(Bytes& b, const Envelope& e) {
  for (std::size_t i = 0; i < 12; ++i) {
    b.u16(i < e.points.size() ? e.points[i].tick : 0);
    b.u16(i < e.points.size() ? e.points[i].level : 0);
  }
}

void writeInstrument(Bytes& b, const Instrument& ins) {
  b.u32(InstrumentHeaderSize);
  b.text(ins.name, 22);
  b.u8(0);   // type
  b.u16(1);  // one sample
  b.u32(SampleHeaderSize);
  b.zeros(96);  // every note plays sample 0
  writeEnvelope(b, ins.envelope);
  writeEnvelope(b, Envelope{});  // no panning envelope
  const Envelope& e = ins.envelope;
  b.u8(static_cast<std::uint8_t>(e.points.size()));
  b.u8(0);
  b.u8(static_cast<std::uint8_t>(std::max(e.sustain, 0)));
  b.u8(static_cast<std::uint8_t>(std::max(e.loopStart, 0)));
  b.u8(static_cast<std::uint8_t>(std::max(e.loopEnd, 0)));
  b.zeros(3);  // panning sustain and loop
  std::uint8_t volumeType = 0;
  if (!e.points.empty()) volumeType |= 0x01;
  if (!e.points.empty() && e.sustain >= 0) volumeType |= 0x02;
  if (!e.points.empty() && e.loopStart >= 0) volumeType |= 0x04;
  b.u8(volumeType);
  b.u8(0);  // panning envelope off
  b.u8(ins.vibrato.type);
  b.u8(ins.vibrato.sweep);
  b.u8(ins.vibrato.depth);
  b.u8(ins.vibrato.rate);
  b.u16(ins.fadeout);
  b.zeros(22);  // reserved

  // Sample header: lengths in bytes, two per 16-bit frame.
  const Sample& s = ins.sample;
  b.u32(static_cast<std::uint32_t>(s.pcm.size() * 2));
  b.u32(s.loopStart * 2);
  b.u32(s.loopLength * 2);
  b.u8(ins.volume);
  b.u8(static_cast<std::uint8_t>(s.fineTune));
  b.u8(static_cast<std::uint8_t>(Sixteen | (s.loopLength ? ForwardLoop : 0)));
  b.u8(ins.panning);
  b.u8(static_cast<std::uint8_t>(s.relativeNote));
  b.u8(0);
  b.text(ins.name, 22);

  // Sample data: each frame as the difference from the one before.
  std::int16_t previous = 0;
  for (std::int16_t v : s.pcm) {
    b.u16(static_cast<std::uint16_t>(static_cast<std::uint16_t>(v) - static_cast<std::uint16_t>(previous)));
    previous = v;
  }
}

}  // namespace

std::vector<std::uint8_t> writeXm(const Song& song) {
  Bytes b;
  b.text("Extended Module: ", 17);
  b.text(song.title, 20);
  b.u8(0x1A);
  b.text("gw_xmcompose", 20);
  b.u16(0x0104);
  b.u32(HeaderSize);
  b.u16(static_cast<std::uint16_t>(song.order.size()));
  b.u16(static_cast<std::uint16_t>(song.restart));
  b.u16(static_cast<std::uint16_t>(song.channels));
  b.u16(static_cast<std::uint16_t>(song.patterns.size()));
  b.u16(static_cast<std::uint16_t>(song.instruments.size()));
  b.u16(1);  // linear frequency table
  b.u16(static_cast<std::uint16_t>(song.speed));
  b.u16(static_cast<std::uint16_t>(song.bpm));
  for (std::size_t i = 0; i < 256; ++i) b.u8(i < song.order.size() ? song.order[i] : 0);

  for (const Pattern& p : song.patterns) {
    const std::vector<std::uint8_t> packed = packPattern(p);
    b.u32(PatternHeaderSize);
    b.u8(0);  // packing type
    b.u16(static_cast<std::uint16_t>(p.rows));
    b.u16(static_cast<std::uint16_t>(packed.size()));
    b.append(packed);
  }
  for (const Instrument& ins : song.instruments) writeInstrument(b, ins);
  return b.take();
}

}  // namespace xm
