// The synthesis kit behind the course's sound effects.
#include "tools/coursebuild/synth.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

constexpr double kLn1000 = 6.907755278982137;  // a fall of 60 dB

double Clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

// Frequencies near the top of the band make the filters' warping blow up; nothing here needs them.
double Audible(double freq, double rate) { return std::clamp(freq, 10.0, 0.45 * rate); }

}  // namespace

double Noise::Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return static_cast<double>(state) / 2147483648.0 - 1.0;
}

double Noise::Range(double lo, double hi) { return lo + (hi - lo) * (Next() + 1) / 2; }

double Decay(double t, double t60) { return t < 0 ? 0 : std::exp(-kLn1000 * t / t60); }

double Strike(double t, double attack, double t60) {
  if (t < 0) return 0;
  return t < attack ? t / attack : Decay(t - attack, t60);
}

double Breakpoints(double t, std::initializer_list<std::pair<double, double>> points) {
  const auto* p = points.begin();
  if (t <= p->first) return p->second;
  for (; p + 1 != points.end(); ++p) {
    const auto& [t0, v0] = p[0];
    const auto& [t1, v1] = p[1];
    if (t < t1) return t1 <= t0 ? v1 : v0 + (v1 - v0) * (t - t0) / (t1 - t0);
  }
  return p->second;
}

double Phase::Advance(double freq, double rate) {
  const double now = cycles;
  cycles += freq / rate;
  cycles -= std::floor(cycles);
  return now;
}

double Sine(double cycles) { return std::sin(2 * kPi * cycles); }

double Saw(double cycles, double step) {
  double blep = 0;
  if (cycles < step) {
    const double t = cycles / step;
    blep = t + t - t * t - 1;
  } else if (cycles > 1 - step) {
    const double t = (cycles - 1) / step;
    blep = t * t + t + t + 1;
  }
  return 2 * cycles - 1 - blep;
}

void Svf::Tune(double rate, double freq, double q) {
  g = std::tan(kPi * Audible(freq, rate) / rate);
  k = 1 / q;
}

Svf::Out Svf::Tick(double x) {
  const double a1 = 1 / (1 + g * (g + k)), a2 = g * a1, a3 = g * a2;
  const double v3 = x - ic2;
  const double v1 = a1 * ic1 + a2 * v3;
  const double v2 = ic2 + a2 * ic1 + a3 * v3;
  ic1 = 2 * v1 - ic1;
  ic2 = 2 * v2 - ic2;
  return {v2, v1, x - k * v1 - v2};
}

Signal Ring(const Signal& excitation, double rate, const std::vector<Mode>& modes) {
  Signal out(excitation.size());
  for (const Mode& m : modes) {
    if (m.freq >= 0.45 * rate) continue;  // above what the file's rate can carry
    // y = x sin w + 2r cos w y1 - r^2 y2 answers a unit impulse with r^n sin((n + 1) w): a unit ring.
    const double w = 2 * kPi * m.freq / rate;
    const double r = std::exp(-kLn1000 / (m.t60 * rate));
    const double c = 2 * r * std::cos(w), rr = r * r, in = std::sin(w) * m.gain;
    double y1 = 0, y2 = 0;
    for (size_t n = 0; n < out.size(); ++n) {
      const double y = excitation[n] * in + c * y1 - rr * y2;
      y2 = y1;
      y1 = y;
      out[n] += y;
    }
  }
  return out;
}

void Hit(Signal& excitation, double rate, double when, double amplitude, double width) {
  const auto start = static_cast<int64_t>(when * rate);
  const int64_t n = std::max<int64_t>(1, static_cast<int64_t>(width * rate));
  // The pulse's samples add up to the amplitude whatever its width: the same push, only harder or softer.
  double area = 0;
  for (int64_t i = 0; i < n; ++i) area += std::sin(kPi * (i + 0.5) / n);
  for (int64_t i = 0; i < n; ++i) {
    const int64_t at = start + i;
    if (at >= 0 && at < static_cast<int64_t>(excitation.size())) {
      excitation[at] += amplitude / area * std::sin(kPi * (i + 0.5) / n);
    }
  }
}

// Men's average vowel resonances; FormantFilter's scale moves them for other voices.
const Vowel kVowelA{{730, 1090, 2440}, {90, 110, 160}, {1, 0.5, 0.25}};
const Vowel kVowelAe{{660, 1720, 2410}, {80, 100, 150}, {1, 0.55, 0.3}};
const Vowel kVowelO{{570, 840, 2410}, {80, 90, 160}, {1, 0.45, 0.12}};
const Vowel kVowelU{{300, 870, 2240}, {60, 90, 150}, {1, 0.25, 0.06}};
const Vowel kVowelE{{530, 1840, 2480}, {70, 100, 150}, {1, 0.5, 0.3}};

