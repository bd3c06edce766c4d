// SPDX-License-Identifier: GPL-3.0-or-later
#include "Effects.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "Synth.h"

namespace gw::sfx {

namespace {

double TimeOf(std::size_t i, double rate) { return static_cast<double>(i) / rate; }

std::size_t SamplesOf(double seconds, double rate) {
  return static_cast<std::size_t>(std::lround(std::max(0.0, seconds) * rate));
}

// ---- Shared voices ----

// A plain decaying sine with an optional touch of second harmonic: bass notes and twinkles.
Signal Ping(double rate, std::size_t n, double hz, double attack, double decay, double second) {
  Oscillator osc(rate);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double p = osc.Step(hz);
    s[i] = AttackDecay(TimeOf(i, rate), attack, decay) * (SineOf(p) + second * SineOf(2.0 * p));
  }
  return s;
}

// A wet blip: a short sine sweeping up fast, like a bubble or a smacking lip.
Signal Bloop(double rate, std::size_t n, double fromHz, double toHz, double sweep, double decay) {
  Oscillator osc(rate);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = TimeOf(i, rate);
    const double hz = toHz + (fromHz - toHz) * std::exp(-t / sweep);
    s[i] = AttackDecay(t, 0.002, decay) * SineOf(osc.Step(hz));
  }
  return s;
}

// The jaw closing: a low thud whose pitch drops as it dies.
Signal Thud(double rate, std::size_t n, double fromHz, double toHz, double decay) {
  Oscillator osc(rate);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = TimeOf(i, rate);
    const double hz = toHz + (fromHz - toHz) * std::exp(-t / 0.02);
    s[i] = AttackDecay(t, 0.0015, decay) * SineOf(osc.Step(hz));
  }
  return s;
}

// A burst of band-passed noise: the teeth meeting, a lip popping open.
Signal Snap(double rate, std::size_t n, double centreHz, double q, double decay, Noise& noise) {
  Biquad band = Biquad::BandPass(rate, centreHz, q);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    s[i] = AttackDecay(TimeOf(i, rate), 0.0004, decay) * band.Process(noise.Bipolar());
  }
  return s;
}

// Crunch: a spray of tiny noise grains, each through its own band-pass, thinning out and softening as the bite
// ends. The irregular spacing is what makes it read as something brittle breaking.
Signal Crunch(double rate, std::size_t n, double seconds, double centreLo, double centreHi, Noise& noise) {
  Signal s(n);
  double t = 0.0;
  while (t < seconds) {
    const std::size_t start = SamplesOf(t, rate);
    // Drawn one at a time: the order in which a call's arguments are evaluated is the compiler's choice, and the
    // sound must not depend on the compiler (this is the order the tuned sound was made in).
    const double q = noise.Range(1.5, 3.5);
    const double centre = noise.Range(centreLo, centreHi);
    Biquad band = Biquad::BandPass(rate, centre, q);
    const double gain = noise.Range(0.4, 1.0) * (1.0 - 0.6 * t / seconds);
    const double decay = noise.Range(0.0008, 0.0025);
    const std::size_t length = SamplesOf(decay * 6.0, rate);
    for (std::size_t k = 0; k < length && start + k < n; ++k) {
      s[start + k] += gain * AttackDecay(TimeOf(k, rate), 0.0002, decay) * band.Process(noise.Bipolar());
    }
    t += noise.Range(0.003, 0.011) * (1.0 + 1.5 * t / seconds);
  }
  return s;
}

// ---- 0 "Beep" ----

// A soft wooden "tok": a sine dropping quickly in pitch under a fast decay, so it ticks without a hard edge.
Signal Beep(double rate, std::size_t n) {
  Oscillator osc(rate);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = TimeOf(i, rate);
    const double hz = 1100.0 + 900.0 * std::exp(-t / 0.0012);
    const double p = osc.Step(hz);
    s[i] = AttackDecay(t, 0.0005, 0.0021) * (SineOf(p) + 0.18 * SineOf(2.0 * p));
  }
  return s;
}

// ---- 1 "Level" ----

