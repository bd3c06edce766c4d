// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A recorded game: what play took from outside, and the name and country it was entered under: the number of
// frames, the player's fire and quit marks by frame, and the ticks and draws in the order play read them.
// Stored as a version byte and a zlib stream of variable-length numbers.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace gw::game {

inline constexpr std::uint8_t kRecordingVersion = 1;
// Bounds on what a recording may be: stored, inflated, and in frames. A frame is at least 6 ms long, so the
// frame bound is some 14 hours of play, far beyond any game the levels' pace allows in practice.
inline constexpr std::size_t kMaxRecordingBytes = 256 * 1024;
inline constexpr std::size_t kMaxRecordedEventBytes = 32u << 20;
inline constexpr std::uint32_t kMaxRecordedFrames = 8'000'000;

class RecordingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What happens between frames.
enum class Mark : std::uint8_t { Frame = 0, Fire = 1, Quit = 2 };

struct TimedMark {
  std::uint32_t frame;  // the frames played before it
  Mark mark;
  bool operator==(const TimedMark&) const = default;
};

struct Recording {
  std::string name;     // Windows-1251, as entered
  std::string country;  // Windows-1251
  std::uint32_t frames = 0;
  std::vector<TimedMark> marks;
  std::vector<std::uint8_t> values;
};

// Appends events as play goes; ticks are kept as differences from the tick read before.
class RecordingWriter {
 public:
  void Put(Mark mark);
  void PutTick(std::uint32_t tick);
  void PutValue(std::uint32_t value);

  // The recording so far, under a name and a country.
  Recording Take(std::string name, std::string country) const;
  std::uint32_t Frames() const { return frames_; }
  // Past the bounds a recording stops growing and is no longer worth sending.
  bool Overflowed() const { return overflowed_; }

 private:
  void PutNumber(std::uint32_t n);

  std::vector<TimedMark> marks_;
  std::vector<std::uint8_t> values_;
  std::uint32_t lastTick_ = 0;
  std::uint32_t frames_ = 0;
  bool overflowed_ = false;
};

// Reads ticks and draws back in the order they were written; throws RecordingError past the end or on a
// malformed number.
class RecordingReader {
 public:
  explicit RecordingReader(std::span<const std::uint8_t> values) : values_(values) {}

  std::uint32_t Tick();
  std::uint32_t Value();
  bool AtEnd() const { return at_ == values_.size(); }

 private:
  std::span<const std::uint8_t> values_;
  std::size_t at_ = 0;
  std::uint32_t lastTick_ = 0;
};

// The stored form; Decode throws RecordingError naming what is wrong (version, size, damage).
std::vector<std::uint8_t> EncodeRecording(const Recording& recording);
Recording DecodeRecording(std::span<const std::uint8_t> stored);

}  // namespace gw::game
