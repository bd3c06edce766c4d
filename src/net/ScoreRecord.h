// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The submission record: "type=0|name=…|score=…|key=…|p=…|add=…|z=" and "0"s up to a multiple of 5 bytes.
// Texts are Windows-1251 and go out unescaped, as the server expects them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gw::net {

struct ScoreRecord {
  std::string name;
  std::int32_t score = 0;
  char key = 'A';
  std::string p;  // the field the server's first reply gave
  std::string country;
};

// The record's text with its padding.
std::string BuildRecord(const ScoreRecord& record);

// The record as the second request carries it.
std::string EncodeRecord(const ScoreRecord& record);

// The server's reading of a record text. Names and countries are not escaped, so the fixed middle part
// (score, key, p) is found from the left and the padding from the right; nothing when the text does not
// have the record's shape.
std::optional<ScoreRecord> ParseRecord(std::string_view text);

}  // namespace gw::net
