// The demonstration of every Brindlemoor hole, one after another on the headless backend, as the title
// menu's "Show DEMO Hole" plays them: the whole course's script in one go.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "tools/sim/green_commands.h"

namespace {

void BM_DemonstrateAllEighteenHoles(benchmark::State& state) {
  int32_t completed = 0;
  for (auto _ : state) {
    completed = 0;
    for (int32_t hole = 1; hole <= 18; ++hole) {
      DemoRun run;
      completed += PlayDemoRun(QUILL_BRINDLEMOOR_DIR, hole, "", 0, &run) && run.completed;
    }
  }
  state.counters["holes_completed"] = completed;
}
BENCHMARK(BM_DemonstrateAllEighteenHoles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
