// The course's sound effects. Every sample comes from integer arithmetic (fixed-point oscillators, a
// shift-register noise, halving envelopes, small filters), so the files never differ between builds.
#include "tools/coursebuild/sounds.h"

#include <algorithm>
#include <cstdlib>

#include "tools/coursebuild/course_files.h"

namespace {

// ---- Building blocks ------------------------------------------------------------------------------------

constexpr int32_t kCentre = 128;  // pan: 0 hard left, 256 hard right

// One cycle is the whole 32-bit phase. Bhaskara's rational approximation over each half cycle is within
// 0.2% of a sine and needs no floating point.
int32_t Sine(uint32_t phase) {
  const int64_t x = (phase >> 16) & 0x7FFF;
  const int64_t p = x * (32768 - x);
  const auto v = static_cast<int32_t>(16 * p * 32767 / (5LL * 32768 * 32768 - 4 * p));
  return (phase & 0x80000000u) ? -v : v;
}
int32_t Saw(uint32_t phase) { return static_cast<int32_t>(phase >> 16) - 32768; }
int32_t Triangle(uint32_t phase) {
  const int32_t ramp = static_cast<int32_t>(phase >> 15);  // 0..131071
  return ramp < 65536 ? ramp - 32768 : 98303 - ramp;
}

// Phase step of a frequency given in hundredths of a hertz.
uint32_t Step(int64_t centiHz, int32_t rate) { return static_cast<uint32_t>((centiHz << 32) / (100LL * rate)); }

struct Noise {
  uint32_t state;
  int32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<int32_t>(state >> 16) - 32768;
  }
};

// Envelopes are 16.16 fractions: 65536 is full level.
constexpr int32_t kUnit = 65536;
// Halves every half samples, straight lines between the halvings.
int32_t Decay(int64_t n, int64_t half) {
  if (n < 0) return 0;
  const int64_t k = n / half;
  if (k >= 16) return 0;
  const int64_t level = kUnit >> k;
  return static_cast<int32_t>(level - level / 2 * (n % half) / half);
}
// 0 to full over len samples.
int32_t Rise(int64_t n, int64_t len) { return n <= 0 ? 0 : n >= len ? kUnit : static_cast<int32_t>(n * kUnit / len); }
int32_t Scale(int64_t v, int64_t level) { return static_cast<int32_t>(v * level / kUnit); }

// A two-integrator resonant filter; f and damping in 2.14 fixed point.
struct Resonator {
  int32_t f;
  int32_t damping;
  int64_t low = 0;
  int64_t band = 0;
  int32_t Band(int32_t in) {
    low += f * band >> 14;
    const int64_t high = in - low - (damping * band >> 14);
    band += f * high >> 14;
    return static_cast<int32_t>(band);
  }
};

struct OnePole {
  int32_t a;  // 16.16 share of the new sample
  int64_t y = 0;
  int32_t Low(int32_t x) {
    y += (x - y) * a >> 16;
    return static_cast<int32_t>(y);
  }
};

// A sound in the making: samples summed at 32 bits, then brought to full level once.
struct Sound {
  int32_t rate;
  int32_t channels;
  int32_t bits = 16;
  std::vector<int64_t> sum;

  Sound(int32_t r, int32_t c, int32_t ms) : rate(r), channels(c), sum(static_cast<size_t>(Frames(ms)) * c) {}
  int64_t Frames(int64_t ms) const { return ms * rate / 1000; }
  int64_t Length() const { return static_cast<int64_t>(sum.size()) / channels; }
  void Add(int64_t frame, int32_t v, int32_t pan = kCentre) {
    if (frame < 0 || frame >= Length()) return;
    if (channels == 1) {
      sum[frame] += v;
      return;
    }
    sum[frame * 2] += static_cast<int64_t>(v) * std::min(256, 2 * (256 - pan)) / 256;
    sum[frame * 2 + 1] += static_cast<int64_t>(v) * std::min(256, 2 * pan) / 256;
  }
};

