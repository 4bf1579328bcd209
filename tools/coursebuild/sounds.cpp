// The course's sound effects, each a short recipe over the synthesis kit: struck bodies ring through their
// modes, voices and the duck speak through formants, splashes and wind are filtered noise, and a little room
// reverberation puts them all in one place. Loops are mixed round their seam.
#include "tools/coursebuild/sounds.h"

#include <algorithm>
#include <cmath>

#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/synth.h"

namespace {

using namespace synth;

// Every effect is levelled to the same loudness over its loudest 50 ms, its peak kept below -1 dBFS.
constexpr double kLoudness = 0.22;
constexpr double kCeiling = 0.89;

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutId(std::vector<uint8_t>& b, const char* id) {
  for (int64_t i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}

struct WaveFormat {
  int32_t rate, channels, bits;
  bool withList;  // a LIST INFO chunk naming its maker between the format and the samples
};

// A RIFF WAVE file of the mix, levelled: the PCM format record, optionally the LIST chunk, then the samples.
std::vector<uint8_t> EncodeWave(Track mix, const WaveFormat& f) {
  if (f.channels == 1) {  // level what will be heard: the two sides as one
    for (size_t n = 0; n < mix.left.size(); ++n) mix.left[n] = mix.right[n] = (mix.left[n] + mix.right[n]) / 2;
  }
  Master(mix, kLoudness, kCeiling);
  const std::vector<int16_t> samples = ToPcm16(mix, f.channels);
  std::vector<uint8_t> data;
  for (int16_t v : samples) {
    if (f.bits == 8) {
      data.push_back(static_cast<uint8_t>(std::min(255, (v + 32768 + 128) >> 8)));
    } else {
      Put16(data, static_cast<uint16_t>(v));
    }
  }
  const auto dataSize = static_cast<uint32_t>(data.size());
  if (data.size() & 1) data.push_back(0x80);  // pad byte of an odd 8-bit chunk, counted outside its size

  std::vector<uint8_t> list;
  if (f.withList) {
    static constexpr char kSoftware[] = "Quillmere coursebuild";  // 22 bytes with its terminator: even
    PutId(list, "INFO");
    PutId(list, "ISFT");
    Put32(list, sizeof kSoftware);
    for (char c : kSoftware) list.push_back(static_cast<uint8_t>(c));
  }

  std::vector<uint8_t> b;
  PutId(b, "RIFF");
  Put32(b, 0);  // filled in below
  PutId(b, "WAVE");
  PutId(b, "fmt ");
  Put32(b, 16);
  const auto blockAlign = static_cast<uint32_t>(f.channels * f.bits / 8);
  Put16(b, 1);
  Put16(b, static_cast<uint32_t>(f.channels));
  Put32(b, static_cast<uint32_t>(f.rate));
  Put32(b, static_cast<uint32_t>(f.rate) * blockAlign);
  Put16(b, blockAlign);
  Put16(b, static_cast<uint32_t>(f.bits));
  if (f.withList) {
    PutId(b, "LIST");
    Put32(b, static_cast<uint32_t>(list.size()));
    b.insert(b.end(), list.begin(), list.end());
  }
  PutId(b, "data");
  Put32(b, dataSize);
  b.insert(b.end(), data.begin(), data.end());
  const auto riffSize = static_cast<uint32_t>(b.size() - 8);
  for (int64_t i = 0; i < 4; ++i) b[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
  return b;
}

// ---- Pieces several effects share -------------------------------------------------------------------------

// A body struck once at the start of the signal: a contact pulse (narrower is harder) through its modes.
Signal Knock(double rate, double seconds, double width, const std::vector<Mode>& modes) {
  Signal push(static_cast<size_t>(seconds * rate));
  Hit(push, rate, 0, 1, width);
  return Ring(push, rate, modes);
}

// Noise through a filter whose corner moves with time: a low-pass, or a band-pass of unit peak; then shaped by
// level. Splashes, whooshes and blasts.
enum class Pass { Low, Band };
Signal SweptNoise(double rate, double seconds, Noise& noise, Pass pass, double q,
                  const std::function<double(double)>& corner, const std::function<double(double)>& level) {
  Svf filter;
  return Render(rate, seconds, [&](double t) {
    filter.Tune(rate, corner(t), q);
    const double x = noise.Next();
    return (pass == Pass::Low ? filter.Tick(x).low : filter.BandUnity(x)) * level(t);
  });
}

// A burst of noise through a band (centre and Q), rising over attack and falling 60 dB in t60.
Signal Burst(double rate, Noise& noise, double centre, double q, double attack, double t60) {
  return SweptNoise(
      rate, attack + t60, noise, Pass::Band, q, [centre](double) { return centre; },
      [attack, t60](double t) { return Strike(t, attack, t60); });
}

// A crowd: voices of men and women starting a little apart, each following contour (a pitch factor over the
// share 0 to 1 of its length) from one vowel to another, panned across the room.
struct Crowd {
  int32_t voices;
  double seconds;
  Vowel from, to;
  std::function<double(double)> contour;
};
void AddCrowd(Track& t, double at, const Crowd& c, Noise& noise, double gain) {
  for (int32_t i = 0; i < c.voices; ++i) {
    const bool woman = i % 2 == 1;
    const double pitch = woman ? noise.Range(200, 290) : noise.Range(105, 150);
    const double delay = noise.Range(0, 0.12), length = c.seconds - delay - noise.Range(0, 0.15);
    const double attack = noise.Range(0.05, 0.12);
    VoiceShape shape{[&c, pitch, length](double s) { return pitch * c.contour(std::min(1.0, s / length)); },
                     [&c, length](double s) { return Blend(c.from, c.to, std::min(1.0, s / length)); },
                     [length, attack](double s) {
                       return Breakpoints(s, {{0, 0}, {attack, 1}, {length * 0.6, 0.8}, {length, 0}});
                     },
                     length,
                     0.25,
                     (woman ? 1.17 : 1.0) * noise.Range(0.94, 1.06),
                     static_cast<uint32_t>(noise.Range(1, 4e9))};
    t.Mix(Voice(t.rate, shape), at + delay, gain * noise.Range(0.6, 1), noise.Range(-0.8, 0.8));
  }
}

// A clap: a sharp burst of hand-sized noise.
void AddClaps(Track& t, double at, double seconds, int32_t count, Noise& noise, double gain) {
  for (int32_t i = 0; i < count; ++i) {
    const Signal clap = Burst(t.rate, noise, noise.Range(1000, 1800), 1.4, 0.0008, noise.Range(0.04, 0.08));
    t.Mix(clap, at + noise.Range(0, seconds), gain * noise.Range(0.4, 1), noise.Range(-0.9, 0.9));
  }
}

// A brass line: each note (start, frequency, length) on the same instrument.
struct Note {
  double at, freq, seconds;
};
void AddBrass(Track& t, std::initializer_list<Note> notes, double gain, double pan, BrassNote style = {0, 0}) {
  for (const Note& n : notes) {
    style.freq = n.freq;
    style.seconds = n.seconds;
    t.Mix(Brass(t.rate, style), n.at, gain, pan);
  }
}

// A brass call in two parts on one rhythm (start and length of each note), the upper part left of the lower.
struct Beat {
  double at, seconds;
};
void AddFanfare(Track& t, const std::vector<Beat>& rhythm, const std::vector<double>& upper,
                const std::vector<double>& lower) {
  for (size_t i = 0; i < rhythm.size(); ++i) {
    AddBrass(t, {{rhythm[i].at, upper[i], rhythm[i].seconds}}, 0.45, -0.35);
    AddBrass(t, {{rhythm[i].at, lower[i], rhythm[i].seconds}}, 0.32, 0.35);
  }
}

// A gas bubble closing under water: a sine whose pitch rises as it shrinks, dying fast.
Signal Bubble(double rate, double freq, double t60) {
  Phase p;
  return Render(rate, t60, [&](double t) {
    return Sine(p.Advance(freq * (1 + 1.5 * t / t60), rate)) * std::min(1.0, t / 0.001) * Decay(t, t60);
  });
}

// A frequency moved to the nearest that fits a whole number of cycles into a loop of seconds.
double Cyclic(double freq, double seconds) { return std::max(1.0, std::round(freq * seconds)) / seconds; }

// ---- The effects ----------------------------------------------------------------------------------------

// The putter meeting the ball: a hard contact ringing the steel face and the ball's shell, a dull knock
// down the shaft, a millisecond of bright click.
Track HitBall() {
  Track t(44100, 0.25);
  Noise noise{0x1234567};
  t.Mix(Knock(t.rate, 0.24, 0.00025,
              {{2650, 0.05, 0.5},
               {4100, 0.035, 0.6},
               {5900, 0.02, 0.4},
               {8300, 0.012, 0.3},
               {1250, 0.03, 0.4},
               {210, 0.03, 0.5}}),
        0.002);
  Svf air;
  air.Tune(t.rate, 3500, 0.7);
  t.Mix(Render(t.rate, 0.006, [&](double s) { return air.Tick(noise.Next()).high * Decay(s, 0.004); }), 0.002, 0.4);
  Reverberate(t, {0.2, 0.8, 0.1});
  return t;
}

// A rebound off the border; the two walls are different stuff, so alternating knocks never sound like one
// sound repeated: left a wooden rail (low, warm, ringing), right a stone kerb (high, hard, short).
Track Wall(const std::vector<Mode>& body, double width, double pan, uint32_t seed) {
  Track t(44100, 0.22);
  Noise noise{seed};
  Signal push(static_cast<size_t>(0.2 * t.rate));
  Hit(push, t.rate, 0.001, 1, width);
  for (size_t n = 0; n < 150; ++n) push[n + 44] += noise.Next() * 0.015 * Decay(n / t.rate, 0.003);  // grit
  t.Mix(Ring(push, t.rate, body), 0, 1, pan);
  Reverberate(t, {0.25, 0.5, 0.12});
  return t;
}
Track WallL() {
  return Wall(
      {{190, 0.05, 0.5}, {420, 0.09, 1}, {980, 0.07, 0.7}, {1530, 0.05, 0.5}, {2280, 0.035, 0.35}, {3350, 0.02, 0.2}},
      0.0007, -0.4, 0xA11);
}
Track WallR() {
  return Wall({{260, 0.03, 0.3},
               {1320, 0.05, 0.8},
               {2470, 0.04, 0.7},
               {3810, 0.03, 0.6},
               {5270, 0.02, 0.5},
               {7150, 0.012, 0.4}},
              0.0003, 0.4, 0xB22);
}

// Into the cup: the ball clips the rim, drops to the bottom with a hollow knock, bounces lower and sooner each
// time, knocking the cup's ringing wall, and rattles to rest.
Track InHole() {
  Track t(22050, 1.0);
  Noise noise{0xBADC0DE};
  Signal rim(static_cast<size_t>(t.Frames())), floor(rim.size());
  Hit(rim, t.rate, 0, 0.7, 0.0004);
  double at = 0.085, gap = 0.12, push = 1;
  for (int32_t k = 0; k < 9; ++k) {
    Hit(floor, t.rate, at, push, 0.0006);
    Hit(rim, t.rate, at + noise.Range(0.003, 0.012), push * noise.Range(0.15, 0.5), 0.0003);
    at += gap;
    gap *= 0.68;
    push *= 0.62;
  }
  for (int32_t k = 0; k < 10; ++k) Hit(rim, t.rate, at + noise.Range(0, 0.08), push * noise.Range(0.2, 1), 0.0003);
  t.Mix(
      Ring(rim, t.rate, {{880, 0.22, 0.6}, {2030, 0.16, 0.5}, {3270, 0.11, 0.4}, {4610, 0.07, 0.3}, {6050, 0.05, 0.2}}),
      0);
  t.Mix(Ring(floor, t.rate, {{190, 0.07, 1}, {520, 0.05, 0.5}, {1240, 0.04, 0.3}}), 0);
  Reverberate(t, {0.2, 0.6, 0.1});
  return t;
}

// Hole in one: a bright brass call up the major chord, and the gallery cheering and clapping under it.
Track HoleOne() {
  Track t(22050, 1.9);
  Noise noise{0xACE1};
  AddFanfare(t, {{0, 0.11}, {0.12, 0.11}, {0.24, 0.11}, {0.36, 0.55}}, {392.0, 523.25, 659.26, 783.99},
             {329.63, 392.0, 523.25, 659.26});
  // "Yeah!": the pitch leaps up, holds and sinks as the breath runs out.
  const Crowd cheer{12, 1.45, kVowelAe, kVowelA, [](double x) {
                      return Breakpoints(x, {{0, 0.9}, {0.15, 1.35}, {0.6, 1.25}, {1, 1.05}});
                    }};
  AddCrowd(t, 0.3, cheer, noise, 0.5);
  AddClaps(t, 0.45, 1.3, 40, noise, 0.35);
  Reverberate(t, {0.45, 0.5, 0.2});
  return t;
}

// So close: the gallery's falling "oh" sinking into "oo".
Track JustMiss() {
  Track t(22050, 0.9);
  Noise noise{0x0E0E};
  const Crowd groan{8, 0.85, kVowelO, kVowelU, [](double x) {
                      return Breakpoints(x, {{0, 1.15}, {0.2, 1.2}, {1, 0.8}});
                    }};
  AddCrowd(t, 0, groan, noise, 1);
  Reverberate(t, {0.35, 0.5, 0.15});
  return t;
}

// Over the limit: the sad trombone, three muted notes sliding down a semitone at a time and a long last one
// that wobbles and sags.
Track OverPar() {
  Track t(22050, 1.95);
  const BrassNote muted{0, 0, 0.5, 0.004, 0.01, 0.7};
  AddBrass(t, {{0, 233.08, 0.34}, {0.38, 220.0, 0.34}, {0.76, 207.65, 0.34}}, 1, 0, muted);
  AddBrass(t, {{1.14, 196.0, 0.74}}, 1, 0, {0, 0, 0.5, 0.03, 0.04, 0.8});
  Reverberate(t, {0.3, 0.5, 0.12});
  return t;
}

// A splash: the slap on the surface, a burst of noise whose brightness falls away; the plop of the ball going
// under; bubbles rising after it, smaller and higher; drops of spray falling back.
Track Water() {
  Track t(22050, 0.85);
  Noise noise{0x5EA5EA};
  t.Mix(SweptNoise(
            t.rate, 0.6, noise, Pass::Low, 0.7, [](double s) { return 500 + 5500 * Decay(s, 0.4); },
            [](double s) { return Strike(s, 0.004, 0.35); }),
        0, 0.8);
  t.Mix(Bubble(t.rate, 380, 0.15), 0.015, 0.9);
  for (int32_t k = 0; k < 16; ++k) {
    const double at = noise.Range(0.05, 0.7);
    t.Mix(Bubble(t.rate, noise.Range(500, 1300) * (1 + at), noise.Range(0.03, 0.08)), at, 0.5 * (1 - at));
  }
  for (int32_t k = 0; k < 10; ++k) {
    t.Mix(Burst(t.rate, noise, noise.Range(2500, 5000), 2, 0.0005, 0.02), noise.Range(0.15, 0.6), 0.25);
  }
  Reverberate(t, {0.3, 0.6, 0.12});
  return t;
}

// A teleport: a chord of partials sweeping up three octaves, each trembling at its own rate, an airy whoosh
// following it, and sparkles thickening towards the top.
Track Teleport() {
  Track t(22050, 1.05);
  Noise noise{0x7E1E};
  auto sweep = [](double s) { return 200 * std::pow(8.0, std::min(1.0, s / 0.85)); };
  auto swell = [](double s) { return Breakpoints(s, {{0, 0}, {0.12, 0.5}, {0.7, 1}, {1.0, 0}}); };
  const double ratios[] = {1, 1.5, 2, 3, 4.01, 6.02};
  for (int32_t i = 0; i < 6; ++i) {
    Phase p;
    const double tremble = 17 + 4.3 * i;
    t.Mix(Render(t.rate, 1.0,
                 [&](double s) {
                   return Sine(p.Advance(sweep(s) * ratios[i], t.rate)) * (0.6 + 0.4 * Sine(tremble * s)) * swell(s);
                 }),
          0, 0.35 / (1 + i * 0.5));
  }
  t.Mix(SweptNoise(
            t.rate, 1.0, noise, Pass::Band, 6, [&](double s) { return 3 * sweep(s); }, swell),
        0, 0.3);
  for (int32_t k = 0; k < 24; ++k) {
    const double at = 0.1 + 0.85 * std::sqrt(noise.Range(0, 1));
    t.Mix(Knock(t.rate, 0.08, 0.0002, {{noise.Range(2500, 8000), 0.06, 1}}), at, 0.3);
  }
  Reverberate(t, {0.6, 0.3, 0.35});
  return t;
}

// A glockenspiel bar: the partials of a struck metal bar.
Signal Chime(double rate, double freq) {
  return Knock(rate, 0.5, 0.0003, {{freq, 0.5, 1}, {freq * 2.76, 0.25, 0.45}, {freq * 5.4, 0.12, 0.25}});
}

// Instant replay: the tape spooling back, a fluttering hiss sweeping down, then two chimes stepping up.
// Exactly 600 ms: the game waits for it to end.
Track Replay() {
  Track t(22050, 0.6);
  Noise noise{0xFEED};
  t.Mix(SweptNoise(
            t.rate, 0.36, noise, Pass::Band, 5, [](double s) { return 4500 * std::pow(0.15, s / 0.36); },
            [](double s) {
              return (0.7 + 0.3 * Sine(32 * s)) * Breakpoints(s, {{0, 0}, {0.05, 1}, {0.3, 0.8}, {0.36, 0}});
            }),
        0, 0.8);
  t.Mix(Chime(t.rate, 1318.5), 0.33, 0.5);
  t.Mix(Chime(t.rate, 1975.5), 0.43, 0.5);
  Reverberate(t, {0.35, 0.4, 0.15});
  return t;
}

// Try again: two soft wooden marimba notes, low then high.
Track Retry() {
  Track t(22050, 0.45);
  for (const auto& [at, freq] : {std::pair{0.0, 523.25}, std::pair{0.14, 783.99}}) {
    t.Mix(Knock(t.rate, 0.3, 0.0015, {{freq, 0.35, 1}, {freq * 3.93, 0.12, 0.35}, {freq * 9.2, 0.05, 0.1}}), at);
  }
  Reverberate(t, {0.3, 0.5, 0.12});
  return t;
}

// A duck's "quack quack": a harsh, doubled buzz (every other pulse weaker) whose pitch jumps up and sinks,
// opening from a nasal "w" into a wide, bright "a" and cut off short.
Signal QuackOnce(double rate, double seconds, double pitch, uint32_t seed) {
  static const Vowel kBill{{1000, 1550, 2700}, {150, 180, 250}, {1, 0.9, 0.6}};
  Noise noise{seed};
  Phase p;
  FormantFilter bill;
  return Render(rate, seconds, [&](double t) {
    const double x = t / seconds;
    const double f = pitch * Breakpoints(x, {{0, 0.85}, {0.12, 1}, {1, 0.72}});
    const double ph = p.Advance(f / 2, rate);
    const double buzz = Saw(std::fmod(2 * ph, 1.0), f / rate) * (ph < 0.5 ? 1 : 0.55) + 0.15 * noise.Next();
    const Vowel v = Blend(kVowelU, kBill, std::min(1.0, x / 0.15));
    return bill.Tick(buzz, v, rate) * Breakpoints(x, {{0, 0}, {0.05, 1}, {0.7, 0.85}, {0.92, 0.6}, {1, 0}});
  });
}
Track Quack() {
  Track t(22050, 0.6);
  t.Mix(QuackOnce(t.rate, 0.24, 300, 0xD0C), 0.005);
  t.Mix(QuackOnce(t.rate, 0.21, 270, 0xD0D), 0.3, 0.85);
  Reverberate(t, {0.25, 0.5, 0.1});
  return t;
}

// A flag in the wind, made to loop: a low rush of air swelling in gusts, the cloth fluttering, and snaps as
// it cracks taut. Every gust and flutter fits a whole number of times into the loop, the snaps run round its
// seam, and the filters and the room carry their memory across it.
Track FlagLap() {
  constexpr double kSeconds = 1.8;
  Track t(22050, kSeconds, true);
  Noise noise{0xF1A6};
  const int64_t frames = t.Frames();
  auto gust = [&](double s) {
    return 0.6 + 0.25 * Sine(Cyclic(0.56, kSeconds) * s) + 0.15 * Sine(Cyclic(1.7, kSeconds) * s + 0.3);
  };
  Signal air(static_cast<size_t>(frames)), cloth(air.size());
  for (size_t n = 0; n < air.size(); ++n) {
    air[n] = noise.Next();
    cloth[n] = noise.Next();
  }
  Svf rush, flutter;
  int64_t n = 0;
  Process(air, true, [&](double x) {
    const double s = static_cast<double>(n++ % frames) / t.rate;
    rush.Tune(t.rate, 300 + 250 * gust(s), 0.8);
    return rush.Tick(x).band * gust(s);
  });
  n = 0;
  Process(cloth, true, [&](double x) {
    const double s = static_cast<double>(n++ % frames) / t.rate;
    const double ripple = 0.5 + 0.5 * Sine(Cyclic(13, kSeconds) * s);
    flutter.Tune(t.rate, 900 + 300 * Sine(Cyclic(3, kSeconds) * s), 1.2);
    return flutter.BandUnity(x) * ripple * ripple * gust(s);
  });
  t.Mix(air, 0, 0.5);
  t.Mix(cloth, 0, 0.3);
  for (int32_t k = 0; k < 12; ++k) {
    const double at = k * kSeconds / 12 + noise.Range(-0.04, 0.04);
    const double strength = noise.Range(0.25, 1) * gust(at);
    t.Mix(Burst(t.rate, noise, 1200, 1.2, 0.002, 0.07), at, 0.9 * strength);
    t.Mix(Burst(t.rate, noise, 350, 1, 0.004, 0.1), at, 0.6 * strength);
  }
  Reverberate(t, {0.3, 0.5, 0.1});
  return t;
}

// The round into the best scores, made to loop: a brass fanfare in thirds over a bass, then fireworks
// whistling up, bursting with a boom and crackling away, left, right and centre. The last burst's echoes run
// round into the fanfare.
Track July4() {
  Track t(44100, 3.6, true);
  Noise noise{0x4171776};
  AddFanfare(
      t, {{0, 0.12}, {0.15, 0.12}, {0.3, 0.12}, {0.45, 0.45}, {0.95, 0.15}, {1.12, 0.15}, {1.29, 0.15}, {1.46, 0.7}},
      {392.0, 392.0, 392.0, 523.25, 392.0, 523.25, 659.26, 783.99},
      {329.63, 329.63, 329.63, 392.0, 329.63, 392.0, 523.25, 659.26});
  AddBrass(t, {{0.45, 130.81, 0.45}, {1.46, 130.81, 0.7}}, 0.4, 0, {0, 0, 0.4});
  for (const auto& [launch, pan] : {std::pair{1.2, -0.6}, std::pair{2.0, 0.6}, std::pair{2.7, 0.0}}) {
    Phase whistle, thump;
    t.Mix(
        Render(t.rate, 0.55,
               [&](double s) {
                 const double f = 900 * std::pow(3.0, s / 0.55) * (1 + 0.01 * noise.Next());
                 return Sine(whistle.Advance(f, t.rate)) * Breakpoints(s, {{0, 0}, {0.1, 0.3}, {0.5, 0.35}, {0.55, 0}});
               }),
        launch, 0.5, pan * 0.5);
    const double boom = launch + 0.55;
    t.Mix(SweptNoise(
              t.rate, 1.2, noise, Pass::Low, 0.7, [](double s) { return 200 + 3000 * Decay(s, 0.25); },
              [](double s) { return Strike(s, 0.001, 0.9); }),
          boom, 0.8, pan);
    t.Mix(Render(t.rate, 1.0,
                 [&](double s) {
                   return Sine(thump.Advance(90 * std::pow(0.45, s / 0.3), t.rate)) * Strike(s, 0.002, 0.6);
                 }),
          boom, 0.8, pan);
    for (int32_t k = 0; k < 50; ++k) {
      t.Mix(Burst(t.rate, noise, noise.Range(3000, 9000), 1, 0.0003, 0.008), boom + noise.Range(0.15, 1.1),
            0.3 * noise.Range(0.3, 1), std::clamp(pan + noise.Range(-0.4, 0.4), -1.0, 1.0));
    }
  }
  Reverberate(t, {0.75, 0.4, 0.3});
  return t;
}

}  // namespace

std::vector<CourseSound> SynthesizeCourseSounds() {
  std::vector<CourseSound> sounds;
  auto add = [&sounds](const char* file, Track mix, WaveFormat format) {
    sounds.push_back({file, EncodeWave(std::move(mix), format)});
  };
  // The formats differ on purpose: the game takes any PCM rate, width and channel count.
  add("HitBall.wav", HitBall(), {44100, 1, 16, false});
  add("HoleOne.wav", HoleOne(), {22050, 2, 16, false});
  add("WallL.wav", WallL(), {44100, 2, 16, false});
  add("WallR.wav", WallR(), {44100, 2, 16, false});
  add("InHole.wav", InHole(), {22050, 1, 16, true});
  add("Teleport.wav", Teleport(), {22050, 1, 16, false});
  add("Water.wav", Water(), {22050, 1, 8, false});
  add("OverPar.wav", OverPar(), {22050, 1, 16, false});
  add("Replay.wav", Replay(), {22050, 1, 16, false});
  add("Retry.wav", Retry(), {22050, 1, 16, false});
  add("Quack.wav", Quack(), {22050, 1, 16, false});
  add("JustMiss.wav", JustMiss(), {22050, 1, 16, false});
  add("FlagLap.wav", FlagLap(), {22050, 1, 16, false});
  add("July4.wav", July4(), {44100, 2, 16, false});
  return sounds;
}

bool WriteCourseSounds(const std::filesystem::path& gameDir, std::vector<std::filesystem::path>* written,
                       std::string* error) {
  for (const CourseSound& sound : SynthesizeCourseSounds()) {
    const std::filesystem::path path = gameDir / "Snds" / sound.file;
    switch (WriteIfChanged(path, sound.wav, error)) {
      case WriteOutcome::Unchanged:
        break;
      case WriteOutcome::Written:
        written->push_back(path);
        break;
      case WriteOutcome::Failed:
        return false;
    }
  }
  return true;
}
