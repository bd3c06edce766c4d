// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/ScoreRecord.h"

#include <charconv>

#include "net/ScoreCodec.h"

namespace gw::net {

namespace {

constexpr std::string_view kHead = "type=0|name=";
constexpr std::string_view kScore = "|score=";
constexpr std::string_view kKey = "|key=";
constexpr std::string_view kP = "|p=";
constexpr std::string_view kAdd = "|add=";
constexpr std::string_view kTail = "|z=";
constexpr std::size_t kBlock = 5;

bool Eat(std::string_view text, std::size_t& at, std::string_view part) {
  if (text.substr(at, part.size()) != part) return false;
  at += part.size();
  return true;
}

// Reads "|score=N|key=K|p=P|add=" at `at`; on success `at` ends after it.
bool ReadMiddle(std::string_view text, std::size_t& at, ScoreRecord& r) {
  if (!Eat(text, at, kScore)) return false;
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, r.score);
  if (ec != std::errc() || end == first) return false;
  at += static_cast<std::size_t>(end - first);
  if (!Eat(text, at, kKey) || at >= text.size()) return false;
  r.key = text[at++];
  if (r.key < 'A' || r.key > 'Z' || !Eat(text, at, kP)) return false;
  const std::size_t bar = text.find('|', at);
  if (bar == std::string_view::npos) return false;
  r.p = std::string(text.substr(at, bar - at));
  at = bar;
  return Eat(text, at, kAdd);
}

}  // namespace

std::string BuildRecord(const ScoreRecord& r) {
  std::string text;
  text.reserve(64 + r.name.size() + r.p.size() + r.country.size());
  text.append(kHead).append(r.name);
  text.append(kScore).append(std::to_string(r.score));
  text.append(kKey).push_back(r.key);
  text.append(kP).append(r.p);
  text.append(kAdd).append(r.country);
  text.append(kTail);
  while (text.size() % kBlock != 0) text.push_back('0');
  return text;
}

std::string EncodeRecord(const ScoreRecord& record) { return BitsToLetters(BytesToBits(BuildRecord(record))); }

std::optional<ScoreRecord> ParseRecord(std::string_view text) {
  if (text.size() % kBlock != 0 || !text.starts_with(kHead)) return std::nullopt;
  // The padding: "|z=" and at most four "0"s end the text.
  const std::size_t tail = text.rfind(kTail);
  if (tail == std::string_view::npos) return std::nullopt;
  const std::string_view zeros = text.substr(tail + kTail.size());
  if (zeros.size() >= kBlock || zeros.find_first_not_of('0') != std::string_view::npos) return std::nullopt;

  ScoreRecord r;
  for (std::size_t bar = text.find(kScore, kHead.size()); bar != std::string_view::npos && bar < tail;
       bar = text.find(kScore, bar + 1)) {
    std::size_t at = bar;
    if (!ReadMiddle(text, at, r) || at > tail) continue;
    r.name = std::string(text.substr(kHead.size(), bar - kHead.size()));
    r.country = std::string(text.substr(at, tail - at));
    return r;
  }
  return std::nullopt;
}

}  // namespace gw::net
