// MIDI streams shared by both backends: the queue of buffers, the tick clock with its tempo, and the rules
// for handing buffers back. A stream runs either on a thread of its own against the real clock, or is
// driven by the backend's virtual clock; callbacks are never made while the stream's lock is held, so a
// callback may queue, stop, reset or close its own stream.
#include "platform/sound/midi_stream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sound/midi_backend.h"

namespace {

struct Notice {
  uint32_t message;
  MIDIHDR* header;
};

struct Stream {
  std::mutex lock;
  std::condition_variable wake;
  HMIDISTRM id = 0;
  MIDICALLBACK callback = nullptr;
  uintptr_t instance = 0;
  bool threaded = false;
  bool closed = false;
  std::thread thread;
  std::deque<MIDIHDR*> queue;
  uint32_t offset = 0;  // of the next event in the head buffer
  bool running = false;
  uint64_t lastEventUs = 0;  // when the last event played (or the stream started)
  uint32_t timeDivision = 96;
  uint32_t tempo = 500000;  // microseconds a quarter note
  std::vector<Notice> notices;
};

using StreamPtr = std::shared_ptr<Stream>;

std::mutex gStreamsLock;
std::map<HMIDISTRM, StreamPtr> gStreams;
HMIDISTRM gNextId = 1;
std::mutex gSendLock;
bool gDelivering = false;  // virtual driving only: inside a callback

struct LaterTask {
  uint64_t dueUs;
  uint64_t order;
  std::function<void()> task;
};
std::vector<LaterTask> gLater;  // virtual driving only
uint64_t gLaterOrder = 0;
std::function<void(HMIDISTRM, const MIDIHDR&)> gQueueWatch;

uint64_t SteadyUs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

uint64_t NowUs(const Stream& s) { return s.threaded ? SteadyUs() : BackendMidiVirtualUs(); }

StreamPtr Find(HMIDISTRM id) {
  std::lock_guard<std::mutex> hold(gStreamsLock);
  const auto it = gStreams.find(id);
  return it == gStreams.end() ? nullptr : it->second;
}

void Send(uint32_t message, uint64_t atUs) {
  std::lock_guard<std::mutex> hold(gSendLock);
  BackendMidiSend(message, atUs);
}

uint32_t Word(const MIDIHDR* h, uint32_t at) {
  uint32_t v = 0;
  std::memcpy(&v, h->lpData + at, 4);
  return v;
}

// Time division: ticks a quarter note, or (top bit set) SMPTE frames a second and ticks a frame.
uint64_t TicksToUs(const Stream& s, uint32_t ticks) {
  if (s.timeDivision & 0x8000) {
    const uint32_t fps = static_cast<uint32_t>(-static_cast<int8_t>(s.timeDivision >> 8));
    const uint32_t perSecond = fps * (s.timeDivision & 0xFF);
    return perSecond == 0 ? ticks : static_cast<uint64_t>(ticks) * 1000000u / perSecond;
  }
  const uint64_t us = static_cast<uint64_t>(ticks) * s.tempo / s.timeDivision;
  // Ticks always take some time, so that no piece can play without end inside one moment.
  return ticks != 0 && us == 0 ? 1 : us;
}

// Bytes of the event at the head's offset: 12, or more for a long event whose data follows padded.
uint32_t EventSize(const MIDIHDR* h, uint32_t at) {
  const uint32_t word = Word(h, at + 8);
  if (!(word & 0x80000000u)) return 12;
  const uint64_t size = 12 + (uint64_t{word & 0xFFFFFFu} + 3) / 4 * 4;
  return static_cast<uint32_t>(std::min<uint64_t>(size, 0xFFFFFFFFu));
}

bool HeadFinished(const Stream& s) {
  const MIDIHDR* h = s.queue.front();
  return s.offset + 12 > h->dwBytesRecorded;
}

void HandBack(Stream& s, MIDIHDR* h) {
  h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  s.notices.push_back({MOM_DONE, h});
}

uint64_t NextDue(const Stream& s) {
  if (!s.notices.empty()) return 0;
  if (!s.running || s.queue.empty()) return kMidiNever;
  if (HeadFinished(s)) return 0;
  return s.lastEventUs + TicksToUs(s, Word(s.queue.front(), s.offset));
}

void PlayEvent(Stream& s, MIDIHDR* h, uint64_t atUs) {
  const uint32_t word = Word(h, s.offset + 8);
  if (word & 0x80000000u) return;  // long messages carry nothing the synthesizer plays
  const uint32_t type = (word >> 24) & 0x3F;
  if (type == MEVT_SHORTMSG) Send(word & 0xFFFFFF, atUs);
  if (type == MEVT_TEMPO && (word & 0xFFFFFF) != 0) s.tempo = word & 0xFFFFFF;
  if (word & MEVT_F_CALLBACK) s.notices.push_back({MOM_POSITIONCB, h});
}

// Plays every event due by now; a buffer goes back the moment its last event has played.
void Run(Stream& s, uint64_t now) {
  while (s.running && !s.queue.empty()) {
    MIDIHDR* h = s.queue.front();
    if (HeadFinished(s)) {
      s.queue.pop_front();
      s.offset = 0;
      HandBack(s, h);
      continue;
    }
    const uint64_t due = s.lastEventUs + TicksToUs(s, Word(h, s.offset));
    if (due > now) return;
    s.lastEventUs = due;
    PlayEvent(s, h, due);
    s.offset += EventSize(h, s.offset);
  }
}

void Silence(uint64_t atUs) {
  for (uint32_t channel = 0; channel < 16; ++channel) {
    Send(0xB0 | channel | 64 << 8, atUs);   // sustain off
    Send(0xB0 | channel | 123 << 8, atUs);  // all notes off
  }
}

void ReturnAll(Stream& s) {
  while (!s.queue.empty()) {
    HandBack(s, s.queue.front());
    s.queue.pop_front();
  }
  s.offset = 0;
  Silence(NowUs(s));
}

// Delivers what has piled up, outside the lock; a closed stream says nothing more.
void Deliver(const StreamPtr& s, std::unique_lock<std::mutex>& held) {
  std::vector<Notice> notices;
  notices.swap(s->notices);
  for (const Notice& n : notices) {
    if (s->closed) break;
    held.unlock();
    s->callback(s->id, n.message, s->instance, reinterpret_cast<uintptr_t>(n.header), 0);
    held.lock();
  }
}

void ThreadMain(StreamPtr s) {
  std::unique_lock<std::mutex> held(s->lock);
  while (!s->closed) {
    Run(*s, SteadyUs());
    if (!s->notices.empty()) {
      Deliver(s, held);
      continue;
    }
    const uint64_t due = NextDue(*s);
    if (due == kMidiNever) {
      s->wake.wait(held);
    } else {
      s->wake.wait_until(held, std::chrono::steady_clock::time_point(std::chrono::microseconds(due)));
    }
  }
}

// Runs fn on the stream under its lock and wakes its thread when that changed anything.
template <typename F>
MMRESULT WithStream(HMIDISTRM id, F fn) {
  const StreamPtr s = Find(id);
  if (!s) return MMSYSERR_INVALHANDLE;
  MMRESULT result = MMSYSERR_NOERROR;
  {
    std::lock_guard<std::mutex> hold(s->lock);
    result = fn(*s);
  }
  s->wake.notify_all();
  return result;
}

}  // namespace

