// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A recorded game: the ticket of the seed it was dealt, the number of frames, and the player's fire and quit marks
// by frame. Nothing else decides play (see game/Luck.h), so nothing else is kept: no draws, no clock, no name.
// Stored as a version byte and variable-length numbers, a few hundred bytes for a game of five levels.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace gw::game {

inline constexpr std::uint8_t kRecordingVersion = 2;
// The first form carried every draw and tick of its game, so the sender chose its luck and its clock.
inline constexpr std::uint8_t kOldRecordingVersion = 1;
// Bounds on what a recording may be: stored, and in frames. A frame is 1/64 s, so the frame bound is some 34 hours
// of play, far beyond any game the levels' pace allows in practice; at most one shot a frame, and a shot takes
// dozens of frames, so the byte bound holds any real game.
inline constexpr std::size_t kMaxRecordingBytes = 64 * 1024;
inline constexpr std::uint32_t kMaxRecordedFrames = 8'000'000;
inline constexpr std::size_t kMaxTicketBytes = 128;

class RecordingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A recording of the first form: readable as such, never playable.
class OldFormRecording : public RecordingError {
 public:
  using RecordingError::RecordingError;
};

// What the player does between frames.
enum class Mark : std::uint8_t { Fire = 1, Quit = 2 };

struct TimedMark {
  std::uint32_t frame;  // the frames played before it
  Mark mark;
  bool operator==(const TimedMark&) const = default;
};

struct Recording {
  std::string ticket;  // the score server's id of the dealt seed; empty for a game on its own luck
  // The seed itself: known to the server from the ticket, and kept in the recordings it shows so that anyone can
  // watch them; a seed that comes with a recording sent for verifying is never used.
  std::optional<std::uint64_t> seed;
  std::uint32_t frames = 0;
  std::vector<TimedMark> marks;
  bool operator==(const Recording&) const = default;
};

// Appends marks as play goes.
class RecordingWriter {
 public:
  void Frame();
  void Put(Mark mark);

  Recording Take(std::string ticket, std::optional<std::uint64_t> seed) const;
  std::uint32_t Frames() const { return frames_; }
  // Past the bounds a recording stops growing and is no longer worth sending.
  bool Overflowed() const { return overflowed_; }

 private:
  std::vector<TimedMark> marks_;
  std::uint32_t frames_ = 0;
  bool overflowed_ = false;
};

// The stored form; Decode throws RecordingError naming what is wrong (version, size, damage), OldFormRecording for
// a recording of the first form.
std::vector<std::uint8_t> EncodeRecording(const Recording& recording);
Recording DecodeRecording(std::span<const std::uint8_t> stored);

}  // namespace gw::game
