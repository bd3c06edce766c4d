// SPDX-License-Identifier: GPL-3.0-or-later
#include "Synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

namespace xm {
namespace {

constexpr double Pi = std::numbers::pi;
constexpr double TwoPi = 2.0 * Pi;
constexpr double MiddleC = 261.6255653;           // pitch of the note C-4
constexpr double TrackerC4Rate = 8363.0;          // playback rate of C-4 with no relative note or fine tune
constexpr int Period = 128;                       // frames per cycle of every pitched sample: exact loops
constexpr double PitchedRate = Period * MiddleC;  // frames per second of a pitched sample played at C-4
constexpr double DrumRate = TrackerC4Rate * 4.0;  // drums sound as recorded at C-4: two octaves up, no fine tune
constexpr double PeakLevel = 0.89;                // every sample leaves this much headroom

using Params = std::map<std::string, double, std::less<>>;
using Wave = std::vector<double>;

double get(const Params& p, std::string_view name) { return p.find(name)->second; }

// Relative note and fine tune that make C-4 play the sample at the given rate.
void tune(Sample& s, double rateAtC4) {
  const double semitones = 12.0 * std::log2(rateAtC4 / TrackerC4Rate);
  const long steps = std::lround(semitones * 128.0);
  const long note = std::lround(static_cast<double>(steps) / 128.0);
  s.relativeNote = static_cast<std::int8_t>(note);
  s.fineTune = static_cast<std::int8_t>(steps - note * 128);
}

// Scales to the common peak and rounds to 16 bits.
std::vector<std::int16_t> toPcm(const Wave& w) {
  double peak = 0.0;
  for (double v : w) peak = std::max(peak, std::abs(v));
  const double scale = peak > 0.0 ? PeakLevel * 32767.0 / peak : 0.0;
  std::vector<std::int16_t> out(w.size());
  std::transform(w.begin(), w.end(), out.begin(),
                 [scale](double v) { return static_cast<std::int16_t>(std::lround(v * scale)); });
  return out;
}

// A one-shot must end at silence, or its last frame clicks when playback stops.
void taperEnd(Wave& w, std::size_t frames) {
  frames = std::min(frames, w.size());
  for (std::size_t i = 0; i < frames; ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(frames);
    w[w.size() - 1 - i] *= 0.5 - 0.5 * std::cos(Pi * x);
  }
}

// Deterministic noise, so every build writes the same bytes.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed) {}
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  std::uint32_t state_;
};

// One-pole high-pass, enough to take the body out of noise.
class HighPass {
 public:
  HighPass(double cutoff, double rate) : a_(1.0 / (1.0 + TwoPi * cutoff / rate)) {}
  double operator()(double x) {
    y_ = a_ * (y_ + x - x_);
    x_ = x;
    return y_;
  }

 private:
  double a_;
  double x_ = 0.0;
  double y_ = 0.0;
};

class LowPass {
 public:
  LowPass(double cutoff, double rate) : k_(1.0 - std::exp(-TwoPi * cutoff / rate)) {}
  double operator()(double x) { return y_ += k_ * (x - y_); }

