// Fuzzes the MIDI file reader: whatever a file holds, the converter writes only whole 12-byte stream events
// of the two kinds the stream plays, never past its buffer, and a piece ends, loops or fails cleanly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/midi.h"

namespace {

void CheckBuffer(const StreamBuffer& b, const char* memory) {
  if (b.bytesRecorded > kStreamBufferSize || b.bytesRecorded % kStreamEventSize != 0) abort();
  for (uint32_t at = 0; at < b.bytesRecorded; at += kStreamEventSize) {
    uint32_t words[3];
    std::memcpy(words, memory + at, sizeof words);
    const uint32_t type = words[2] >> 24 & ~(MEVT_F_CALLBACK >> 24);
    if (words[1] != 0 || (type != MEVT_SHORTMSG && type != MEVT_TEMPO)) abort();
    if (type == MEVT_SHORTMSG && (words[2] & 0x80) == 0) abort();  // always a status byte
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool loop : {false, true}) {
    ResetMidiForTest();
    if (OpenMidiBytes(std::vector<uint8_t>(data, data + size)) != 0) return 0;
    SetMidiLoop(loop);
    char memory[kStreamBufferSize];
    StreamBuffer b{};
    b.header.lpData = memory;
    for (int i = 0; i < 300; ++i) {
      b.startOffset = 0;
      b.maxLength = kStreamBufferSize;
      b.startTick = 0;
      b.timesUp = 0;
      const int32_t result = ConvertToBuffer(i == 0, &b);
      CheckBuffer(b, memory);
      if (result == kMidiPieceEnd || result == kMidiBadTrack) break;
      if (result != kMidiReady) abort();  // -102 only follows -101
    }
    CloseMidiFile();
  }
  return 0;
}
