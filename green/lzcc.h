// The LZCC container the hole maps are stored in: its layout, and the decoder's pure core. Depends on the
// standard library alone, so the fuzz build can compile the decoder by itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lzcc {

// "LZCC", output length (int32), literal length, token count, a word nobody reads; then the payload.
constexpr size_t kHeaderBytes = 20;
constexpr size_t kPayloadLimit = 20000;  // the reader never looks further into a file than this
constexpr size_t kMapBytes = 640 * 480;  // the map is the last this-many bytes of the output
constexpr size_t kStagingBytes = kMapBytes + 2000;
constexpr uint16_t kLiteralRun = 0x8000;  // token bit: copy literals; clear: copy from behind
constexpr uint16_t kMaxLength = 0x7FFF;   // longest literal run a token can say
constexpr size_t kMaxDistance = 0xFFFF;

}  // namespace lzcc

// True, with the 307,200 map bytes in *map, when the file is one we can trust: magic "LZCC", an output length
// from 307,200 to 309,200, every stream inside the payload (at most 20,000 bytes), no literal run beyond the
// literal stream, no token beyond the token count, no back copy reaching before the output or reading what it
// has not yet written, and no token carrying the output beyond the staging area. Otherwise false, and *map is
// left as it was.
bool DecodeLzcc(const uint8_t* bytes, size_t size, std::vector<uint8_t>* map);