// One struck note of the jingle. Phase modulation at 1:1 gives a bright, reedy edge at the strike that mellows as
// it rings; a slightly detuned twin adds shimmer, and a quiet partial two octaves up adds sparkle.
Signal BrightNote(double rate, std::size_t n, double note, double decay) {
  const double hz = NoteHz(note);
  const double twinHz = hz * Cents(6.0);
  // High notes get less modulation so their sidebands stay clear of the top of the band.
  const double brightness = std::clamp(900.0 / hz, 0.3, 1.0);
  Oscillator carrier(rate), modulator(rate), twin(rate), twinModulator(rate), sparkle(rate);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = TimeOf(i, rate);
    const double index = brightness * (0.5 + 2.0 * std::exp(-t / 0.07));
    const double body =
        0.5 * (std::sin(kTwoPi * carrier.Step(hz) + index * SineOf(modulator.Step(hz))) +
               std::sin(kTwoPi * twin.Step(twinHz) + index * SineOf(twinModulator.Step(twinHz))));
    const double bell = 0.22 * std::exp(-t / 0.15) * SineOf(sparkle.Step(hz * 4.0));
    s[i] = AttackDecay(t, 0.003, decay) * (body + bell);
  }
  return s;
}

// A quick C-major run up two octaves landing on a ringing chord over a warm bass, with twinkles above it.
Signal Level(double rate, std::size_t n) {
  Signal s(n);
  const auto at = [rate](double seconds) { return SamplesOf(seconds, rate); };
  const auto rest = [&](double seconds) { return n - std::min(n, at(seconds)); };

  constexpr std::array kRun{72.0, 76.0, 79.0, 84.0, 88.0, 91.0};
  for (std::size_t k = 0; k < kRun.size(); ++k) {
    const double start = 0.07 * static_cast<double>(k);
    MixInto(s, BrightNote(rate, rest(start), kRun[k], 0.18), at(start), 0.55);
  }

  constexpr double kLand = 0.46;
  constexpr std::array kChord{84.0, 88.0, 91.0, 96.0};
  constexpr std::array kChordGain{0.28, 0.28, 0.3, 0.5};
  for (std::size_t k = 0; k < kChord.size(); ++k) {
    MixInto(s, BrightNote(rate, rest(kLand), kChord[k], 0.6), at(kLand), kChordGain[k]);
  }
  MixInto(s, Ping(rate, rest(kLand), NoteHz(48.0), 0.008, 0.45, 0.25), at(kLand), 0.45);

  Noise noise(0x1E7E1);
  constexpr std::array kTwinkle{96.0, 100.0, 103.0, 108.0};
  for (double t = kLand + 0.12; t < 1.6; t += noise.Range(0.06, 0.13)) {
    const auto pick = std::min(kTwinkle.size() - 1, static_cast<std::size_t>(noise.Uniform() * kTwinkle.size()));
    MixInto(s, Ping(rate, at(0.3), NoteHz(kTwinkle[pick]), 0.001, 0.05, 0.0), at(t), 0.14 * (1.6 - t));
  }
  return s;
}

// ---- 2 "Die" ----

// One "wah" of a muted trombone. Phase modulation at 1:1 whose depth follows a swell, so each note opens from dark
// to brassy the way a plunger mute does, and it scoops up into pitch. The long last note gets a widening vibrato
// and sags flat as it fades.
Signal TromboneNote(double rate, std::size_t n, double note, bool last) {
  const double seconds = static_cast<double>(n) / rate;
  const double release = last ? 0.45 : 0.06;
  Oscillator carrier(rate), modulator(rate);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = TimeOf(i, rate);
    double cents = -45.0 * std::exp(-t / 0.035);
    if (last) {
      cents += 40.0 * SmoothStep(0.12, 0.45, t) * std::sin(kTwoPi * 5.0 * t);
      cents -= 250.0 * SmoothStep(seconds - 0.4, seconds, t);
    }
    const double hz = NoteHz(note) * Cents(cents);
    const double open = SmoothStep(0.0, 0.12, t) * (1.0 - 0.35 * SmoothStep(0.12, seconds, t));
    const double index = 0.4 + 2.2 * open;
    const double amp =
        SmoothStep(0.0, 0.03, t) * (1.0 - SmoothStep(seconds - release, seconds, t)) * (0.55 + 0.45 * open);
    s[i] = amp * std::sin(kTwoPi * carrier.Step(hz) + index * SineOf(modulator.Step(hz)));
  }
  return s;
}

