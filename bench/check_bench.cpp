// The course checks' cost: one stroke of a turn as the checks play it, with nothing to draw on, against the
// same stroke with the screen and pictures a round has (the status strip redrawn at every strike, the ball's
// patch at every step); and the whole check of one hole of the game folder's course.
#include <benchmark/benchmark.h>

#include "green/hole.h"
#include "media/picture.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "tools/sim/check_command.h"
#include "tools/sim/check_search.h"

namespace {

constexpr int32_t kHole = 11;

void LoadCourseHole(bool drawn) {
  HeadlessReset(HeadlessConfig{});
  ResetDisplayForTest();
  SetCurrentDirectoryA(QUILL_GAME_DIR);
  InitDisplay(0);
  gRound.currentHole = kHole;
  LoadHole();
  if (drawn) {
    gRound.ballPicture = LoadKeyedSurface("Balls\\Ball1.bmp");
  } else {
    PrepareHeadlessPhysics();
  }
}

void PlayStrokes(benchmark::State& state, bool drawn) {
  LoadCourseHole(drawn);
  const TurnState start = StartOfTurn(74, 339);
  const POINT aims[] = {{272, 365}, {200, 300}, {150, 339}, {74, 200}, {250, 420}};
  int32_t next = 0;
  uint64_t steps = 0;
  for (auto _ : state) {
    const StrokeResult r = PlayTurnStroke(start, aims[next++ % 5]);
    steps += r.steps;
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["steps/stroke"] = benchmark::Counter(static_cast<double>(steps) / state.iterations());
}

void BM_TurnStrokeBare(benchmark::State& state) { PlayStrokes(state, false); }
void BM_TurnStrokeDrawn(benchmark::State& state) { PlayStrokes(state, true); }

void BM_CheckHole(benchmark::State& state) {
  CheckSettings settings;
  settings.game = QUILL_GAME_DIR;
  for (auto _ : state) benchmark::DoNotOptimize(CheckHole(settings, kHole));
}

}  // namespace

BENCHMARK(BM_TurnStrokeBare);
BENCHMARK(BM_TurnStrokeDrawn);
BENCHMARK(BM_CheckHole)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