// The samples scaled so the loudest is peak, as 16-bit values.
std::vector<int16_t> Normalise(const Sound& s, int32_t peak) {
  int64_t most = 1;
  for (int64_t v : s.sum) most = std::max(most, std::abs(v));
  std::vector<int16_t> out(s.sum.size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(s.sum[i] * peak / most);
  return out;
}

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

// A RIFF WAVE file: the PCM format record, optionally a LIST INFO chunk naming its maker, then the samples.
std::vector<uint8_t> EncodeWave(const Sound& s, int32_t peak, bool withList) {
  const std::vector<int16_t> samples = Normalise(s, peak);
  std::vector<uint8_t> data;
  for (int16_t v : samples) {
    if (s.bits == 8) {
      data.push_back(static_cast<uint8_t>(std::min(255, (v + 32768 + 128) >> 8)));
    } else {
      Put16(data, static_cast<uint16_t>(v));
    }
  }
  if (data.size() & 1) data.push_back(0x80);  // pad byte of an odd 8-bit chunk, counted outside its size
  const uint32_t dataSize = static_cast<uint32_t>(samples.size() * (s.bits / 8));

  std::vector<uint8_t> list;
  if (withList) {
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
  const auto blockAlign = static_cast<uint32_t>(s.channels * s.bits / 8);
  Put16(b, 1);
  Put16(b, static_cast<uint32_t>(s.channels));
  Put32(b, static_cast<uint32_t>(s.rate));
  Put32(b, static_cast<uint32_t>(s.rate) * blockAlign);
  Put16(b, blockAlign);
  Put16(b, static_cast<uint32_t>(s.bits));
  if (withList) {
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

// A decaying sine of frequency centiHz from frame at, at level, halving every halfMs.
void Ping(Sound& s, int64_t at, int64_t centiHz, int32_t level, int32_t halfMs, int32_t pan = kCentre) {
  const int64_t half = std::max<int64_t>(1, s.Frames(halfMs));
  const uint32_t step = Step(centiHz, s.rate);
  uint32_t phase = 0;
  for (int64_t n = 0; n < half * 16 && at + n < s.Length(); ++n, phase += step) {
    s.Add(at + n, Scale(static_cast<int64_t>(Sine(phase)) * level / 32768, Decay(n, half)), pan);
  }
}

// A burst of noise, smoothed by a one-pole filter (a: 16.16 share), halving every halfMs.
void Burst(Sound& s, Noise& noise, int64_t at, int32_t a, int32_t level, int32_t halfMs, int32_t pan = kCentre) {
  const int64_t half = std::max<int64_t>(1, s.Frames(halfMs));
  OnePole lp{a};
  for (int64_t n = 0; n < half * 16 && at + n < s.Length(); ++n) {
    s.Add(at + n, Scale(static_cast<int64_t>(lp.Low(noise.Next())) * level / 32768, Decay(n, half)), pan);
  }
}

// A tone with a brassy edge: a sawtooth through a low-pass, with vibrato (depth in thousandths) and
// attack and release ramps.
void Horn(Sound& s, int64_t at, int64_t lenMs, int64_t centiHz, int32_t level, int32_t vibratoPerMille,
          int32_t pan = kCentre) {
  const int64_t len = s.Frames(lenMs);
  const int64_t edge = s.Frames(25);
  const uint32_t wobbleStep = Step(550, s.rate);
  uint32_t phase = 0, wobble = 0;
  OnePole lp{20000};
  for (int64_t n = 0; n < len; ++n) {
    const int64_t hz = centiHz + centiHz * vibratoPerMille * Sine(wobble) / (1000LL * 32768);
    phase += Step(hz, s.rate);
    wobble += wobbleStep;
    const int32_t level16 = std::min(Rise(n, edge), Rise(len - n, edge * 3));
    s.Add(at + n, Scale(static_cast<int64_t>(lp.Low(Saw(phase))) * level / 32768, level16), pan);
  }
}

// ---- The effects ----------------------------------------------------------------------------------------

// The putter meeting the ball: a dry click over a short wooden tock.
Sound HitBall() {
  Sound s(44100, 1, 150);
  Noise noise{0x1234567};
  const int64_t clickHalf = s.Frames(1);
  int32_t previous = 0;
  for (int64_t n = 0; n < clickHalf * 12; ++n) {
    const int32_t white = noise.Next();
    s.Add(n, Scale((white - previous) / 2, Decay(n, clickHalf)));  // differenced: all top, no thump
    previous = white;
  }
  Ping(s, 0, 125000, 16000, 9);
  Ping(s, 0, 42000, 11000, 16);
  return s;
}

// Hole in one: a bright rising arpeggio, its notes thrown left and right, ending on a ringing chord.
Sound HoleOne() {
  Sound s(22050, 2, 1400);
  const int64_t notes[] = {52325, 65926, 78399, 104650};
  for (int64_t i = 0; i < 4; ++i) {
    const int64_t at = s.Frames(110 * i);
    const int32_t pan = i % 2 ? 200 : 56;
    Ping(s, at, notes[i], 12000, i == 3 ? 260 : 140, pan);
    Ping(s, at, notes[i] * 2, 4000, 90, pan);
  }
  for (int64_t hz : {52325, 65926, 78399}) Ping(s, s.Frames(330), hz, 6000, 260);
  return s;
}

// The ball glancing off a rail: a short metallic plink with an inharmonic overtone. The two walls differ a
// little in pitch and side so that alternating rebounds do not sound like one sound repeated.
Sound Wall(int64_t centiHz, int32_t pan, uint32_t seed) {
  Sound s(44100, 2, 180);
  Noise noise{seed};
  Burst(s, noise, 0, 52000, 6000, 1, pan);
  Ping(s, 0, centiHz, 15000, 14, pan);
  Ping(s, 0, centiHz * 276 / 100, 5000, 7, pan);
  return s;
}

// The ball rattling round the cup's rim, faster and faster, then dropping in with a hollow clunk.
Sound InHole() {
  Sound s(22050, 1, 900);
  Noise noise{0xBADC0DE};
  const int32_t rattleMs[] = {0, 70, 125, 170, 205, 232, 252};
  for (int64_t i = 0; i < 7; ++i) {
    const int64_t at = s.Frames(rattleMs[i]);
    Ping(s, at, 190000 + 23000 * (i % 3), 9000 - 900 * i, 6);
    Burst(s, noise, at, 40000, 3000, 1);
  }
  const int64_t drop = s.Frames(300);
  Ping(s, drop, 14000, 20000, 45);
  Burst(s, noise, drop, 6000, 14000, 25);
  Ping(s, drop + s.Frames(15), 33000, 7000, 130);
  return s;
}

// A rising sweep, speeding up as it climbs, with a shimmer a fifth above and a warble on top.
Sound Teleport() {
  Sound s(22050, 1, 1000);
  const int64_t len = s.Length();
  const int64_t fadeIn = s.Frames(60), fadeOut = s.Frames(180);
  const uint32_t warbleStep = Step(1400, s.rate);
  uint32_t phase = 0, shimmer = 0, warble = 0;
  for (int64_t n = 0; n < len; ++n) {
    const int64_t hz = 20000 + 220000 * n * n / (len * len);
    phase += Step(hz, s.rate);
    shimmer += Step(hz * 3 / 2, s.rate);
    warble += warbleStep;
    const int32_t v = Sine(phase) / 2 + Sine(shimmer) / 4;
    const int32_t level = std::min(Rise(n, fadeIn), Rise(len - n, fadeOut));
    s.Add(n, Scale(Scale(v, level), 49152 + Triangle(warble) / 2));
  }
  return s;
}

// A splash: a burst of noise whose brightness falls away, then a few bubbles rising to the top.
Sound Water() {
  Sound s(22050, 1, 700);
  s.bits = 8;
  Noise noise{0x5EA5EA};
  OnePole lp{50000};
  const int64_t len = s.Length();
  const int64_t attack = s.Frames(12), half = s.Frames(110);
  for (int64_t n = 0; n < len; ++n) {
    lp.a = static_cast<int32_t>(50000 - 44000 * std::min<int64_t>(n, half * 3) / (half * 3));
    s.Add(n, Scale(lp.Low(noise.Next()), std::min(Rise(n, attack), Decay(n - attack, half))));
  }
  for (int32_t ms : {240, 330, 410, 520}) {
    const int64_t at = s.Frames(ms), blip = s.Frames(35);
    uint32_t phase = 0;
    for (int64_t n = 0; n < blip; ++n) {
      phase += Step(40000 + 60000 * n / blip, s.rate);
      s.Add(at + n, Scale(Sine(phase) / 3, std::min(Rise(n, blip / 8), Rise(blip - n, blip / 2))));
    }
  }
  return s;
}

// Over the limit: three sagging notes and a long last one that wobbles and droops.
Sound OverPar() {
  Sound s(22050, 1, 1800);
  const int64_t notes[] = {39200, 36999, 34923};
  for (int64_t i = 0; i < 3; ++i) Horn(s, s.Frames(350 * i), 320, notes[i], 14000, 0);
  const int64_t at = s.Frames(1050), len = s.Frames(750);
  const uint32_t wobbleStep = Step(500, s.rate);
  uint32_t phase = 0, wobble = 0;
  OnePole lp{18000};
  for (int64_t n = 0; n < len; ++n) {
    const int64_t hz = 32963 - 3000 * n / len;
    phase += Step(hz + hz * 25 * Sine(wobble) / (1000LL * 32768), s.rate);
    wobble += wobbleStep;
    const int32_t level = std::min(Rise(n, s.Frames(25)), Rise(len - n, s.Frames(250)));
    s.Add(at + n, Scale(Scale(lp.Low(Saw(phase)), level), 28000));
  }
  return s;
}

// The tape running back: quick falling chirps, each starting a little higher, over a hiss.
Sound Replay() {
  Sound s(22050, 1, 600);
  Noise noise{0xFEED};
  OnePole hiss{30000};
  for (int64_t n = 0; n < s.Length(); ++n) {
    s.Add(n, Scale(hiss.Low(noise.Next()) / 6, std::min(Rise(n, s.Frames(30)), Rise(s.Length() - n, s.Frames(60)))));
  }
  for (int64_t i = 0; i < 7; ++i) {
    const int64_t at = s.Frames(80 * i), len = s.Frames(65);
    uint32_t phase = 0;
    for (int64_t n = 0; n < len; ++n) {
      phase += Step(260000 + 20000 * i - 170000 * n / len, s.rate);
      s.Add(at + n, Scale(Triangle(phase) / 2, std::min(Rise(n, len / 10), Rise(len - n, len / 3))));
    }
  }
  return s;
}

// Try again: a soft low-then-high two-note prompt.
Sound Retry() {
  Sound s(22050, 1, 450);
  const int64_t notes[] = {52325, 78399};
  for (int64_t i = 0; i < 2; ++i) {
    const int64_t at = s.Frames(200 * i), len = s.Frames(i == 0 ? 190 : 250);
    const uint32_t step = Step(notes[i], s.rate);
    uint32_t phase = 0;
    for (int64_t n = 0; n < len; ++n, phase += step) {
      s.Add(at + n, Scale(Triangle(phase) / 2, std::min(Rise(n, s.Frames(10)), Rise(len - n, s.Frames(90)))));
    }
  }
  return s;
}

// A duck: a buzzy, falling, nasal tone through two resonances, with a rising "qua" and a clipped "ack".
Sound Quack() {
  Sound s(22050, 1, 380);
  Resonator nose{5130, 2800};   // about 1,100 Hz
  Resonator bill{11300, 3600};  // about 2,600 Hz
  const int64_t len = s.Length();
  uint32_t phase = 0;
  for (int64_t n = 0; n < len; ++n) {
    const int64_t hz = n < len / 3 ? 26000 + 6000 * n / (len / 3) : 32000 - 11000 * (n - len / 3) / (len - len / 3);
    phase += Step(hz, s.rate);
    const int32_t buzz = Saw(phase);
    const int32_t v = nose.Band(buzz) / 4 + bill.Band(buzz) / 6;
    const int32_t level =
        std::min({Rise(n, s.Frames(20)), Rise(len - n, s.Frames(25)), 40000 + Rise(n, len / 3) * 3 / 8});
    s.Add(n, Scale(v, level));
  }
  return s;
}

// A disappointed "oh": a voice-like pulse gliding down, shaped by the two lowest resonances of that vowel.
Sound JustMiss() {
  Sound s(22050, 1, 500);
  Resonator first{2330, 2400};   // about 500 Hz
  Resonator second{3950, 2000};  // about 850 Hz
  const int64_t len = s.Length();
  uint32_t phase = 0;
  for (int64_t n = 0; n < len; ++n) {
    const int64_t hz = n < len / 5 ? 19000 + 2000 * n / (len / 5) : 21000 - 7000 * (n - len / 5) / (len - len / 5);
    phase += Step(hz, s.rate);
    const int32_t pulse = Saw(phase) + Saw(phase + 0x40000000u) / 2;
    const int32_t v = first.Band(pulse) / 3 + second.Band(pulse) / 5;
    s.Add(n, Scale(v, std::min(Rise(n, s.Frames(45)), Rise(len - n, s.Frames(160)))));
  }
  return s;
}

// A flag in the wind, made to loop: six flaps a period apart, each a snap of cloth noise and a softer
// flutter, every one over before the period ends so the loop has no seam.
Sound FlagLap() {
  Sound s(22050, 1, 960);
  Noise noise{0xF1A6};
  Resonator cloth{3300, 9000};  // about 700 Hz, broad
  const int64_t period = s.Length() / 6;
  for (int64_t n = 0; n < s.Length(); ++n) {
    const int64_t inFlap = n % period;
    const int32_t snap = std::min(Rise(inFlap, s.Frames(4)), Decay(inFlap - s.Frames(4), s.Frames(14)));
    const int64_t second = inFlap - period / 2;
    const int32_t flutter =
        second < 0 ? 0 : std::min(Rise(second, s.Frames(6)), Decay(second - s.Frames(6), s.Frames(10))) / 3;
    s.Add(n, Scale(cloth.Band(noise.Next()), snap + flutter));
  }
  return s;
}

// The round into the best scores: a short brass fanfare in thirds, then fireworks whistling up and popping
// with crackle, left, right and centre.
Sound July4() {
  Sound s(44100, 2, 3600);
  const int64_t melody[] = {39200, 52325, 65926, 78399};
  const int64_t harmony[] = {32963, 43999, 52325, 65926};
  for (int64_t i = 0; i < 4; ++i) {
    Horn(s, s.Frames(150 * i), 140, melody[i], 11000, 8, 100);
    Horn(s, s.Frames(150 * i), 140, harmony[i], 8000, 8, 156);
  }
  Horn(s, s.Frames(600), 800, 104650, 11000, 12, 110);
  Horn(s, s.Frames(600), 800, 78399, 8000, 12, 146);

  Noise noise{0x4171776};
  const int32_t launchMs[] = {900, 1550, 2200};
  const int32_t pans[] = {50, 206, 128};
  for (int64_t i = 0; i < 3; ++i) {
    const int64_t at = s.Frames(launchMs[i]), rise = s.Frames(420);
    uint32_t phase = 0;
    for (int64_t n = 0; n < rise; ++n) {
      phase += Step(80000 + 170000 * n / rise + 1000 * i, s.rate);
      s.Add(at + n, Scale(Sine(phase) / 5, std::min(Rise(n, rise / 4), Rise(rise - n, rise / 10))), pans[i]);
    }
    const int64_t pop = at + rise;
    Burst(s, noise, pop, 30000, 26000, 30, pans[i]);
    Ping(s, pop, 9000, 16000, 40, pans[i]);
    // Crackle: sparse sharp clicks scattered over the next half second.
    for (int c = 0; c < 24; ++c) {
      const int64_t when = pop + s.Frames(60) + static_cast<int64_t>(noise.Next() + 32768) * s.Frames(500) / 65536;
      const int32_t side = std::clamp(pans[i] + noise.Next() / 512, 0, 256);
      Burst(s, noise, when, 60000, 9000, 1, side);
    }
  }
  return s;
}

}  // namespace

std::vector<CourseSound> SynthesizeCourseSounds() {
  std::vector<CourseSound> sounds;
  auto add = [&sounds](const char* file, const Sound& s, int32_t peak, bool withList = false) {
    sounds.push_back({file, EncodeWave(s, peak, withList)});
  };
  add("HitBall.wav", HitBall(), 26000);
  add("HoleOne.wav", HoleOne(), 24000);
  add("WallL.wav", Wall(235000, 70, 0xA11), 22000);
  add("WallR.wav", Wall(262000, 186, 0xB22), 22000);
  add("InHole.wav", InHole(), 26000, true);
  add("Teleport.wav", Teleport(), 22000);
  add("Water.wav", Water(), 26000);
  add("OverPar.wav", OverPar(), 22000);
  add("Replay.wav", Replay(), 20000);
  add("Retry.wav", Retry(), 20000);
  add("Quack.wav", Quack(), 24000);
  add("JustMiss.wav", JustMiss(), 22000);
  add("FlagLap.wav", FlagLap(), 18000);
  add("July4.wav", July4(), 26000);
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
