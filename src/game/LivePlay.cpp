// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/LivePlay.h"

namespace gw::game {

std::uint32_t LivePlay::Tick() {
  const std::uint32_t tick = clock_.TickCount();
  recorded_.PutTick(tick);
  return tick;
}

std::uint32_t LivePlay::Draw(std::uint32_t n) {
  const std::uint32_t value = random_.Below(n);
  recorded_.PutValue(value);
  return value;
}

bool LivePlay::DrawAtLeast(std::uint32_t n, std::uint32_t bound) {
  const bool atLeast = random_.Below(n) >= bound;
  recorded_.PutValue(atLeast ? 1 : 0);
  return atLeast;
}

bool LivePlay::DrawIs(std::uint32_t n, std::uint32_t value) {
  const bool is = random_.Below(n) == value;
  recorded_.PutValue(is ? 1 : 0);
  return is;
}

}  // namespace gw::game
