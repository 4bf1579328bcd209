// What decoding a hole map costs, next to a plain copy of the same 307,200 bytes for scale: the test course's
// busiest hole, and a map of forty regions with slanted and curved edges.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "green/hole.h"
#include "tools/coursebuild/lzcc_encode.h"
#include "tools/coursebuild/test_course.h"

namespace {

void Decode(benchmark::State& state, const std::vector<uint8_t>& file) {
  std::vector<uint8_t> map(kMapBytes);
  for (auto _ : state) {
    if (!DecodeLzcc(file.data(), file.size(), &map)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(map.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kMapBytes);
  state.counters["payload"] = static_cast<double>(file.size() - 20);
}

void BM_DecodeTestHole5(benchmark::State& state) { Decode(state, EncodeLzcc(TestHoleOutput(5))); }
BENCHMARK(BM_DecodeTestHole5)->Unit(benchmark::kMicrosecond);

void BM_DecodeRegionMap(benchmark::State& state) { Decode(state, EncodeLzcc(RegionTestMap(1, 40))); }
BENCHMARK(BM_DecodeRegionMap)->Unit(benchmark::kMicrosecond);

void BM_CopyMap(benchmark::State& state) {
  const std::vector<uint8_t> from(kMapBytes, 3);
  std::vector<uint8_t> to(kMapBytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kMapBytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kMapBytes);
}
BENCHMARK(BM_CopyMap)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
