// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Building blocks for the effect generator: a fixed-seed noise source, gliding oscillators, envelopes, filters and
// the final conversion to 8-bit PCM. Everything is plain double-precision arithmetic on sample buffers, and nothing
// reads the clock or the system's entropy, so every build produces the same bytes.

#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

namespace gw::sfx {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Signal = std::vector<double>;

// Frequency of a MIDI note number (69 is A4, 440 Hz); fractional notes bend in between.
double NoteHz(double note);

// Multiplier for a pitch offset in cents.
double Cents(double cents);

// Sine of a phase given in cycles.
double SineOf(double cycles);

// 0 below edge0, 1 above edge1, a smooth S-curve between.
double SmoothStep(double edge0, double edge1, double x);

// A raised-cosine rise over `attack` seconds followed by an exponential decay with time constant `decay`.
double AttackDecay(double t, double attack, double decay);

// Deterministic xorshift noise; each sound owns one with its own seed.
class Noise {
 public:
  explicit Noise(std::uint64_t seed);
  double Uniform();                  // [0, 1)
  double Bipolar();                  // [-1, 1)
  double Range(double lo, double hi);  // [lo, hi)

 private:
  std::uint64_t state_;
};

// A phase accumulator, so a pitch can glide without discontinuities.
class Oscillator {
 public:
  explicit Oscillator(double sampleRate) : sampleRate_(sampleRate) {}
  // Returns the current phase in cycles, then advances it by one sample at `hz`.
  double Step(double hz);

 private:
  double sampleRate_;
  double phase_ = 0.0;
};

// Second-order filter (the usual audio-cookbook designs). Retuning keeps the state, so a filter can sweep.
class Biquad {
 public:
  static Biquad LowPass(double sampleRate, double hz, double q);
  static Biquad HighPass(double sampleRate, double hz, double q);
  static Biquad BandPass(double sampleRate, double hz, double q);  // unity gain at the centre

  void TuneBandPass(double sampleRate, double hz, double q);
  void TuneLowPass(double sampleRate, double hz, double q);
  double Process(double x);

 private:
  void SetCoefficients(double b0, double b1, double b2, double a0, double a1, double a2);
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Adds `source` times `gain` into `target` from sample `offset` on; whatever runs past the end is dropped.
void MixInto(Signal& target, const Signal& source, std::size_t offset, double gain);

// How a finished signal becomes bytes: its loudest point reaches `peak` of full scale, and short raised-cosine
// fades (in seconds) bring both ends to exact silence so the mixer never clicks on start or stop.
struct PcmShape {
  double peak = 0.7;
  double fadeIn = 0.0015;
  double fadeOut = 0.008;
};

// 8-bit unsigned PCM centred on 128; DC is removed first so the fades land on true silence.
std::vector<std::uint8_t> ToPcm8(Signal signal, double sampleRate, const PcmShape& shape);

}  // namespace gw::sfx
