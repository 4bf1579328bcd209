// The headless synthesizer: every channel message that would sound is recorded with its virtual time, and
// streams run on the virtual clock as it advances.
#pragma once

#include <cstdint>
#include <vector>

struct HeadlessMidiEvent {
  uint32_t time;     // timeGetTime() at which it sounded
  uint32_t message;  // status | data1 << 8 | data2 << 16
};

std::vector<HeadlessMidiEvent> HeadlessMidiEvents();
void HeadlessMidiClearEvents();
// Streams opened from now on run on real threads and the real clock (thread-safety tests only); their
// events are recorded with time 0.
void HeadlessMidiUseThreads(bool threads);
// Whether a synthesizer is there; without one no stream opens.
void HeadlessMidiSetAvailable(bool available);

// For the headless backend: closes every stream and forgets the record.
void HeadlessMidiReset();
