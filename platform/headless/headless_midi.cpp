// The headless synthesizer: a record of what would have sounded.
#include "platform/headless/headless_midi.h"

#include <atomic>
#include <mutex>

#include "platform/sound/midi_backend.h"
#include "platform/system.h"

namespace {

struct HeadlessMidi {
  std::mutex lock;
  std::vector<HeadlessMidiEvent> events;
};

HeadlessMidi gMidiRecord;
std::atomic<bool> gThreads{false};
std::atomic<bool> gAvailable{true};

}  // namespace

std::vector<HeadlessMidiEvent> HeadlessMidiEvents() {
  std::lock_guard<std::mutex> hold(gMidiRecord.lock);
  return gMidiRecord.events;
}

void HeadlessMidiClearEvents() {
  std::lock_guard<std::mutex> hold(gMidiRecord.lock);
  gMidiRecord.events.clear();
}

void HeadlessMidiUseThreads(bool threads) { gThreads = threads; }
void HeadlessMidiSetAvailable(bool available) { gAvailable = available; }

void HeadlessMidiReset() {
  MidiStreamsCloseAll();
  HeadlessMidiClearEvents();
  gThreads = false;
  gAvailable = true;
}

bool BackendMidiAvailable() { return gAvailable; }
bool BackendMidiThreaded() { return gThreads; }

void BackendMidiSend(uint32_t message, uint64_t atUs) {
  const uint32_t time = gThreads ? 0 : static_cast<uint32_t>(atUs / 1000);
  std::lock_guard<std::mutex> hold(gMidiRecord.lock);
  gMidiRecord.events.push_back({time, message});
}
