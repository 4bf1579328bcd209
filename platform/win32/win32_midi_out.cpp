// Music on Windows: the game's stream calls go to the real midiStream functions on the MIDI mapper, and the
// system synthesizer plays them; done-callbacks arrive on the multimedia system's thread as they always did.

// <windows.h> comes first: the other Windows headers build on it.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/win32/win32_bridge.h"

namespace {

struct Listener {
  W32MidiDone done;
  uintptr_t instance;
};

struct Shadow {
  MIDIHDR real;
  void* game;
};

// The system's stream thread hands its messages to a thread of ours, which calls the game. Wine's stream calls
// wait for that thread to answer, so a game callback waiting there for a lock the caller holds would never
// return; relayed, the system thread never waits on the game.
struct Note {
  const Listener* listener;
  uintptr_t out;
  UINT message;
  void* game;
  DWORD flags;
};

struct Relay {
  std::mutex lock;
  std::condition_variable wake;
  std::deque<Note> notes;
};

Relay& TheRelay() {
  static auto* relay = new Relay;  // the relay thread outlives every static
  return *relay;
}

void RelayLoop() {
  Relay& r = TheRelay();
  for (;;) {
    std::unique_lock hold(r.lock);
    r.wake.wait(hold, [&] { return !r.notes.empty(); });
    const Note n = r.notes.front();
    r.notes.pop_front();
    hold.unlock();
    n.listener->done(n.out, n.message, n.listener->instance, n.game, n.flags);
  }
}

void CALLBACK OnStreamMessage(HMIDIOUT out, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  const auto* listener = reinterpret_cast<const Listener*>(instance);
  if (!listener || !listener->done) return;
  static std::once_flag started;
  std::call_once(started, [] { std::thread(RelayLoop).detach(); });
  const auto* shadow = message == MOM_DONE ? reinterpret_cast<const Shadow*>(param1) : nullptr;
  Relay& r = TheRelay();
  {
    std::lock_guard hold(r.lock);
    r.notes.push_back(Note{listener, reinterpret_cast<uintptr_t>(out), message, shadow ? shadow->game : nullptr,
                           shadow ? shadow->real.dwFlags : 0});
  }
  r.wake.notify_one();
}

HMIDISTRM Stream(uintptr_t s) { return reinterpret_cast<HMIDISTRM>(s); }
HMIDIOUT Out(uintptr_t s) { return reinterpret_cast<HMIDIOUT>(s); }
Shadow* ShadowOf(uintptr_t s) { return reinterpret_cast<Shadow*>(s); }

}  // namespace

uint32_t W32MidiStreamOpen(uintptr_t* stream, uint32_t* deviceId, W32MidiDone done, uintptr_t instance) {
  // No synthesizer at all: stay silent without asking the mapper, which Wine can spin in for good then.
  if (midiOutGetNumDevs() == 0) return MMSYSERR_NODRIVER;
  // Lives as long as the process: a late callback may still name it after the stream closed.
  auto* listener = new Listener{done, instance};
  UINT device = deviceId ? *deviceId : MIDI_MAPPER;
  HMIDISTRM opened = nullptr;
  const MMRESULT result = midiStreamOpen(&opened, &device, 1, reinterpret_cast<DWORD_PTR>(OnStreamMessage),
                                         reinterpret_cast<DWORD_PTR>(listener), CALLBACK_FUNCTION);
  if (result != MMSYSERR_NOERROR) {
    delete listener;
    return result;
  }
  *stream = reinterpret_cast<uintptr_t>(opened);
  if (deviceId) *deviceId = device;
  return MMSYSERR_NOERROR;
}

uint32_t W32MidiStreamClose(uintptr_t stream) { return midiStreamClose(Stream(stream)); }

uint32_t W32MidiPrepare(uintptr_t out, void* gameHeader, char* data, uint32_t length, uintptr_t user, uintptr_t* shadow,
                        uint32_t* flags) {
  auto* s = new Shadow{};
  s->game = gameHeader;
  s->real.lpData = data;
  s->real.dwBufferLength = length;
  s->real.dwBytesRecorded = length;
  s->real.dwUser = user;
  const MMRESULT result = midiOutPrepareHeader(Out(out), &s->real, sizeof s->real);
  if (result != MMSYSERR_NOERROR) {
    delete s;
    return result;
  }
  *shadow = reinterpret_cast<uintptr_t>(s);
  *flags = s->real.dwFlags;
  return result;
}

uint32_t W32MidiUnprepare(uintptr_t out, uintptr_t shadow, uint32_t* flags) {
  Shadow* s = ShadowOf(shadow);
  const MMRESULT result = midiOutUnprepareHeader(Out(out), &s->real, sizeof s->real);
  *flags = s->real.dwFlags;
  if (result == MMSYSERR_NOERROR) delete s;
  return result;
}

uint32_t W32MidiStreamOut(uintptr_t stream, uintptr_t shadow, uint32_t bytesRecorded, uint32_t* flags) {
  Shadow* s = ShadowOf(shadow);
  s->real.dwBytesRecorded = bytesRecorded;
  const MMRESULT result = midiStreamOut(Stream(stream), &s->real, sizeof s->real);
  *flags = s->real.dwFlags;
  return result;
}

uint32_t W32MidiStreamRestart(uintptr_t stream) { return midiStreamRestart(Stream(stream)); }
uint32_t W32MidiStreamStop(uintptr_t stream) { return midiStreamStop(Stream(stream)); }
uint32_t W32MidiStreamProperty(uintptr_t stream, uint8_t* data, uint32_t property) {
  return midiStreamProperty(Stream(stream), data, property);
}
uint32_t W32MidiOutReset(uintptr_t out) { return midiOutReset(Out(out)); }
uint32_t W32MidiOutShortMsg(uintptr_t out, uint32_t message) { return midiOutShortMsg(Out(out), message); }

namespace {

struct Later {
  void (*run)(void*);
  void* arg;
};

void CALLBACK OnTimer(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  const Later* later = reinterpret_cast<const Later*>(user);
  later->run(later->arg);
  delete later;
}

}  // namespace

void W32RunLater(uint32_t ms, void (*run)(void*), void* arg) {
  auto* later = new Later{run, arg};
  const UINT delay = ms > 0 ? ms : 1;
  if (timeSetEvent(delay, 1, OnTimer, reinterpret_cast<DWORD_PTR>(later), TIME_ONESHOT | TIME_CALLBACK_FUNCTION)) {
    return;
  }
  // No timer left: a thread of its own waits instead.
  std::thread([later, delay] {
    Sleep(delay);
    OnTimer(0, 0, reinterpret_cast<DWORD_PTR>(later), 0, 0);
  }).detach();
}
