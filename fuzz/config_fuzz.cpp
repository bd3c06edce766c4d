// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file reader on any bytes: it either refuses them with a reason, or what it read writes back as
// the very bytes it read (the flags as 1 or 0, nothing after the tenth entry), and that file reads the same again.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "store/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  std::string error;
  const auto config = gw::store::DecodeConfig(bytes, error);
  if (!config) {
    if (error.empty()) std::abort();
    return 0;
  }
  const std::vector<std::uint8_t> written = gw::store::EncodeConfig(config->options, config->hiScores);
  if (written.size() > bytes.size()) std::abort();
  // A flag reads as set only when it is exactly 1, and is written back as 1 or 0.
  std::vector<std::uint8_t> read(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(written.size()));
  for (std::size_t flag = 0; flag < 3; ++flag) read[flag] = read[flag] == 1 ? 1 : 0;
  if (written != read) std::abort();

  const auto again = gw::store::DecodeConfig(written, error);
  if (!again || gw::store::EncodeConfig(again->options, again->hiScores) != written) std::abort();
  return 0;
}
