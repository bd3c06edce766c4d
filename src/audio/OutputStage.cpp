// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/OutputStage.h"

#include <algorithm>
#include <cmath>

namespace gw::audio {

OutputStage::OutputStage(double makeup, double ceiling, double releaseFrames)
    : makeup_(makeup), ceiling_(ceiling), release_(1.0 - std::exp(-1.0 / std::max(1.0, releaseFrames))) {}

void OutputStage::Process(std::span<std::int16_t> samples, int channels) {
  const auto width = static_cast<std::size_t>(std::max(1, channels));
  for (std::size_t frame = 0; frame + width <= samples.size(); frame += width) {
    double loudest = 0.0;
    for (std::size_t c = 0; c < width; ++c) loudest = std::max(loudest, std::abs(samples[frame + c] * makeup_));
    // The most this frame may have, and the gain easing back towards full from wherever the last peak left it.
    const double allowed = loudest > ceiling_ ? ceiling_ / loudest : 1.0;
    gain_ = std::min(allowed, gain_ + (1.0 - gain_) * release_);
    for (std::size_t c = 0; c < width; ++c) {
      samples[frame + c] = static_cast<std::int16_t>(std::lround(samples[frame + c] * makeup_ * gain_));
    }
  }
}

}  // namespace gw::audio
