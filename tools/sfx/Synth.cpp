// SPDX-License-Identifier: GPL-3.0-or-later
#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace gw::sfx {

double NoteHz(double note) { return 440.0 * std::exp2((note - 69.0) / 12.0); }

double Cents(double cents) { return std::exp2(cents / 1200.0); }

double SineOf(double cycles) { return std::sin(kTwoPi * cycles); }

double SmoothStep(double edge0, double edge1, double x) {
  const double u = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return u * u * (3.0 - 2.0 * u);
}

double AttackDecay(double t, double attack, double decay) {
  if (t < 0.0) return 0.0;
  if (t < attack) return 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack);
  return std::exp(-(t - attack) / decay);
}

Noise::Noise(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
  if (state_ == 0) state_ = 0x2545F4914F6CDD1Dull;  // xorshift never leaves zero
}

double Noise::Uniform() {
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  const std::uint64_t bits = state_ * 0x2545F4914F6CDD1Dull;
  return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

double Noise::Bipolar() { return 2.0 * Uniform() - 1.0; }

double Noise::Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

double Oscillator::Step(double hz) {
  const double current = phase_;
  phase_ += hz / sampleRate_;
  phase_ -= std::floor(phase_);
  return current;
}

Biquad Biquad::LowPass(double sampleRate, double hz, double q) {
  Biquad f;
  f.TuneLowPass(sampleRate, hz, q);
  return f;
}

Biquad Biquad::HighPass(double sampleRate, double hz, double q) {
  const double w = kTwoPi * hz / sampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double c = std::cos(w);
  Biquad f;
  f.SetCoefficients((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
  return f;
}

Biquad Biquad::BandPass(double sampleRate, double hz, double q) {
  Biquad f;
  f.TuneBandPass(sampleRate, hz, q);
  return f;
}

void Biquad::TuneBandPass(double sampleRate, double hz, double q) {
  const double w = kTwoPi * hz / sampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  SetCoefficients(alpha, 0.0, -alpha, 1 + alpha, -2 * std::cos(w), 1 - alpha);
}

void Biquad::TuneLowPass(double sampleRate, double hz, double q) {
  const double w = kTwoPi * hz / sampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double c = std::cos(w);
  SetCoefficients((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetCoefficients(double b0, double b1, double b2, double a0, double a1, double a2) {
  b0_ = b0 / a0;
  b1_ = b1 / a0;
  b2_ = b2 / a0;
  a1_ = a1 / a0;
  a2_ = a2 / a0;
}

double Biquad::Process(double x) {
  const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
  x2_ = x1_;
  x1_ = x;
  y2_ = y1_;
  y1_ = y;
  return y;
}

void MixInto(Signal& target, const Signal& source, std::size_t offset, double gain) {
  for (std::size_t i = 0; i < source.size() && offset + i < target.size(); ++i) {
    target[offset + i] += gain * source[i];
  }
}

std::vector<std::uint8_t> ToPcm8(Signal signal, double sampleRate, const PcmShape& shape) {
  const std::size_t n = signal.size();

  // A one-pole DC blocker well below anything audible.
  const double r = std::exp(-kTwoPi * 15.0 / sampleRate);
  double previousIn = 0.0;
  double previousOut = 0.0;
  for (double& s : signal) {
    const double out = s - previousIn + r * previousOut;
    previousIn = s;
    previousOut = out;
    s = out;
  }

  const auto fadeLength = [&](double seconds) {
    return std::clamp<std::size_t>(static_cast<std::size_t>(seconds * sampleRate), 1, n / 2);
  };
  const std::size_t fadeIn = fadeLength(shape.fadeIn);
  const std::size_t fadeOut = fadeLength(shape.fadeOut);
  for (std::size_t i = 0; i < fadeIn; ++i) {
    signal[i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(i) / static_cast<double>(fadeIn));
  }
  for (std::size_t i = 0; i < fadeOut; ++i) {
    signal[n - 1 - i] *=
        0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(i) / static_cast<double>(fadeOut));
  }

  double loudest = 0.0;
  for (const double s : signal) loudest = std::max(loudest, std::abs(s));
  const double scale = loudest > 0.0 ? shape.peak * 127.0 / loudest : 0.0;

  std::vector<std::uint8_t> pcm(n);
  for (std::size_t i = 0; i < n; ++i) {
    // The clamp only guards against a mistaken peak setting; normal peaks stay well inside it.
    const double v = std::clamp(128.0 + std::round(signal[i] * scale), 8.0, 248.0);
    pcm[i] = static_cast<std::uint8_t>(v);
  }
  return pcm;
}

}  // namespace gw::sfx