// "Wah, wah, wah, waaah": four notes sliding down by semitones.
Signal Die(double rate, std::size_t n) {
  Signal s(n);
  const auto at = [rate](double seconds) { return SamplesOf(seconds, rate); };
  constexpr std::array kNotes{58.0, 57.0, 56.0, 55.0};
  constexpr double kStep = 0.36;
  constexpr double kLength = 0.33;
  for (std::size_t k = 0; k < kNotes.size(); ++k) {
    const std::size_t start = at(kStep * static_cast<double>(k));
    const bool last = k + 1 == kNotes.size();
    const std::size_t length = last ? n - start : at(kLength);
    MixInto(s, TromboneNote(rate, length, kNotes[k], last), start, 1.0);
  }
  // Rounds off the brass so it is mournful rather than harsh.
  Biquad tone = Biquad::LowPass(rate, 3200.0, 0.7);
  for (double& v : s) v = tone.Process(v);
  return s;
}

// ---- 3 "Ham1" ----

// One bite: the jaw's thud, the teeth's snap and the crunch of what is between them. The snap stays small, so
// the bite's level comes from its crunch and not from one spike.
void Bite(Signal& s, double rate, double start, double gain, double crunchLo, double crunchHi, Noise& noise) {
  const std::size_t at = SamplesOf(start, rate);
  const std::size_t n = s.size() - std::min(s.size(), at);
  MixInto(s, Thud(rate, n, 170.0, 60.0, 0.05), at, 0.7 * gain);
  MixInto(s, Snap(rate, n, 2800.0, 0.8, 0.004, noise), at, 1.0 * gain);
  MixInto(s, Crunch(rate, n, 0.13, crunchLo, crunchHi, noise), at, 3.6 * gain);
}

// Crunch, crunch, and a little smack of the lips.
Signal Ham1(double rate, std::size_t n) {
  Signal s(n);
  Noise noise(0xC0C0A);
  Bite(s, rate, 0.0, 1.0, 2200.0, 5200.0, noise);
  Bite(s, rate, 0.17, 0.85, 1600.0, 4200.0, noise);
  MixInto(s, Bloop(rate, n, 300.0, 950.0, 0.02, 0.025), SamplesOf(0.325, rate), 0.55);
  return s;
}

// ---- 4 "Ham2" ----

// A cartoon "nom": a buzzy voice through mouth resonances that open from a hummed "m" into "o" and close again.
// The pitch lifts a little as the mouth opens, which makes it sound pleased with itself.
Signal Nom(double rate, std::size_t n, double pitchHz) {
  const double seconds = static_cast<double>(n) / rate;
  Oscillator voice(rate);
  Biquad first = Biquad::BandPass(rate, 300.0, 4.0);
  Biquad second = Biquad::BandPass(rate, 850.0, 5.0);
  Biquad third = Biquad::BandPass(rate, 2500.0, 7.0);
  Biquad nasal = Biquad::LowPass(rate, 350.0, 0.9);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = TimeOf(i, rate);
    const double open = std::pow(std::sin(std::numbers::pi * t / seconds), 0.8);
    const double hz = pitchHz * (1.0 + 0.12 * open);
    const double p = voice.Step(hz);
    double buzz = 0.0;  // band-limited sawtooth
    for (int k = 1; k * hz < 4500.0; ++k) buzz += SineOf(k * p) / k;
    first.TuneBandPass(rate, 280.0 + 370.0 * open, 4.0);
    second.TuneBandPass(rate, 850.0 + 250.0 * open, 5.0);
    const double mouth = first.Process(buzz) + 0.6 * second.Process(buzz) + 0.2 * third.Process(buzz);
    const double hum = nasal.Process(buzz);
    const double amp = SmoothStep(0.0, 0.015, t) * (1.0 - SmoothStep(seconds - 0.025, seconds, t));
    s[i] = amp * (1.8 * open * mouth + 0.5 * (1.0 - open) * hum);
  }
  return s;
}

// "Nom, nom", a gulp, and the bubbles coming back up.
Signal Ham2(double rate, std::size_t n) {
  Signal s(n);
  Noise noise(0x6A1F);
  const auto at = [rate](double seconds) { return SamplesOf(seconds, rate); };
  const auto rest = [&](double seconds) { return n - std::min(n, at(seconds)); };

  MixInto(s, Snap(rate, at(0.03), 1500.0, 1.0, 0.003, noise), 0, 0.6);
  MixInto(s, Nom(rate, at(0.15), 190.0), at(0.005), 1.0);
  MixInto(s, Snap(rate, at(0.03), 1500.0, 1.0, 0.003, noise), at(0.17), 0.5);
  MixInto(s, Nom(rate, at(0.15), 165.0), at(0.175), 0.9);

  MixInto(s, Thud(rate, rest(0.36), 260.0, 110.0, 0.05), at(0.36), 0.7);
  MixInto(s, Bloop(rate, rest(0.37), 220.0, 520.0, 0.03, 0.05), at(0.37), 0.6);
  MixInto(s, Bloop(rate, rest(0.47), 500.0, 1250.0, 0.015, 0.02), at(0.47), 0.5);
  MixInto(s, Bloop(rate, rest(0.53), 650.0, 1500.0, 0.012, 0.018), at(0.53), 0.35);
  MixInto(s, Bloop(rate, rest(0.575), 420.0, 1000.0, 0.015, 0.02), at(0.575), 0.3);
  return s;
}

