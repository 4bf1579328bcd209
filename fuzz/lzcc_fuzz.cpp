// Fuzzes the LZCC decoder: a file it accepts gives exactly one map, the same every time; a file it refuses
// leaves the map it was given untouched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "green/lzcc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> untouched(lzcc::kMapBytes, 0xA5);
  static std::vector<uint8_t> map, again;
  map = untouched;
  const bool accepted = DecodeLzcc(data, size, &map);
  if (map.size() != lzcc::kMapBytes) abort();
  if (!accepted) {
    if (map != untouched) abort();
    return 0;
  }
  if (!DecodeLzcc(data, size, &again) || again != map) abort();
  return 0;
}
