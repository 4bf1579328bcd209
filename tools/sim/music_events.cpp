// The record behind quillmere-sim music --events, taken where buffers join a stream's queue, so the player
// itself runs exactly as it always does.
#include "tools/sim/music_events.h"

#include <cstring>
#include <utility>

#include "platform/system.h"

namespace {

struct EventLog {
  uint32_t start = 0;
  std::vector<std::string> lines;
};
EventLog gLog;

uint32_t Word(const MIDIHDR& h, uint32_t at) {
  uint32_t v = 0;
  std::memcpy(&v, h.lpData + at, 4);
  return v;
}

}  // namespace

std::string StreamBufferJson(uint32_t index, uint32_t ms, const MIDIHDR& h) {
  std::string line = "{\"index\":" + std::to_string(index) + ",\"ms\":" + std::to_string(ms) +
                     ",\"bytes\":" + std::to_string(h.dwBytesRecorded) + ",\"events\":[";
  uint32_t at = 0;
  while (at < h.dwBytesRecorded && h.dwBytesRecorded - at >= 12) {
    const uint32_t event = Word(h, at + 8);
    if (at > 0) line += ',';
    line += "{\"delta\":" + std::to_string(Word(h, at)) + ",\"stream\":" + std::to_string(Word(h, at + 4)) +
            ",\"event\":" + std::to_string(event) + "}";
    // A long event (top bit set) carries its bytes behind it, padded to whole words.
    const uint64_t size = (event & 0x80000000u) ? 12 + (uint64_t{event & 0xFFFFFFu} + 3) / 4 * 4 : 12;
    if (size > h.dwBytesRecorded - at) break;
    at += static_cast<uint32_t>(size);
  }
  return line + "]}";
}

void StartStreamEventLog() {
  gLog = EventLog{timeGetTime(), {}};
  MidiStreamWatchQueue([](HMIDISTRM, const MIDIHDR& h) {
    gLog.lines.push_back(StreamBufferJson(static_cast<uint32_t>(gLog.lines.size()), timeGetTime() - gLog.start, h));
  });
}

std::vector<std::string> StopStreamEventLog() {
  MidiStreamWatchQueue(nullptr);
  return std::move(gLog.lines);
}
