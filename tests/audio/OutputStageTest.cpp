// SPDX-License-Identifier: GPL-3.0-or-later
// The last step of the mix: the headroom undone exactly while nothing is loud, every peak held at the ceiling,
// the stereo picture kept, and the gain coming back after a peak at its release pace.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/OutputStage.h"
#include "support/Pcm.h"

namespace gw::audio {
namespace {

constexpr double kCeiling = 29204.0;
constexpr double kRelease = 2646.0;

// Interleaved stereo: a sine of `left` amplitude on the left and `right` on the right.
std::vector<std::int16_t> Sine(std::size_t frames, double left, double right) {
  std::vector<std::int16_t> pcm;
  for (std::size_t i = 0; i < frames; ++i) {
    const double s = std::sin(2.0 * 3.141592653589793 * 440.0 * static_cast<double>(i) / 44100.0);
    pcm.push_back(static_cast<std::int16_t>(std::lround(left * s)));
    pcm.push_back(static_cast<std::int16_t>(std::lround(right * s)));
  }
  return pcm;
}

using test::Peak;

TEST(OutputStage, BelowTheCeilingOnlyTheHeadroomIsUndone) {
  OutputStage stage(2.0, kCeiling, kRelease);
  const std::vector<std::int16_t> in = Sine(4410, 14000.0, -7000.0);
  std::vector<std::int16_t> out = in;
  stage.Process(out, 2);
  for (std::size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i], 2 * in[i]) << i;
  EXPECT_EQ(stage.Gain(), 1.0);
}

TEST(OutputStage, PeaksStayAtTheCeilingOnBothSidesAlike) {
  OutputStage stage(2.0, kCeiling, kRelease);
  // Saturated input: twice full scale after the makeup.
  const std::vector<std::int16_t> in = Sine(4410, 32767.0, 8000.0);
  std::vector<std::int16_t> out = in;
  stage.Process(out, 2);
  EXPECT_LE(Peak(out), static_cast<int>(kCeiling));
  EXPECT_GT(Peak(out), static_cast<int>(kCeiling) - 200) << "the loud part still reaches the ceiling";
  // One gain for both channels: the quieter side keeps its share of the louder one.
  for (std::size_t i = 2000; i < in.size(); i += 2) {
    if (std::abs(in[i]) < 4000) continue;
    EXPECT_NEAR(static_cast<double>(out[i + 1]) / out[i], static_cast<double>(in[i + 1]) / in[i], 0.01) << i;
  }
}

TEST(OutputStage, TheGainComesBackAtItsReleasePace) {
  OutputStage stage(2.0, kCeiling, kRelease);
  std::vector<std::int16_t> loud = Sine(2000, 32767.0, 32767.0);
  stage.Process(loud, 2);
  const double held = stage.Gain();
  EXPECT_LT(held, 0.5);

  std::vector<std::int16_t> quiet = Sine(static_cast<std::size_t>(kRelease), 1000.0, 1000.0);
  stage.Process(quiet, 2);
  // One release time closes about 63 % of the gap, five nearly all of it.
  EXPECT_NEAR(stage.Gain(), 1.0 - (1.0 - held) * std::exp(-1.0), 0.01);
  quiet = Sine(static_cast<std::size_t>(4 * kRelease), 1000.0, 1000.0);
  stage.Process(quiet, 2);
  EXPECT_GT(stage.Gain(), 0.99);
}

}  // namespace
}  // namespace gw::audio