Vowel Blend(const Vowel& a, const Vowel& b, double share) {
  Vowel v{};
  for (int i = 0; i < 3; ++i) {
    v.freq[i] = a.freq[i] + (b.freq[i] - a.freq[i]) * share;
    v.width[i] = a.width[i] + (b.width[i] - a.width[i]) * share;
    v.gain[i] = a.gain[i] + (b.gain[i] - a.gain[i]) * share;
  }
  return v;
}

double FormantFilter::Tick(double x, const Vowel& v, double rate, double scale) {
  double sum = 0;
  for (int i = 0; i < 3; ++i) {
    band[i].Tune(rate, v.freq[i] * scale, v.freq[i] * scale / v.width[i]);
    sum += v.gain[i] * band[i].BandUnity(x);
  }
  return sum;
}

Signal Voice(double rate, const VoiceShape& shape) {
  Noise noise{shape.seed};
  Phase glottis;
  FormantFilter tract;
  double tilt = 0, wander = 0;
  return Render(rate, shape.seconds, [&](double t) {
    // A voice never holds its pitch exactly: a slow random wander of about half a percent.
    wander += (noise.Next() * 0.02 - wander) * 40 / rate;
    const double freq = shape.pitch(t) * (1 + wander);
    const double buzz = Saw(glottis.Advance(freq, rate), freq / rate);
    tilt += (buzz - tilt) * 0.5;  // the glottal pulse's roll-off
    const double source = (1 - shape.breath) * tilt + shape.breath * noise.Next();
    return tract.Tick(source, shape.vowel(t), rate, shape.formantScale) * shape.level(t);
  });
}

Signal Brass(double rate, const BrassNote& note) {
  Phase a, b;
  Svf bell;
  const double seconds = note.seconds;
  // Short notes settle and let go sooner, so the points of the envelopes stay in order.
  const double settle = std::min(0.09, seconds * 0.4), release = seconds - std::min(0.06, seconds * 0.3);
  return Render(rate, seconds, [&](double t) {
    const double wobble = Clamp01((t - 0.15) / 0.2) * Sine(5.5 * t);
    const double f =
        note.freq * (1 - 0.03 * Decay(t, 0.08)) * (1 - note.droop * t / seconds) * (1 + note.vibrato * wobble);
    const double env = Breakpoints(t, {{0, 0}, {0.025, 1}, {settle, 0.8}, {release, 0.72}, {seconds, 0}});
    const double open = Breakpoints(t, {{0, 0}, {settle, 1}, {release, 0.7}, {seconds, 0.1}}) * (1 + 0.5 * wobble);
    const double cutoff = note.freq * (1.2 + 7 * note.brightness * env) * (1 - note.wah + note.wah * open);
    bell.Tune(rate, cutoff, 0.9 + 3 * note.wah);
    const double x = 0.5 * (Saw(a.Advance(f, rate), f / rate) + Saw(b.Advance(f * 1.004, rate), f * 1.004 / rate));
    return bell.Tick(x).low * env;
  });
}

Signal Render(double rate, double seconds, const std::function<double(double)>& fn) {
  Signal s(static_cast<size_t>(seconds * rate));
  for (size_t n = 0; n < s.size(); ++n) s[n] = fn(static_cast<double>(n) / rate);
  return s;
}

void Process(Signal& s, bool loop, const std::function<double(double)>& tick) {
  if (loop) {
    for (double x : s) tick(x);
  }
  for (double& x : s) x = tick(x);
}

Track::Track(double r, double seconds, bool l)
    : rate(r), loop(l), left(static_cast<size_t>(seconds * r)), right(left.size()) {}

void Track::Mix(const Signal& s, double at, double gain, double pan) {
  const double angle = (Clamp01((pan + 1) / 2)) * kPi / 2;
  const double gl = gain * std::cos(angle) * std::sqrt(2.0), gr = gain * std::sin(angle) * std::sqrt(2.0);
  const int64_t start = std::llround(at * rate), frames = Frames();
  for (size_t i = 0; i < s.size(); ++i) {
    int64_t n = start + static_cast<int64_t>(i);
    if (loop) n = ((n % frames) + frames) % frames;
    if (n < 0 || n >= frames) continue;
    left[n] += s[i] * gl;
    right[n] += s[i] * gr;
  }
}

