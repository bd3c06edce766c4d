// SPDX-License-Identifier: GPL-3.0-or-later
// The in-memory song the composer builds from a score and writes as an XM module.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xm {

// One point of a volume envelope: x in ticks, y in 0..64.
struct EnvelopePoint {
  std::uint16_t tick = 0;
  std::uint16_t level = 0;
};

struct Envelope {
  std::vector<EnvelopePoint> points;  // empty: no envelope, the sample plays at its own level
  int sustain = -1;                   // index of the point held until key-off, or -1
  int loopStart = -1;                 // indices of a looped stretch, or -1
  int loopEnd = -1;
};

// Auto-vibrato of an instrument, in the tracker's own units.
struct Vibrato {
  std::uint8_t type = 0;  // 0 sine, 1 square, 2 ramp down, 3 ramp up
  std::uint8_t sweep = 0;
  std::uint8_t depth = 0;
  std::uint8_t rate = 0;
};

// Sixteen-bit mono sample with the tuning that makes the note C-4 sound middle C.
struct Sample {
  std::vector<std::int16_t> pcm;
  std::uint32_t loopStart = 0;   // in sample frames
  std::uint32_t loopLength = 0;  // 0: plays once
  std::int8_t relativeNote = 0;
  std::int8_t fineTune = 0;
};

struct Instrument {
  std::string name;
  Sample sample;
  std::uint8_t volume = 48;   // 0..64
  std::uint8_t panning = 128; // 0..255
  Envelope envelope;
  std::uint16_t fadeout = 0;
  Vibrato vibrato;
};

// One cell as the tracker stores it: 0 in a field means "nothing here".
struct Cell {
  std::uint8_t note = 0;        // 1..96, 97 key-off
  std::uint8_t instrument = 0;  // 1-based
  std::uint8_t volume = 0;      // volume column byte (0x10 + level for a set volume)
  std::uint8_t effect = 0;
  std::uint8_t param = 0;

  bool empty() const { return note == 0 && instrument == 0 && volume == 0 && effect == 0 && param == 0; }
};

inline constexpr std::uint8_t KeyOff = 97;

struct Pattern {
  std::string name;
  int rows = 64;
  std::vector<Cell> cells;  // rows x channels, row-major
};

struct Song {
  std::string title;
  int speed = 6;
  int bpm = 125;
  int channels = 8;
  int restart = 0;
  std::vector<Instrument> instruments;
  std::vector<Pattern> patterns;
  std::vector<std::uint8_t> order;
};

}  // namespace xm
