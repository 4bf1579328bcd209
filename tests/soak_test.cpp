// Soak: thousands of random strokes on random greens holding every family of map code. Every roll must
// end within the time guard's reach, without a crash. QUILL_SOAK_STROKES and QUILL_SOAK_SEED set a long
// run by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "green/hole.h"
#include "green/physics.h"
#include "platform/headless/headless.h"
#include "round/round_data.h"
#include "tests/fixture.h"

namespace {

// The first time check past 30,000 steps stops any roll: by then either 15,000 steps went without a
// pause, or the others have scheduled more than 30 seconds at 2 ms or more each.
constexpr uint32_t kMostSteps = 1801 + 900 * 32;

uint32_t FromEnvironment(const char* name, uint32_t fallback) {
  const char* value = std::getenv(name);
  return value && *value ? static_cast<uint32_t>(std::strtoul(value, nullptr, 10)) : fallback;
}

std::mt19937 gRng;
int32_t Uniform(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(gRng); }

uint8_t AnyCode() {
  static const uint8_t kExact[] = {0,  1,  2,  3,   3,   3,   4,   4,   9,   10,  13,  14, 20, 21, 22, 23,
                                   24, 25, 26, 120, 121, 122, 123, 124, 125, 126, 127, 5,  11, 19, 77};
  const int32_t family = Uniform(0, 6);
  if (family < 4) return static_cast<uint8_t>(0x80 + 16 * family + Uniform(0, 15));  // slope .. centre slope
  if (family == 4) return static_cast<uint8_t>(0xC0 + Uniform(0, 63));
  return kExact[Uniform(0, sizeof kExact - 1)];
}

int16_t Coordinate(int32_t hi) { return static_cast<int16_t>(Uniform(0, hi)); }

void BuildGreen() {
  HoleState& h = gHole;
  for (int32_t i = 0; i < 256; ++i) h.codeTable[i] = static_cast<uint8_t>(i < 4 || Uniform(0, 3) ? i : AnyCode());
  std::fill(h.map.begin(), h.map.end(), uint8_t{3});
  for (int32_t b = Uniform(20, 80); b > 0; --b) {  // blocks, and thin lines for walls
    const uint8_t code = AnyCode();
    const bool line = Uniform(0, 2) == 0;
    const int32_t x0 = Uniform(-20, 639), y0 = Uniform(-20, 479);
    int32_t w = line ? Uniform(1, 3) : Uniform(1, 120), hgt = line ? Uniform(20, 300) : Uniform(1, 120);
    if (line && Uniform(0, 1)) std::swap(w, hgt);
    for (int32_t y = std::max(y0, 0); y < std::min(y0 + hgt, 480); ++y) {
      for (int32_t x = std::max(x0, 0); x < std::min(x0 + w, 640); ++x) h.map[x + 640 * (479 - y)] = code;
    }
  }
  for (int32_t i = Uniform(0, 400); i > 0; --i) {  // loose tunnel cells: bends, ends, loops
    h.map[Uniform(0, 640 * 480 - 1)] = static_cast<uint8_t>(0xC0 + Uniform(0, 63));
  }
  const int32_t reach = Uniform(0, 9) ? 3 : 32767;  // now and then wall normals far beyond any hole's
  for (int32_t i = 0; i < 16; ++i) {
    h.wallTable[i] =
        i < 8 ? TablePoint{static_cast<int16_t>(Uniform(-reach, reach)), static_cast<int16_t>(Uniform(-reach, reach))}
              : TablePoint{Coordinate(639), Coordinate(440)};
    h.cupTable[i] = {Coordinate(639), Coordinate(440)};
    h.centreTable[i] = {Coordinate(639), Coordinate(440)};
  }
  if (Uniform(0, 4) == 0) h.cupTable[0].x = 0;
  h.holeSlopeStrength = static_cast<int16_t>(Uniform(-2, 12));
  static const int8_t kHoles[] = {1, 14, 16, 18};
  gRound.currentHole = kHoles[Uniform(0, 3)];
  ResetSlopeStrength();
}

}  // namespace

TEST(SoakTest, EveryRandomStrokeOnEveryKindOfGroundComesToRest) {
  ResetAllForTest();
  const uint32_t strokes = FromEnvironment("QUILL_SOAK_STROKES", 5000);
  const uint32_t seed = FromEnvironment("QUILL_SOAK_SEED", 20240611);
  gRng.seed(seed);
  uint64_t totalSteps = 0;
  uint32_t longest = 0, checked = 0;
  for (uint32_t i = 0; i < strokes; ++i) {
    if (i % 50 == 0) {
      HeadlessReset(HeadlessConfig{});  // a long run must not carry the virtual clock past its 32-bit wrap
      BuildGreen();
    }
    // From anywhere on the field toward anywhere on the screen, now and then far beyond (wrapped speeds);
    // the motion state carries over from stroke to stroke as in a turn.
    gRound.ball = {Coordinate(639), Coordinate(440), 0, 0, 1, 1};
    const int32_t far = Uniform(0, 99) ? 0 : 40000;
    gRound.aimPoint = {Uniform(-far, 639 + far), Uniform(-far, 479 + far)};
    gRound.strokeCounter = static_cast<int8_t>(Uniform(0, 17));
    gRound.playPhase = kPhaseStrike;
    StrikeBall();
    if (gRound.ball.speedX + gRound.ball.speedY < 3) continue;
    gRound.playPhase = kPhaseRolling;
    RollBall();
    ASSERT_NE(gRound.playPhase, kPhaseRolling) << "stroke " << i << " of seed " << seed;
    ASSERT_LE(gMotion.pixelSteps, kMostSteps) << "stroke " << i << " of seed " << seed;
    totalSteps += gMotion.pixelSteps;
    longest = std::max(longest, gMotion.pixelSteps);
    checked += gMotion.pixelSteps >= 1801 ? 1 : 0;
  }
  std::printf("soak: %u strokes, %llu pixel steps, longest roll %u steps, %u rolls reached the time checks\n", strokes,
              static_cast<unsigned long long>(totalSteps), longest, checked);
  ResetRoundForTest();
}
