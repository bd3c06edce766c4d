// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file reader on any bytes: it either refuses them with a reason or gives a table that writes
// back as the same settings.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "store/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  std::string error;
  const auto config = gw::store::DecodeConfig(bytes, error);
  if (!config) {
    if (error.empty()) std::abort();
    return 0;
  }
  const auto again = gw::store::DecodeConfig(gw::store::EncodeConfig(config->options, config->hiScores), error);
  if (!again || again->options.Country != config->options.Country || again->options.Music != config->options.Music ||
      again->hiScores[9].Name != config->hiScores[9].Name || again->hiScores[9].Score != config->hiScores[9].Score) {
    std::abort();
  }
  return 0;
}
