// The synthesis kit of the course's sound effects: modes ring at their pitch and decay, filters pass their
// band, loops carry their tails across the seam, and levelling meets its loudness without passing its ceiling.
#include "tools/coursebuild/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace synth;

namespace {

double PeakOf(const Signal& s, size_t from, size_t to) {
  double peak = 0;
  for (size_t n = from; n < to; ++n) peak = std::max(peak, std::abs(s[n]));
  return peak;
}

}  // namespace

TEST(Synth, AModeRingsAtItsPitchAndFallsSixtyDecibelsInItsTime) {
  Signal push(44100);
  Hit(push, 44100, 0, 1, 0.00002);  // one sample: an impulse
  const Signal ring = Ring(push, 44100, {{1000, 0.5, 1}});
  EXPECT_NEAR(PeakOf(ring, 0, 441), 1, 0.02);
  EXPECT_NEAR(PeakOf(ring, 22050, 22050 + 441), 0.001, 0.0002);  // at t60
  int32_t crossings = 0;
  for (size_t n = 1; n < 4410; ++n) crossings += (ring[n - 1] < 0) != (ring[n] < 0);
  EXPECT_NEAR(crossings, 200, 2);                              // 100 ms of 1 kHz
  EXPECT_TRUE(Ring(push, 22050, {{10000, 0.5, 1}})[10] == 0);  // above what 22,050 Hz can carry: left out
}

TEST(Synth, TheBandFilterPassesItsCentreAndDampsTheRest) {
  for (const auto& [freq, lo, hi] : {std::tuple{1000.0, 0.97, 1.03}, std::tuple{4000.0, 0.0, 0.2}}) {
    Svf band;
    band.Tune(44100, 1000, 4);
    Phase p;
    const Signal out = Render(44100, 0.2, [&](double) { return band.BandUnity(Sine(p.Advance(freq, 44100))); });
    const double peak = PeakOf(out, 4410, out.size());
    EXPECT_GE(peak, lo) << freq;
    EXPECT_LE(peak, hi) << freq;
  }
}

TEST(Synth, ALoopWrapsItsSoundsAndItsEchoesRoundTheSeam) {
  Track loop(22050, 0.5, true);
  Noise noise{7};
  loop.Mix(Render(22050, 0.1, [&](double t) { return noise.Next() * Decay(t, 0.1); }), 0.45);
  Reverberate(loop, {0.7, 0.3, 0.5});
  // The burst's second half and the room's echo of it sound at the start.
  EXPECT_GT(PeakOf(loop.left, 0, 200), 0.01);
  // The seam is a step like the others, not a click: below the loudest step anywhere else.
  double steepest = 0;
  for (size_t n = 1; n < loop.left.size(); ++n)
    steepest = std::max(steepest, std::abs(loop.left[n] - loop.left[n - 1]));
  EXPECT_LT(std::abs(loop.left.front() - loop.left.back()), steepest / 2);
}

TEST(Synth, MasteringMeetsTheLoudnessUnlessThePeakWouldPassTheCeiling) {
  Track tone(44100, 0.5);
  Phase p;
  tone.Mix(Render(44100, 0.5, [&](double) { return 0.01 * Sine(p.Advance(440, 44100)); }), 0);
  Master(tone, 0.22, 0.89);
  EXPECT_NEAR(Measure(tone).loudest, 0.22, 0.005);
  EXPECT_EQ(tone.left.front(), 0);  // a one-shot starts at rest
  Track click(44100, 0.5);
  click.left[1000] = 0.5;
  Master(click, 0.22, 0.89);
  EXPECT_NEAR(Measure(click).peak, 0.89, 1e-9);
  EXPECT_LT(Measure(click).loudest, 0.22);
}