MMRESULT midiStreamOpen(HMIDISTRM* stream, uint32_t* deviceId, uint32_t streams, MIDICALLBACK callback,
                        uintptr_t instance, uint32_t flags) {
  if (stream == nullptr) return MMSYSERR_INVALPARAM;
  *stream = 0;
  if (streams != 1 || (deviceId && *deviceId != MIDI_MAPPER && *deviceId != 0)) return MMSYSERR_INVALPARAM;
  if ((flags & CALLBACK_FUNCTION) != CALLBACK_FUNCTION && callback != nullptr) return MMSYSERR_INVALPARAM;
  if (!BackendMidiAvailable()) return MMSYSERR_NODRIVER;
  auto s = std::make_shared<Stream>();
  s->callback = callback;
  s->instance = instance;
  s->threaded = BackendMidiThreaded();
  {
    std::lock_guard<std::mutex> hold(gStreamsLock);
    s->id = gNextId++;
    gStreams[s->id] = s;
  }
  if (s->callback == nullptr) s->callback = [](HMIDISTRM, uint32_t, uintptr_t, uintptr_t, uintptr_t) {};
  if (s->threaded) {
    std::lock_guard<std::mutex> hold(s->lock);
    s->thread = std::thread(ThreadMain, s);
  }
  *stream = s->id;
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamClose(HMIDISTRM id) {
  StreamPtr s;
  {
    std::lock_guard<std::mutex> hold(gStreamsLock);
    const auto it = gStreams.find(id);
    if (it == gStreams.end()) return MMSYSERR_INVALHANDLE;
    s = it->second;
    gStreams.erase(it);
  }
  {
    std::lock_guard<std::mutex> hold(s->lock);
    s->closed = true;
    s->queue.clear();
    s->notices.clear();
    // Never joined: the closing thread may be the stream's own, or hold what a callback waits for.
    if (s->thread.joinable()) s->thread.detach();
  }
  s->wake.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM id, MIDIHDR* h, uint32_t size) {
  if (h == nullptr || size < sizeof(MIDIHDR) || h->lpData == nullptr) return MMSYSERR_INVALPARAM;
  return WithStream(id, [h](Stream& s) -> MMRESULT {
    if (!(h->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (h->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    if (h->dwBytesRecorded > h->dwBufferLength || h->dwBytesRecorded % 4 != 0) return MMSYSERR_INVALPARAM;
    // A stream that ran dry takes up again from now, not from where it fell silent.
    if (s.running && s.queue.empty()) s.lastEventUs = std::max(s.lastEventUs, NowUs(s));
    h->dwFlags = (h->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    s.queue.push_back(h);
    if (gQueueWatch) gQueueWatch(s.id, *h);
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamRestart(HMIDISTRM id) {
  return WithStream(id, [](Stream& s) {
    if (!s.running) {
      s.running = true;
      s.lastEventUs = NowUs(s);
    }
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamStop(HMIDISTRM id) {
  return WithStream(id, [](Stream& s) {
    s.running = false;
    ReturnAll(s);
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutReset(HMIDIOUT id) {
  return WithStream(id, [](Stream& s) {
    ReturnAll(s);
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamProperty(HMIDISTRM id, uint8_t* data, uint32_t property) {
  if (data == nullptr) return MMSYSERR_INVALPARAM;
  MIDIPROPTIMEDIV record{};
  std::memcpy(&record, data, sizeof record);
  if (record.cbStruct != sizeof record) return MMSYSERR_INVALPARAM;
  const bool set = property & MIDIPROP_SET;
  const bool get = property & MIDIPROP_GET;
  const uint32_t which = property & ~(MIDIPROP_SET | MIDIPROP_GET);
  if (set == get || (which != MIDIPROP_TIMEDIV && which != MIDIPROP_TEMPO)) return MMSYSERR_INVALPARAM;
  return WithStream(id, [&](Stream& s) -> MMRESULT {
    uint32_t& field = which == MIDIPROP_TIMEDIV ? s.timeDivision : s.tempo;
    if (get) {
      record.dwTimeDiv = field;
      std::memcpy(data, &record, sizeof record);
      return MMSYSERR_NOERROR;
    }
    // A division of no ticks (or an SMPTE one without frames) can time nothing.
    const bool smpte = which == MIDIPROP_TIMEDIV && (record.dwTimeDiv & 0x8000);
    const uint32_t most = which == MIDIPROP_TEMPO ? 0xFFFFFFu : 0xFFFFu;
    if (record.dwTimeDiv == 0 || record.dwTimeDiv > most || (smpte && (record.dwTimeDiv & 0xFF) == 0)) {
      return MMSYSERR_INVALPARAM;
    }
    field = record.dwTimeDiv;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutShortMsg(HMIDIOUT id, uint32_t message) {
  if ((message & 0x80) == 0 || (message & 0xF0) == 0xF0) return MMSYSERR_INVALPARAM;
  return WithStream(id, [message](Stream& s) {
    Send(message & 0xFFFFFF, NowUs(s));
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutPrepareHeader(HMIDIOUT id, MIDIHDR* h, uint32_t size) {
  if (h == nullptr || size < sizeof(MIDIHDR) || h->lpData == nullptr) return MMSYSERR_INVALPARAM;
  return WithStream(id, [h](Stream&) {
    h->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT id, MIDIHDR* h, uint32_t size) {
  if (h == nullptr || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  return WithStream(id, [h](Stream&) -> MMRESULT {
    if (h->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    h->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

void MidiStreamWatchQueue(std::function<void(HMIDISTRM, const MIDIHDR&)> watch) { gQueueWatch = std::move(watch); }

// ---- Driving streams on a virtual clock ----------------------------------------------------------------

void MidiRunLater(uint32_t ms, std::function<void()> task) {
  if (BackendMidiThreaded()) {
    std::thread([ms, task = std::move(task)] {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      task();
    }).detach();
    return;
  }
  gLater.push_back({BackendMidiVirtualUs() + ms * 1000ull, gLaterOrder++, std::move(task)});
}

uint64_t MidiStreamsNextDueUs() {
  if (gDelivering) return kMidiNever;
  uint64_t next = kMidiNever;
  for (const LaterTask& t : gLater) next = std::min(next, t.dueUs);
  std::lock_guard<std::mutex> hold(gStreamsLock);
  for (const auto& [id, s] : gStreams) {
    if (s->threaded) continue;
    std::lock_guard<std::mutex> streamHold(s->lock);
    next = std::min(next, NextDue(*s));
  }
  return next;
}

void MidiStreamsRun(uint64_t nowUs) {
  if (gDelivering) return;
  // Cleared however the callbacks end: a headless run may stop with an exception from inside one.
  struct Delivering {
    Delivering() { gDelivering = true; }
    ~Delivering() { gDelivering = false; }
    Delivering(const Delivering&) = delete;
    Delivering& operator=(const Delivering&) = delete;
  } delivering;
  std::vector<StreamPtr> streams;
  {
    std::lock_guard<std::mutex> hold(gStreamsLock);
    for (const auto& [id, s] : gStreams) {
      if (!s->threaded) streams.push_back(s);
    }
  }
  for (const StreamPtr& s : streams) {
    std::unique_lock<std::mutex> held(s->lock);
    Run(*s, nowUs);
    Deliver(s, held);
  }
  // Tasks due now, oldest first; one may add another.
  for (;;) {
    auto due = gLater.end();
    for (auto it = gLater.begin(); it != gLater.end(); ++it) {
      if (it->dueUs <= nowUs && (due == gLater.end() || it->order < due->order)) due = it;
    }
    if (due == gLater.end()) break;
    const std::function<void()> task = std::move(due->task);
    gLater.erase(due);
    task();
  }
}

size_t MidiStreamsOpen() {
  std::lock_guard<std::mutex> hold(gStreamsLock);
  return gStreams.size();
}

void MidiStreamsCloseAll() {
  gLater.clear();
  std::vector<HMIDISTRM> ids;
  {
    std::lock_guard<std::mutex> hold(gStreamsLock);
    for (const auto& [id, s] : gStreams) ids.push_back(id);
  }
  for (HMIDISTRM id : ids) midiStreamClose(id);
}
