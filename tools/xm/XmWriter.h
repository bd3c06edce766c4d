// SPDX-License-Identifier: GPL-3.0-or-later
// Serialises a song as a FastTracker 2 extended module, version 1.04.
#pragma once

#include "Song.h"

#include <cstdint>
#include <vector>

namespace xm {

std::vector<std::uint8_t> writeXm(const Song& song);

}  // namespace xm
