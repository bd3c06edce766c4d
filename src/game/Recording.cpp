// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Recording.h"

namespace gw::game {

namespace {

constexpr std::uint8_t kHasSeed = 1;

void PutVarint(std::vector<std::uint8_t>& out, std::uint32_t n) {
  while (n >= 0x80) {
    out.push_back(static_cast<std::uint8_t>(n | 0x80));
    n >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(n));
}

// Reads the stored form front to back, refusing whatever runs past its end or is not a number.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}

  std::uint8_t Byte() {
    if (at_ >= in_.size()) throw RecordingError("the recording is cut short");
    return in_[at_++];
  }
  std::uint32_t Varint() {
    std::uint32_t n = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      const std::uint8_t b = Byte();
      if (shift == 28 && b > 0x0F) break;
      n |= static_cast<std::uint32_t>(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return n;
    }
    throw RecordingError("the recording holds a malformed number");
  }
  std::size_t Left() const { return in_.size() - at_; }

 private:
  std::span<const std::uint8_t> in_;
  std::size_t at_ = 0;
};

// Ticket ids are the server's: short and printable, so one can go into a log line or a URL as it stands.
bool PlainTicket(const std::string& ticket) {
  if (ticket.size() > kMaxTicketBytes) return false;
  for (const char c : ticket) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

}  // namespace

void RecordingWriter::Frame() {
  if (++frames_ > kMaxRecordedFrames) overflowed_ = true;
}

void RecordingWriter::Put(Mark mark) {
  // Each mark takes a byte at least: more than the stored bound allows is no game worth sending.
  if (marks_.size() >= kMaxRecordingBytes) {
    overflowed_ = true;
    return;
  }
  marks_.push_back({frames_, mark});
}

Recording RecordingWriter::Take(std::string ticket, std::optional<std::uint64_t> seed) const {
  return {std::move(ticket), seed, frames_, marks_};
}

std::vector<std::uint8_t> EncodeRecording(const Recording& recording) {
  if (!PlainTicket(recording.ticket)) throw RecordingError("the ticket is not one a server deals");
  if (recording.frames > kMaxRecordedFrames) throw RecordingError("the recording is too long");
  std::vector<std::uint8_t> out{kRecordingVersion};
  PutVarint(out, static_cast<std::uint32_t>(recording.ticket.size()));
  out.insert(out.end(), recording.ticket.begin(), recording.ticket.end());
  out.push_back(recording.seed ? kHasSeed : 0);
  if (recording.seed) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(*recording.seed >> (8 * i)));
  }
  PutVarint(out, recording.frames);
  PutVarint(out, static_cast<std::uint32_t>(recording.marks.size()));
  std::uint32_t frame = 0;
  for (const TimedMark& m : recording.marks) {
    if (m.frame < frame || m.frame > recording.frames) throw RecordingError("the recording's marks are out of order");
    // The step since the last mark, and in its lowest bit whether this one is the quit.
    PutVarint(out, (m.frame - frame) << 1 | (m.mark == Mark::Quit ? 1u : 0u));
    frame = m.frame;
  }
  if (out.size() > kMaxRecordingBytes) throw RecordingError("the recording is too large");
  return out;
}

Recording DecodeRecording(std::span<const std::uint8_t> stored) {
  if (stored.empty()) throw RecordingError("the recording is empty");
  if (stored.size() > kMaxRecordingBytes) throw RecordingError("the recording is too large");
  if (stored[0] == kOldRecordingVersion) {
    throw OldFormRecording("the recording is of the old form, which carried its own luck: it can no longer be played");
  }
  if (stored[0] != kRecordingVersion) throw RecordingError("the recording's version is unknown");
  Reader in(stored.subspan(1));
  Recording recording;
  const std::uint32_t ticketBytes = in.Varint();
  if (ticketBytes > kMaxTicketBytes || ticketBytes > in.Left()) throw RecordingError("the recording's ticket is damaged");
  for (std::uint32_t i = 0; i < ticketBytes; ++i) recording.ticket.push_back(static_cast<char>(in.Byte()));
  if (!PlainTicket(recording.ticket)) throw RecordingError("the recording's ticket is damaged");
  const std::uint8_t flags = in.Byte();
  if ((flags & ~kHasSeed) != 0) throw RecordingError("the recording is damaged");
  if (flags & kHasSeed) {
    std::uint64_t seed = 0;
    for (int i = 0; i < 8; ++i) seed |= static_cast<std::uint64_t>(in.Byte()) << (8 * i);
    recording.seed = seed;
  }
  recording.frames = in.Varint();
  if (recording.frames > kMaxRecordedFrames) throw RecordingError("the recording is too long");
  const std::uint32_t marks = in.Varint();
  // A mark takes a byte at least: a count beyond what is left is damage, not a reason to reserve memory.
  if (marks > in.Left()) throw RecordingError("the recording is damaged");
  recording.marks.reserve(marks);
  std::uint32_t frame = 0;
  for (std::uint32_t i = 0; i < marks; ++i) {
    const std::uint32_t step = in.Varint();
    if (step >> 1 > recording.frames - frame) throw RecordingError("the recording has marks after its last frame");
    frame += step >> 1;
    recording.marks.push_back({frame, (step & 1) != 0 ? Mark::Quit : Mark::Fire});
  }
  if (in.Left() != 0) throw RecordingError("the recording has bytes after its end");
  return recording;
}

}  // namespace gw::game