 private:
  double k_;
  double y_ = 0.0;
};

const std::array<double, Period>& sineTable() {
  static const std::array<double, Period> table = [] {
    std::array<double, Period> t{};
    for (int i = 0; i < Period; ++i) t[i] = std::sin(TwoPi * i / Period);
    return t;
  }();
  return table;
}

// `cycles` periods of a fixed spectrum (amps[k - 1] for harmonic k), looped whole.
Sample loopedWave(const std::vector<double>& amps, int cycles) {
  const auto& sine = sineTable();
  Wave w(static_cast<std::size_t>(Period * cycles), 0.0);
  for (std::size_t n = 0; n < w.size(); ++n)
    for (std::size_t k = 1; k <= amps.size(); ++k) w[n] += amps[k - 1] * sine[(k * n) % Period];
  Sample s;
  s.pcm = toPcm(w);
  s.loopStart = 0;
  s.loopLength = static_cast<std::uint32_t>(w.size());
  tune(s, PitchedRate);
  return s;
}

// Harmonics above `harm` are dropped so high notes do not alias; `soft` rolls the rest off.
double rolloff(int k, double harm, double soft) {
  return k <= harm ? std::exp(-soft * (k - 1) / harm) : 0.0;
}

Voice square(const Params& p) {
  const double width = get(p, "width"), harm = get(p, "harm"), soft = get(p, "soft");
  std::vector<double> amps;
  for (int k = 1; k <= static_cast<int>(harm); ++k)
    amps.push_back(std::sin(k * Pi * width) / k * rolloff(k, harm, soft));
  return {loopedWave(amps, 16), {}, 0};
}

Voice saw(const Params& p) {
  const double harm = get(p, "harm"), soft = get(p, "soft");
  std::vector<double> amps;
  for (int k = 1; k <= static_cast<int>(harm); ++k) amps.push_back(rolloff(k, harm, soft) / k);
  return {loopedWave(amps, 16), {}, 0};
}

Voice tone(const Params& p) {
  const std::vector<double> amps = {1.0, get(p, "h2"), get(p, "h3"), get(p, "h4"), get(p, "h5"), get(p, "h6")};
  return {loopedWave(amps, 16), {}, 0};
}

// A plucked string: bright at the strike, settling to a mellow tone that loops.
Voice pluck(const Params& p) {
  const int harm = static_cast<int>(get(p, "harm"));
  const double damp = get(p, "damp"), toneHarm = get(p, "tone");
  const auto& sine = sineTable();
  const std::size_t attack =
      static_cast<std::size_t>(std::ceil(4.0 * damp * PitchedRate / Period)) * Period;
  const std::size_t loop = 16 * Period;
  Wave w(attack + loop, 0.0);
  for (int k = 1; k <= harm; ++k) {
    const double strike = 1.0 / k;
    const double settled = strike / (1.0 + std::pow((k - 1) / toneHarm, 2.0));
    const double fall = std::exp(-k / (damp * PitchedRate));  // per frame
    double level = strike - settled;
    for (std::size_t n = 0; n < w.size(); ++n) {
      const double a = n < attack ? settled + level : settled;
      w[n] += a * sine[(static_cast<std::size_t>(k) * n) % Period];
      level *= fall;
    }
  }
  Sample s;
  s.pcm = toPcm(w);
  s.loopStart = static_cast<std::uint32_t>(attack);
  s.loopLength = static_cast<std::uint32_t>(loop);
  tune(s, PitchedRate);
  return {s, {}, 0};
}

struct Partial {
  double ratio;
  double amp;
  double decay;  // fraction of the voice's decay time
};

// A struck tone that rings out: partials with their own decays, never looped.
Sample struck(const std::vector<Partial>& partials, double decay) {
  const std::size_t frames = static_cast<std::size_t>(3.0 * decay * PitchedRate);
  Wave w(frames, 0.0);
  for (const Partial& part : partials) {
    const double step = TwoPi * part.ratio / Period;
    const double fall = std::exp(-1.0 / (part.decay * decay * PitchedRate));
    double level = part.amp;
    for (std::size_t n = 0; n < frames; ++n) {
      w[n] += level * std::sin(step * static_cast<double>(n));
      level *= fall;
    }
  }
  taperEnd(w, frames * 3 / 10);
  Sample s;
  s.pcm = toPcm(w);
  tune(s, PitchedRate);
  return s;
}

Voice mallet(const Params& p) {
  const double hard = get(p, "hard");
  return {struck({{1.0, 1.0, 1.0}, {4.0, 0.5 * hard, 0.25}, {10.0, 0.2 * hard, 0.1}}, get(p, "decay")), {}, 0};
}

Voice bell(const Params& p) {
  return {struck({{1.0, 1.0, 1.0},
                  {2.0, 0.45, 0.7},
                  {3.0, 0.25, 0.5},
                  {4.2, 0.3, 0.3},
                  {5.4, 0.15, 0.2},
                  {6.8, 0.1, 0.12}},
                 get(p, "decay")),
          {},
          0};
}

// Three detuned soft saws. Each completes a whole number of cycles in the loop, so the loop is seamless.
Voice pad(const Params& p) {
  constexpr std::uint64_t Cycles = 128;
  constexpr std::uint64_t Frames = Period * Cycles;
  const int harm = static_cast<int>(get(p, "harm"));
  const double toneHarm = get(p, "tone");
  const auto spread = static_cast<std::int64_t>(std::lround(get(p, "spread")));
  std::vector<double> table(Frames);
  for (std::uint64_t i = 0; i < Frames; ++i)
    table[i] = std::sin(TwoPi * static_cast<double>(i) / static_cast<double>(Frames));
  Noise phases(0x5eed1234u);
  Wave w(Frames, 0.0);
  for (std::int64_t d : {-spread, std::int64_t{0}, spread}) {
    const auto cycles = static_cast<std::uint64_t>(static_cast<std::int64_t>(Cycles) + d);
    for (int k = 1; k <= harm; ++k) {
      const double amp = 1.0 / k / (1.0 + std::pow(k / toneHarm, 2.0));
      // Scattered phases keep the three voices from stacking into one spiky peak.
      const auto phase = static_cast<std::uint64_t>((phases.next() + 1.0) * 0.5 * (Frames - 1));
      const std::uint64_t step = cycles * static_cast<std::uint64_t>(k);
      for (std::uint64_t n = 0; n < Frames; ++n) w[n] += amp * table[(step * n + phase) % Frames];
    }
  }
  Sample s;
  s.pcm = toPcm(w);
  s.loopStart = 0;
  s.loopLength = static_cast<std::uint32_t>(Frames);
  tune(s, PitchedRate);
  return {s, {}, 0};
}

Sample drum(Wave w) {
  taperEnd(w, w.size() / 10);
  Sample s;
  s.pcm = toPcm(w);
  tune(s, DrumRate);
  return s;
}

std::size_t drumFrames(double seconds) { return static_cast<std::size_t>(seconds * DrumRate); }

// A sine that drops in pitch, with a little noise for the beater.
Voice kick(const Params& p) {
  const double start = get(p, "start"), end = get(p, "end"), sweep = get(p, "sweep");
  const double decay = get(p, "decay"), click = get(p, "click");
  Wave w(drumFrames(5.0 * decay), 0.0);
  Noise noise(0x4b1c4u);
  LowPass soften(3000.0, DrumRate);
  double phase = 0.0;
  for (std::size_t n = 0; n < w.size(); ++n) {
    const double t = static_cast<double>(n) / DrumRate;
    phase += TwoPi * (end + (start - end) * std::exp(-t / sweep)) / DrumRate;
    const double body = std::sin(phase) * std::exp(-t / decay);
    const double beater = soften(noise.next()) * click * std::exp(-t / 0.004);
    w[n] = (body + beater) * std::min(1.0, t / 0.0008);
  }
  return {drum(std::move(w)), {}, 0};
}

// A short drum tone under a burst of bright noise.
Voice snare(const Params& p) {
  const double pitch = get(p, "tone"), mix = get(p, "noise"), decay = get(p, "decay");
  Wave w(drumFrames(4.0 * decay + 0.03), 0.0);
  Noise noise(0x5a4e3u);
  HighPass thin(900.0, DrumRate);
  LowPass dull(9000.0, DrumRate);
  for (std::size_t n = 0; n < w.size(); ++n) {
    const double t = static_cast<double>(n) / DrumRate;
    const double body = (std::sin(TwoPi * pitch * t) + 0.5 * std::sin(TwoPi * 1.6 * pitch * t)) *
                        std::exp(-t / (0.5 * decay));
    const double rattle = dull(thin(noise.next())) * std::exp(-t / decay);
    w[n] = ((1.0 - mix) * body + mix * 1.6 * rattle) * std::min(1.0, t / 0.0005);
  }
  return {drum(std::move(w)), {}, 0};
}

// Metallic squares and noise, high-passed twice.
Voice hat(const Params& p) {
  const double decay = get(p, "decay"), cutoff = get(p, "cutoff");
  constexpr std::array<double, 6> Metal = {349.0, 517.5, 628.3, 888.6, 918.0, 1360.0};
  Wave w(drumFrames(6.0 * decay + 0.01), 0.0);
  Noise noise(0x4a7u);
  HighPass first(cutoff, DrumRate), second(cutoff, DrumRate);
  for (std::size_t n = 0; n < w.size(); ++n) {
    const double t = static_cast<double>(n) / DrumRate;
    double metal = 0.0;
    for (double f : Metal) metal += std::sin(TwoPi * f * t) >= 0.0 ? 1.0 : -1.0;
    const double source = 0.65 * noise.next() + 0.35 * metal / static_cast<double>(Metal.size());
    w[n] = second(first(source)) * std::exp(-t / decay) * std::min(1.0, t / 0.0003);
  }
  return {drum(std::move(w)), {}, 0};
}

Envelope envelope(std::initializer_list<EnvelopePoint> points, int sustain) {
  Envelope e;
  e.points = points;
  e.sustain = sustain;
  return e;
}

struct Kind {
  std::string_view name;
  std::vector<VoiceParam> params;
  std::function<Voice(const Params&)> make;
  Envelope envelope;  // what the voice usually wants; an instrument may give its own
  std::uint16_t fadeout;
};

const std::vector<Kind>& kinds() {
  static const std::vector<Kind> table = [] {
    // Sustained voices swell in over two ticks, settle, hold and fade after key-off.
    const Envelope held = envelope({{0, 0}, {2, 64}, {8, 52}}, 2);
    const Envelope plucked = envelope({{0, 64}, {3, 52}, {12, 40}, {40, 26}, {100, 12}, {200, 0}}, -1);
    const Envelope swell = envelope({{0, 0}, {24, 56}, {48, 48}}, 2);
    return std::vector<Kind>{
        {"square", {{"width", 0.5, 0.05, 0.5}, {"harm", 12, 1, 50}, {"soft", 1, 0, 6}}, square, held, 1536},
        {"saw", {{"harm", 12, 1, 50}, {"soft", 1, 0, 6}}, saw, held, 1536},
        {"tone",
         {{"h2", 0.3, 0, 1}, {"h3", 0.1, 0, 1}, {"h4", 0.05, 0, 1}, {"h5", 0, 0, 1}, {"h6", 0, 0, 1}},
         tone,
         held,
         1536},
        {"pluck", {{"harm", 30, 1, 50}, {"damp", 0.25, 0.02, 2}, {"tone", 3, 0.5, 30}}, pluck, plucked, 2048},
        {"mallet", {{"decay", 0.6, 0.05, 3}, {"hard", 1, 0, 2}}, mallet, {}, 0},
        {"bell", {{"decay", 1, 0.1, 4}}, bell, {}, 0},
        {"pad", {{"harm", 12, 1, 50}, {"tone", 4, 0.5, 40}, {"spread", 1, 0, 4}}, pad, swell, 512},
        {"kick",
         {{"start", 160, 40, 400}, {"end", 50, 20, 200}, {"sweep", 0.035, 0.005, 0.2}, {"decay", 0.18, 0.03, 1},
          {"click", 0.3, 0, 1}},
         kick,
         {},
         0},
        {"snare", {{"tone", 190, 80, 400}, {"noise", 0.7, 0, 1}, {"decay", 0.12, 0.02, 0.6}}, snare, {}, 0},
        {"hat", {{"decay", 0.04, 0.01, 0.5}, {"cutoff", 7000, 1000, 12000}}, hat, {}, 0},
    };
  }();
  return table;
}

const Kind* findKind(std::string_view name) {
  for (const Kind& k : kinds())
    if (k.name == name) return &k;
  return nullptr;
}

}  // namespace

bool knownVoice(std::string_view kind) { return findKind(kind) != nullptr; }

std::span<const VoiceParam> voiceParams(std::string_view kind) {
  const Kind* k = findKind(kind);
  return k ? std::span<const VoiceParam>(k->params) : std::span<const VoiceParam>();
}

std::string voiceKindList() {
  std::string list;
  for (const Kind& k : kinds()) list += (list.empty() ? "" : ", ") + std::string(k.name);
  return list;
}

Voice synthesise(std::string_view kind, const Params& given) {
  const Kind& k = *findKind(kind);
  Params full = given;
  for (const VoiceParam& vp : k.params) full.try_emplace(std::string(vp.name), vp.fallback);
  Voice v = k.make(full);
  v.envelope = k.envelope;
  v.fadeout = k.fadeout;
  return v;
}

}  // namespace xm
