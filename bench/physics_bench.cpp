// Ball physics speed: pixel steps per second of RollBall on the headless backend's virtual clock, where the
// pacing costs nothing and only the computation (map reads, pushes, rebounds, sprite calls) is measured.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "green/status.h"
#include "platform/draw/surface.h"
#include "platform/headless/headless.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

// A green walled in on four sides (straight walls 0..3 facing in), with a slope, heavy ground and a
// centre slope when busy is set.
void BuildGreen(bool busy) {
  ResetAllForTest();
  for (int32_t i = 0; i < 256; ++i) gHole.codeTable[i] = static_cast<uint8_t>(i);
  std::fill(gHole.map.begin(), gHole.map.end(), uint8_t{3});
  gHole.wallTable[0] = {-1, 0};
  gHole.wallTable[1] = {1, 0};
  gHole.wallTable[2] = {0, -1};
  gHole.wallTable[3] = {0, 1};
  FillMapCodes(20, 20, 22, 420, 0xA0);
  FillMapCodes(617, 20, 619, 420, 0xA1);
  FillMapCodes(20, 20, 619, 22, 0xA2);
  FillMapCodes(20, 418, 619, 420, 0xA3);
  if (busy) {
    FillMapCodes(100, 100, 250, 200, 0x84);  // down south
    FillMapCodes(350, 250, 500, 380, kCodeHeavy);
    gHole.centreTable[0] = {450, 120};
    FillMapCodes(400, 60, 500, 180, 0xB0);
    gHole.holeSlopeStrength = 2;
  }
  gRound.currentHole = 1;
  gRound.strokeCounter = 1;
  ResetSlopeStrength();
}

// Screen, back buffer, hole picture and ball sheet, so that every step draws its 32x32 patch as in play.
SurfacePtr gScreen;
void GiveSurfaces() {
  gScreen = CreateSurface(640, 480);
  gDisplay.primary = gScreen.get();
  gDisplay.backBuffer = CreateSurface(640, 480);
  gHole.holePicture = CreateSurface(640, 480);
  gRound.ballPicture = CreateSurface(99, 99);
}

void RollStrokes(benchmark::State& state, bool busy, bool drawn = false) {
  BuildGreen(busy);
  if (drawn) GiveSurfaces();
  const POINT aims[] = {{520, 390}, {60, 300}, {300, 40}, {500, 60}, {80, 410}};
  int32_t next = 0;
  uint64_t steps = 0;
  uint64_t virtualMs = 0;
  for (auto _ : state) {
    gRound.ball = {320, 240, 0, 0, 1, 1};
    gRound.aimPoint = aims[next++ % 5];
    gRound.playPhase = kPhaseStrike;
    StrikeBall();
    gRound.playPhase = kPhaseRolling;
    RollBall();
    steps += gMotion.pixelSteps;
    virtualMs += gShell.frameDeadline - gShell.frameBase;
  }
  state.SetItemsProcessed(static_cast<int64_t>(steps));
  state.counters["steps/roll"] = benchmark::Counter(static_cast<double>(steps) / state.iterations());
  state.counters["virtual s/roll"] = benchmark::Counter(static_cast<double>(virtualMs) / 1000.0 / state.iterations());
}

void BM_RollBallWalledGreen(benchmark::State& state) { RollStrokes(state, false); }
void BM_RollBallSlopesHeavyCentre(benchmark::State& state) { RollStrokes(state, true); }
void BM_RollBallDrawn(benchmark::State& state) { RollStrokes(state, true, true); }

// The arithmetic of a step alone.
void BM_StepPixel(benchmark::State& state) {
  StepCore s{BallState{0, 0, 30000, 12000, 1, 1}, FirstAccumulator(30000, 12000), 0};
  for (auto _ : state) {
    s = StepPixel(s.ball, s.accumulator);
    if (s.ball.speedX + s.ball.speedY == 0) s.ball = BallState{0, 0, 30000, 12000, 1, 1};
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_RollBallWalledGreen);
BENCHMARK(BM_RollBallSlopesHeavyCentre);
BENCHMARK(BM_RollBallDrawn);
BENCHMARK(BM_StepPixel);

BENCHMARK_MAIN();
