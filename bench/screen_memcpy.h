// The yardstick the frame benchmarks are read against: a plain copy of a 640x480 16-bit screen, measured in
// the same run as they are.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

inline void BM_ScreenMemcpy(benchmark::State& state) {
  std::vector<uint16_t> from(640 * 480, 0x1234), to(640 * 480);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint16_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ScreenMemcpy)->Unit(benchmark::kMicrosecond);
