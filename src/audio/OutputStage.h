// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The last step of the mix. The song and the effects are summed with headroom, so that several loud sounds at
// once never saturate on the way; this stage brings the sum back up to its real level and holds every peak at or
// below its ceiling: the gain drops at once where a peak would pass it and recovers smoothly afterwards.

#include <cstdint>
#include <span>

namespace gw::audio {

class OutputStage {
 public:
  // makeup: the gain that undoes the headroom; ceiling: the highest sample level let out (of 32767);
  // releaseFrames: about how many frames the gain takes to come back after a peak.
  OutputStage(double makeup, double ceiling, double releaseFrames);

  // Interleaved 16-bit frames of `channels` samples, in place. The channels share one gain, so a peak on one
  // side does not move the stereo picture.
  void Process(std::span<std::int16_t> samples, int channels);

  double Gain() const { return gain_; }

 private:
  double makeup_;
  double ceiling_;
  double release_;
  double gain_ = 1.0;
};

}  // namespace gw::audio
