// A small synthesis kit for the course's sound effects: seeded noise, band-limited oscillators, filters,
// modal resonators, formant voices, brass, envelopes, a stereo mix bus with room reverberation, and the
// levelling that turns a mix into 16-bit samples. Everything is plain double arithmetic from a seed, so a
// build on one machine image always makes the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace synth {

constexpr double kPi = 3.14159265358979323846;

using Signal = std::vector<double>;

// A seeded xorshift generator: white noise and the random choices of a recipe.
struct Noise {
  uint32_t state;
  double Next();                       // -1 to 1
  double Range(double lo, double hi);  // lo to hi
};

// ---- Envelopes (time in seconds) -------------------------------------------------------------------------

// An exponential fall to -60 dB after t60 seconds; 0 before 0.
double Decay(double t, double t60);
// A linear rise over attack, then Decay from there.
double Strike(double t, double attack, double t60);
// Straight lines between (time, level) points, holding the first and last level outside them.
double Breakpoints(double t, std::initializer_list<std::pair<double, double>> points);

// ---- Oscillators and filters -----------------------------------------------------------------------------

// A phase in cycles that the caller advances by frequency / rate each sample.
struct Phase {
  double cycles = 0;
  double Advance(double freq, double rate);  // the phase before advancing, 0 to 1
};
double Sine(double cycles);
// Sawtooth with its step smoothed over one sample (polyBLEP), so high notes do not alias into whistles.
double Saw(double cycles, double step);

// The state-variable filter in its trapezoidal form: stays stable while its frequency moves every sample.
struct Svf {
  double g = 0, k = 1, ic1 = 0, ic2 = 0;
  void Tune(double rate, double freq, double q);
  struct Out {
    double low, band, high;
  };
  Out Tick(double x);
  double BandUnity(double x) { return k * Tick(x).band; }  // peak gain 1 at the centre
};

// One vibrating mode of a struck body: a ring at freq falling 60 dB in t60 seconds, at gain.
struct Mode {
  double freq, t60, gain;
};
// The body's response to an excitation: the sum of its modes, each a two-pole resonator.
Signal Ring(const Signal& excitation, double rate, const std::vector<Mode>& modes);
// Adds a contact pulse (half a sine, width seconds wide) to an excitation: narrower is a harder hit.
void Hit(Signal& excitation, double rate, double at, double amplitude, double width);

// Vowel resonances of a voice: three formants (frequency, bandwidth, gain).
struct Vowel {
  double freq[3], width[3], gain[3];
};
Vowel Blend(const Vowel& a, const Vowel& b, double share);  // share 0 is a, 1 is b
extern const Vowel kVowelA, kVowelAe, kVowelO, kVowelU, kVowelE;
struct FormantFilter {
  Svf band[3];
  double Tick(double x, const Vowel& v, double rate, double scale = 1);  // scale shifts every formant
};

// A voice: a buzzing glottal source with breath, shaped by formants. pitch, vowel and level are functions of
// time in seconds; breath is the share of noise.
struct VoiceShape {
  std::function<double(double)> pitch;
  std::function<Vowel(double)> vowel;
  std::function<double(double)> level;
  double seconds, breath, formantScale;
  uint32_t seed;
};
Signal Voice(double rate, const VoiceShape& shape);

// A brass note: two sawtooths a hair apart through a low-pass that opens with the breath, a small scoop up to
// pitch at the start and vibrato once the note is held. With wah, a plunger over the bell opens after the
// attack and closes towards the end, and wobbles with the vibrato; droop lets the pitch sag over the note.
struct BrassNote {
  double freq, seconds;
  double brightness = 0.8, vibrato = 0.006, droop = 0, wah = 0;
};
Signal Brass(double rate, const BrassNote& note);

// Renders fn(t) for t = 0, 1/rate, ... over seconds.
Signal Render(double rate, double seconds, const std::function<double(double)>& fn);
// Runs a stateful per-sample process over s in place. A looped signal is run through twice and the second
// round kept, so the process's memory at the end carries into the beginning and the seam stays smooth.
void Process(Signal& s, bool loop, const std::function<double(double)>& tick);

// ---- The mix ---------------------------------------------------------------------------------------------

// A stereo mix. A looped track wraps whatever runs past its end round to its beginning.
struct Track {
  double rate;
  bool loop;
  Signal left, right;
  Track(double rate, double seconds, bool loop = false);
  int64_t Frames() const { return static_cast<int64_t>(left.size()); }
  // Adds s from second at, at gain, panned from -1 (left) to 1 (right) with equal power.
  void Mix(const Signal& s, double at, double gain = 1, double pan = 0);
};

// Room reverberation (parallel damped combs into all-passes, a little apart on each side) added at wet.
struct Room {
  double size;     // 0 small to 1 large
  double damping;  // 0 bright to 1 dull
  double wet;
};
void Reverberate(Track& t, const Room& room);

// Peak, whole-file RMS and the loudest 50 ms RMS of a mix, as fractions of full scale.
struct Levels {
  double peak, rms, loudest;
};
Levels Measure(const Track& t);
// Takes out any offset, fades a one-shot's last milliseconds, and sets the gain so the loudest 50 ms reach
// loudness, unless that would take the peak past ceiling.
void Master(Track& t, double loudness, double ceiling);
// 16-bit samples, interleaved for two channels or the two sides averaged for one.
std::vector<int16_t> ToPcm16(const Track& t, int32_t channels);

}  // namespace synth
