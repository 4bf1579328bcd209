// Soak: thousands of random strokes on random greens that hold every family of map code. Every roll must
// end within the time guard's reach, without a crash. QUILL_SOAK_STROKES sets the count for a long run by
// hand (QUILL_SOAK_SEED the seed).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "green/features.h"
#include "green/hole.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "green/status.h"
#include "round/round_data.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

// A roll stops at the first time check past 30,000 steps at the latest: by then either 15,000 steps went
// without a pause, or the others have scheduled more than 30 seconds at 2 ms or more each.
constexpr uint32_t kMostSteps = 1801 + 900 * 32;

uint32_t FromEnvironment(const char* name, uint32_t fallback) {
  const char* value = std::getenv(name);
  return value && *value ? static_cast<uint32_t>(std::strtoul(value, nullptr, 10)) : fallback;
}

class Soak {
 public:
  explicit Soak(uint32_t seed) : rng_(seed) {}

  int32_t Uniform(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng_); }

  // One code of every family, the exact values weighted by what greens are made of.
  uint8_t AnyCode() {
    static const uint8_t kExact[] = {0, 1, 2, 3, 3, 3, 4, 4, 9, 10, 13, 14, 20, 21, 22, 23, 24, 25, 26,
                                     120, 121, 122, 123, 124, 125, 126, 127, 5, 11, 19, 77};
    switch (Uniform(0, 6)) {
      case 0: return static_cast<uint8_t>(0x80 + Uniform(0, 15));
      case 1: return static_cast<uint8_t>(0x90 + Uniform(0, 15));
      case 2: return static_cast<uint8_t>(0xA0 + Uniform(0, 15));
      case 3: return static_cast<uint8_t>(0xB0 + Uniform(0, 15));
      case 4: return static_cast<uint8_t>(0xC0 + Uniform(0, 63));
      default: return kExact[Uniform(0, sizeof kExact - 1)];
    }
  }

  TablePoint AnyPoint() { return {static_cast<int16_t>(Uniform(0, 639)), static_cast<int16_t>(Uniform(0, 440))}; }

  void BuildGreen() {
    HoleState& h = gHole;
    for (int32_t i = 0; i < 256; ++i) h.codeTable[i] = static_cast<uint8_t>(i);
    // Now and then a code table that maps raw values elsewhere, as a real hole's does.
    if (Uniform(0, 3) == 0) {
      for (int32_t i = 4; i < 256; ++i) h.codeTable[i] = AnyCode();
    }
    std::fill(h.map.begin(), h.map.end(), uint8_t{3});
    const int32_t blocks = Uniform(20, 80);
    for (int32_t b = 0; b < blocks; ++b) {
      const uint8_t code = AnyCode();
      const bool line = Uniform(0, 2) == 0;
      const int32_t x0 = Uniform(-20, 639), y0 = Uniform(-20, 479);
      const int32_t w = line ? Uniform(1, 3) : Uniform(1, 120), hgt = line ? Uniform(20, 300) : Uniform(1, 120);
      const bool across = Uniform(0, 1) == 0;
      for (int32_t y = y0; y < y0 + (across && line ? w : hgt); ++y) {
        for (int32_t x = x0; x < x0 + (across && line ? hgt : w); ++x) {
          if (x >= 0 && x < 640 && y >= 0 && y < 480) h.map[x + 640 * (479 - y)] = code;
        }
      }
    }
    // Scattered tunnel cells make random networks: bends, ends, loops.
    for (int32_t i = Uniform(0, 400); i > 0; --i) {
      h.map[Uniform(0, 639) + 640 * (479 - Uniform(0, 479))] = static_cast<uint8_t>(0xC0 + Uniform(0, 63));
    }
    const bool huge = Uniform(0, 9) == 0;  // wall normals far beyond any drawn hole
    for (int32_t i = 0; i < 8; ++i) {
      const int32_t r = huge ? 32767 : 3;
      h.wallTable[i] = {static_cast<int16_t>(Uniform(-r, r)), static_cast<int16_t>(Uniform(-r, r))};
    }
    for (int32_t i = 8; i < 16; ++i) h.wallTable[i] = AnyPoint();
    for (int32_t i = 0; i < 16; ++i) h.cupTable[i] = AnyPoint();
    if (Uniform(0, 4) == 0) h.cupTable[0].x = 0;
    for (int32_t i = 0; i < 16; ++i) h.centreTable[i] = AnyPoint();
    h.holeSlopeStrength = static_cast<int16_t>(Uniform(-2, 12));
    static const int8_t kHoles[] = {1, 14, 16, 18};
    gRound.currentHole = kHoles[Uniform(0, 3)];
    ResetSlopeStrength();
  }

  // One stroke from a random place on the field toward a random point; the motion state carries over as in
  // a turn. False when the roll did not end.
  bool Stroke(uint32_t* steps) {
    gRound.ball = {static_cast<int16_t>(Uniform(0, 639)), static_cast<int16_t>(Uniform(0, 440)), 0, 0, 1, 1};
    if (Uniform(0, 99) == 0) {
      gRound.aimPoint = {Uniform(-40000, 40000), Uniform(-40000, 40000)};  // wrapped speeds
    } else {
      gRound.aimPoint = {Uniform(0, 639), Uniform(0, 479)};
    }
    gRound.strokeCounter = static_cast<int8_t>(Uniform(0, 17));
    gRound.playPhase = kPhaseStrike;
    StrikeBall();
    *steps = 0;
    if (gRound.ball.speedX + gRound.ball.speedY < 3) return true;
    gRound.playPhase = kPhaseRolling;
    RollBall();
    *steps = gMotion.pixelSteps;
    return gRound.playPhase != kPhaseRolling && gMotion.pixelSteps <= kMostSteps;
  }

 private:
  std::mt19937 rng_;
};

}  // namespace

TEST(SoakTest, EveryRandomStrokeOnEveryKindOfGroundComesToRest) {
  ResetAllForTest();
  ResetRoundForTest();
  ResetMotionForTest();
  ResetHoleForTest();
  ResetSpritesForTest();
  ResetStatusForTest();
  const uint32_t strokes = FromEnvironment("QUILL_SOAK_STROKES", 5000);
  const uint32_t seed = FromEnvironment("QUILL_SOAK_SEED", 20240611);
  Soak soak(seed);
  uint64_t totalSteps = 0;
  uint32_t longest = 0;
  uint32_t guarded = 0;
  for (uint32_t i = 0; i < strokes; ++i) {
    if (i % 50 == 0) soak.BuildGreen();
    uint32_t steps = 0;
    ASSERT_TRUE(soak.Stroke(&steps)) << "stroke " << i << " of seed " << seed << " ran " << steps << " steps";
    totalSteps += steps;
    longest = std::max(longest, steps);
    guarded += steps >= 1801 ? 1 : 0;
  }
  std::printf("soak: %u strokes, %llu pixel steps, longest roll %u steps, %u rolls reached the time checks\n",
              strokes, static_cast<unsigned long long>(totalSteps), longest, guarded);
  ResetRoundForTest();
}
