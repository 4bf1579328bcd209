// The LZCC decoder: literal runs and back copies into a 309,200-byte staging area, whose last 307,200 bytes
// are the hole map. Every read and write is checked against the file and the staging area, because a hole
// file is data from disk and must never take the game down.
#include "green/lzcc.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// Copies length bytes from distance bytes behind to. When the two overlap the copy repeats the last
// `distance` bytes, exactly as a byte-at-a-time copy would, but in whole periods at a time.
void BackCopy(uint8_t* to, size_t distance, size_t length) {
  if (distance >= length) {
    std::memcpy(to, to - distance, length);
  } else if (distance == 1) {
    std::memset(to, to[-1], length);
  } else {
    size_t done = 0;
    while (done < length) {
      // Behind us lie distance + done bytes of one repeating pattern; any whole number of its periods can
      // be copied forward without overlap.
      const size_t period = (distance + done) / distance * distance;
      const size_t chunk = std::min(period, length - done);
      std::memcpy(to + done, to + done - period, chunk);
      done += chunk;
    }
  }
}

}  // namespace

bool DecodeLzcc(const uint8_t* bytes, size_t size, std::vector<uint8_t>* map) {
  using namespace lzcc;
  if (!bytes || !map || size < kHeaderBytes || std::memcmp(bytes, "LZCC", 4) != 0) return false;
  const auto outputLength = static_cast<int32_t>(ReadU32(bytes + 4));
  const uint32_t literalLength = ReadU32(bytes + 8);
  const uint32_t tokenCount = ReadU32(bytes + 12);
  if (outputLength < static_cast<int32_t>(kMapBytes) || outputLength > static_cast<int32_t>(kStagingBytes)) {
    return false;
  }
  const uint8_t* payload = bytes + kHeaderBytes;
  const size_t payloadSize = std::min(size - kHeaderBytes, kPayloadLimit);
  // 64-bit sums: a hostile header must not wrap these offsets back into range.
  const uint64_t tokensAt = literalLength;
  const uint64_t distancesAt = tokensAt + 2 * static_cast<uint64_t>(tokenCount);
  if (distancesAt > payloadSize) return false;

  // One staging area per thread, reused: nothing is ever read from it that this call has not written.
  thread_local std::vector<uint8_t> staging(kStagingBytes);
  uint8_t* out = staging.data();
  const auto wanted = static_cast<size_t>(outputLength);
  size_t produced = 0;
  size_t literalAt = 0;
  size_t tokenIndex = 0;
  auto distanceAt = static_cast<size_t>(distancesAt);
  while (produced < wanted) {
    if (tokenIndex == tokenCount) return false;
    const uint16_t token = ReadU16(payload + tokensAt + 2 * tokenIndex);
    ++tokenIndex;
    if (token & kLiteralRun) {
      const size_t length = token & kMaxLength;
      if (length > literalLength - literalAt || length > kStagingBytes - produced) return false;
      std::memcpy(out + produced, payload + literalAt, length);
      literalAt += length;
      produced += length;
    } else {
      if (payloadSize - distanceAt < 2) return false;
      const size_t distance = ReadU16(payload + distanceAt);
      distanceAt += 2;
      const size_t length = token;
      if (length == 0) continue;  // it still used up its distance word
      // Distance 0 would copy bytes that have not been produced yet.
      if (distance == 0 || distance > produced || length > kStagingBytes - produced) return false;
      BackCopy(out + produced, distance, length);
      produced += length;
    }
  }
  map->assign(out + (wanted - kMapBytes), out + wanted);
  return true;
}
