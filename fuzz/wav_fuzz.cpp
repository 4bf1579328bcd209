// Fuzzes the WAV reader: whatever it makes of the bytes, a success must hold a whole format record and no
// more samples than the input had, and a failure must leave nothing behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> format(3, 0xAA), samples(5, 0x55);  // stale contents must not survive
  const int32_t result = ParseWave(data, size, &format, &samples);
  if (result != 0) {
    if (!format.empty() || !samples.empty()) abort();
    return 0;
  }
  if (format.size() < 18) abort();
  const size_t extra = format[16] | (format[17] << 8);
  if (format.size() != 18 + extra || samples.size() > size) abort();
  if ((format[0] | (format[1] << 8)) == 1 && extra != 0) abort();  // PCM never carries extra bytes
  return 0;
}