namespace {

struct Delay {
  std::vector<double> line;
  size_t at = 0;
  double store = 0;
  explicit Delay(size_t n) : line(std::max<size_t>(1, n)) {}
  double Comb(double x, double feedback, double damp) {
    const double out = line[at];
    store = out * (1 - damp) + store * damp;
    line[at] = x + store * feedback;
    if (++at == line.size()) at = 0;
    return out;
  }
  double AllPass(double x) {
    const double held = line[at];
    line[at] = x + held * 0.5;
    if (++at == line.size()) at = 0;
    return held - x;
  }
};

// One side of the reverberation: eight combs into four all-passes, lengths in samples at 44.1 kHz.
struct Reverb {
  std::vector<Delay> combs, passes;
  double feedback, damp;
  Reverb(double rate, const Room& room, size_t spread) : feedback(room.size * 0.28 + 0.7), damp(room.damping * 0.4) {
    const double scale = rate / 44100;
    for (size_t n : {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617}) {
      combs.emplace_back(static_cast<size_t>((n + spread) * scale));
    }
    for (size_t n : {556, 441, 341, 225}) passes.emplace_back(static_cast<size_t>((n + spread) * scale));
  }
  double Tick(double x) {
    double sum = 0;
    for (Delay& c : combs) sum += c.Comb(x, feedback, damp);
    for (Delay& p : passes) sum = p.AllPass(sum);
    return sum;
  }
};

}  // namespace

void Reverberate(Track& t, const Room& room) {
  Reverb left(t.rate, room, 0), right(t.rate, room, 23);
  const double wet = room.wet * 3 * 0.015;
  Signal dry(t.left.size());
  for (size_t n = 0; n < dry.size(); ++n) dry[n] = t.left[n] + t.right[n];
  Signal wetLeft = dry, wetRight = dry;
  Process(wetLeft, t.loop, [&](double x) { return left.Tick(x) * wet; });
  Process(wetRight, t.loop, [&](double x) { return right.Tick(x) * wet; });
  for (size_t n = 0; n < dry.size(); ++n) {
    t.left[n] += wetLeft[n];
    t.right[n] += wetRight[n];
  }
}

Levels Measure(const Track& t) {
  const size_t n = t.left.size(), window = static_cast<size_t>(0.05 * t.rate);
  Levels l{0, 0, 0};
  std::vector<double> energy(n + 1, 0);  // running sum of the frames' power
  for (size_t i = 0; i < n; ++i) {
    l.peak = std::max({l.peak, std::abs(t.left[i]), std::abs(t.right[i])});
    energy[i + 1] = energy[i] + (t.left[i] * t.left[i] + t.right[i] * t.right[i]) / 2;
  }
  l.rms = n ? std::sqrt(energy[n] / n) : 0;
  for (size_t i = 0; i + window <= n; ++i) l.loudest = std::max(l.loudest, (energy[i + window] - energy[i]) / window);
  l.loudest = std::sqrt(l.loudest);
  return l;
}

void Master(Track& t, double loudness, double ceiling) {
  const double pole = std::exp(-2 * kPi * 20 / t.rate);  // a 20 Hz high-pass: no offset, no rumble
  for (Signal* side : {&t.left, &t.right}) {
    double x1 = 0, y1 = 0;
    Process(*side, t.loop, [&](double x) {
      y1 = pole * (y1 + x - x1);
      x1 = x;
      return y1;
    });
    if (!t.loop) {  // a one-shot starts and ends at rest, whatever its first and last sounds do
      const size_t in = std::min(side->size(), static_cast<size_t>(0.001 * t.rate));
      const size_t out = std::min(side->size(), static_cast<size_t>(0.015 * t.rate));
      for (size_t i = 0; i < in; ++i) (*side)[i] *= 0.5 - 0.5 * std::cos(kPi * i / in);
      for (size_t i = 0; i < out; ++i) (*side)[side->size() - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * i / out);
    }
  }
  const Levels l = Measure(t);
  if (l.peak <= 0) return;
  const double gain = std::min(loudness / l.loudest, ceiling / l.peak);
  for (Signal* side : {&t.left, &t.right}) {
    for (double& x : *side) x *= gain;
  }
}

std::vector<int16_t> ToPcm16(const Track& t, int32_t channels) {
  std::vector<int16_t> out;
  out.reserve(t.left.size() * channels);
  auto put = [&out](double x) { out.push_back(static_cast<int16_t>(std::lround(std::clamp(x, -1.0, 1.0) * 32767))); };
  for (size_t n = 0; n < t.left.size(); ++n) {
    if (channels == 1) {
      put((t.left[n] + t.right[n]) / 2);
    } else {
      put(t.left[n]);
      put(t.right[n]);
    }
  }
  return out;
}

}  // namespace synth