// ---- 5 "Big", 6 "Small" ----

// A slide-whistle whoop: a near-sine with soft harmonics and a little breath, gliding exponentially between two
// pitches with a vibrato that grows as it goes; a quieter fifth above rounds it into a cartoon "woo".
Signal Whoop(double rate, std::size_t n, double fromHz, double toHz, bool rising, std::uint64_t seed) {
  const double seconds = static_cast<double>(n) / rate;
  Noise noise(seed);
  Oscillator tone(rate), fifth(rate);
  Biquad breath = Biquad::BandPass(rate, 2.0 * fromHz, 3.0);
  Signal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = TimeOf(i, rate);
    const double u = t / seconds;
    // Rising starts slowly and shoots up; falling drops fast and settles.
    const double glide = rising ? std::pow(u, 1.5) : 1.0 - std::pow(1.0 - u, 1.5);
    const double vibrato = 28.0 * SmoothStep(0.1, 0.6, u) * std::sin(kTwoPi * 9.0 * t);
    const double hz = fromHz * std::pow(toHz / fromHz, glide) * Cents(vibrato);
    const double p = tone.Step(hz);
    const double voice =
        SineOf(p) + 0.3 * SineOf(2.0 * p) + 0.1 * SineOf(3.0 * p) + 0.25 * SineOf(fifth.Step(1.5 * hz));
    breath.TuneBandPass(rate, std::min(2.0 * hz, 8000.0), 3.0);
    const double air = breath.Process(noise.Bipolar());
    const double amp = SmoothStep(0.0, 0.035, t) * (1.0 - SmoothStep(seconds - 0.14, seconds, t));
    s[i] = amp * (voice + 0.35 * air);
  }
  return s;
}

Signal Big(double rate, std::size_t n) { return Whoop(rate, n, 230.0, 1250.0, true, 0xB16); }

Signal Small(double rate, std::size_t n) { return Whoop(rate, n, 1150.0, 200.0, false, 0x5A11); }

// ---- The bank ----

struct Design {
  std::string_view name;
  int maxPlayingCount;
  std::uint32_t sampleRate;
  std::size_t dataBytes;
  Signal (*render)(double rate, std::size_t n);
  PcmShape shape;
};

// Peaks are set so that the effects sound about equally loud over their busiest tenth of a second: the chomps,
// spiky and short, go near full scale; the jingle a little under; the whoops and the sad phrase, steady tones,
// well under, so none of them jumps out of the mix. The click is kept soft because it sounds on every menu move.
// Long tails get long fades.
constexpr std::array kDesigns{
    Design{"Beep", 1, 22050, 139, Beep, {0.42, 0.0003, 0.0012}},
    Design{"Level", 0, 22050, 44100, Level, {0.8, 0.001, 0.25}},
    Design{"Die", 0, 16000, 27999, Die, {0.32, 0.002, 0.05}},
    Design{"Ham1", 0, 22050, 9108, Ham1, {0.9, 0.0008, 0.015}},
    Design{"Ham2", 0, 22050, 14168, Ham2, {0.8, 0.0008, 0.015}},
    Design{"Big", 0, 22050, 17204, Big, {0.42, 0.003, 0.03}},
    Design{"Small", 0, 22050, 17204, Small, {0.42, 0.003, 0.03}},
};

}  // namespace

std::vector<Effect> SynthesiseBank() {
  std::vector<Effect> bank;
  for (const Design& d : kDesigns) {
    const auto rate = static_cast<double>(d.sampleRate);
    bank.push_back({d.name, d.maxPlayingCount, d.sampleRate, ToPcm8(d.render(rate, d.dataBytes), rate, d.shape)});
  }
  return bank;
}

}  // namespace gw::sfx
