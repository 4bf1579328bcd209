// The MIDI file reader: standard MIDI files read track by track through 1024-byte windows, merged by time
// and written as stream events into the buffers the music player sends to the synthesizer.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/sound/midi_stream.h"

// Converter results.
constexpr int32_t kMidiReady = 0;
constexpr int32_t kMidiBadTrack = -101;  // a track cannot be read: corrupt or cut short
constexpr int32_t kMidiStopped = -102;   // an earlier error stopped the converter until the next reset
constexpr int32_t kMidiPieceEnd = -103;  // the piece ended and looping is off; nothing written

constexpr uint32_t kMidiWindowSize = 1024;
constexpr uint32_t kStreamBufferSize = 1024;
constexpr uint32_t kStreamEventSize = 12;

// One block of events for the player: the header it sends, and the converter's bookkeeping.
struct StreamBuffer {
  MIDIHDR header;
  uint32_t startOffset;    // where in the memory the events begin
  uint32_t maxLength;      // bytes available for events
  uint32_t bytesRecorded;  // bytes of events written so far
  uint32_t startTick;      // the current time when the buffer's first event was added
  uint32_t timesUp;        // the buffer already spans more than the time limit
};

// 0 on success, 1 when the file cannot be opened or is not a MIDI file we can read.
int32_t OpenMidiFile(const char* path);
// The same over bytes in memory (the fuzzer's entry and the tests').
int32_t OpenMidiBytes(std::vector<uint8_t> bytes);
void CloseMidiFile();
// Fills buffer with the next events of the piece; reset starts a new piece's conversion.
int32_t ConvertToBuffer(bool reset, StreamBuffer* buffer);

// Set by the player when it starts a piece: the end of the piece starts every track again.
void SetMidiLoop(bool loop);
uint32_t MidiTimeDivision();
// Microseconds per quarter note of the last tempo event, 0 before any.
uint32_t MidiCurrentTempo();
// Forgets the open file and the tempo carried over from earlier pieces.
void ResetMidiForTest();
