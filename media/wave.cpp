// The WAV reader's core: a RIFF "WAVE" image in memory to its format record and samples. Nothing here but
// the standard library, so the fuzzer can take it alone.
#include <algorithm>
#include <cstring>
#include <new>

#include "media/sound.h"

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr size_t kChunkHeader = 8;
constexpr size_t kFormatRecord = 16;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

struct Chunk {
  size_t offset;  // of its contents
  uint32_t size;  // as stated
};

// The first chunk called id among the RIFF chunk's contents, which run from 12 to end. Chunks are walked by
// their stated sizes, padded to even; a header that does not lie whole inside both the RIFF chunk and the
// bytes we have ends the search.
bool FindChunk(const uint8_t* bytes, size_t end, const char* id, Chunk* found) {
  uint64_t at = 12;
  while (at + kChunkHeader <= end) {
    const uint32_t size = Read32(bytes + at + 4);
    if (std::memcmp(bytes + at, id, 4) == 0) {
      *found = {static_cast<size_t>(at + kChunkHeader), size};
      return true;
    }
    at += kChunkHeader + size + (size & 1);
  }
  return false;
}

int32_t Parse(const uint8_t* bytes, size_t size, std::vector<uint8_t>* format, std::vector<uint8_t>* data) {
  if (bytes == nullptr || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
    return kWaveNotWave;
  }
  // Chunks are looked for inside the RIFF chunk only, as far as the bytes go.
  const uint64_t riffEnd = kChunkHeader + static_cast<uint64_t>(Read32(bytes + 4));
  const size_t end = riffEnd < size ? static_cast<size_t>(riffEnd) : size;

  Chunk fmt{};
  if (!FindChunk(bytes, end, "fmt ", &fmt)) return kWaveChunkNotFound;
  if (fmt.size < kFormatRecord) return kWaveNotWave;
  if (size - fmt.offset < kFormatRecord) return kWaveBadFormat;
  const uint8_t* record = bytes + fmt.offset;
  // Only a non-PCM record carries a count of extra bytes. Both the count and the bytes must lie inside the
  // format chunk: what follows it belongs to the next chunk.
  uint16_t extra = 0;
  const size_t inChunk = std::min<size_t>(fmt.size, size - fmt.offset);
  if (Read16(record) != kTagPcm) {
    if (inChunk < kFormatRecord + 2) return kWaveBadFormat;
    extra = Read16(record + kFormatRecord);
    if (inChunk - kFormatRecord - 2 < extra) return kWaveNotWave;
  }

  // The data chunk may stand before the format chunk or after it: its search starts over.
  Chunk samples{};
  if (!FindChunk(bytes, end, "data", &samples)) return kWaveChunkNotFound;
  // A size that claims more than the file holds is refused before anything is allocated for it.
  if (samples.size > size - samples.offset) return kWaveShortData;

  format->resize(kFormatRecord + 2 + extra);
  std::memcpy(format->data(), record, kFormatRecord);
  (*format)[kFormatRecord] = static_cast<uint8_t>(extra & 0xFF);
  (*format)[kFormatRecord + 1] = static_cast<uint8_t>(extra >> 8);
  if (extra != 0) std::memcpy(format->data() + kFormatRecord + 2, record + kFormatRecord + 2, extra);
  data->assign(bytes + samples.offset, bytes + samples.offset + samples.size);
  return 0;
}

}  // namespace

int32_t ParseWave(const uint8_t* bytes, size_t size, std::vector<uint8_t>* format, std::vector<uint8_t>* data) {
  format->clear();
  data->clear();
  int32_t result = kWaveOutOfMemory;
  try {
    result = Parse(bytes, size, format, data);
  } catch (const std::bad_alloc&) {
    result = kWaveOutOfMemory;
  }
  if (result != 0) {
    format->clear();
    format->shrink_to_fit();
    data->clear();
    data->shrink_to_fit();
  }
  return result;
}
