// The game's MIDI stream calls on Windows, handed to the real ones (win32_midi_out.cpp) with each of the
// game's headers shadowed by a real one.
#include <functional>

#include "platform/sound/midi_stream.h"
#include "platform/win32/win32_bridge.h"

namespace {

struct Owner {
  MIDICALLBACK callback;
  uintptr_t instance;
};

void OnDone(uintptr_t stream, uint32_t message, uintptr_t instance, void* gameHeader, uint32_t flags) {
  auto* header = static_cast<MIDIHDR*>(gameHeader);
  if (header) header->dwFlags = flags;
  const auto* owner = reinterpret_cast<const Owner*>(instance);
  if (owner->callback) owner->callback(stream, message, owner->instance, reinterpret_cast<uintptr_t>(header), 0);
}

}  // namespace

MMRESULT midiStreamOpen(HMIDISTRM* stream, uint32_t* deviceId, uint32_t streams, MIDICALLBACK callback,
                        uintptr_t instance, uint32_t flags) {
  if (!stream || streams != 1 || (callback && flags != CALLBACK_FUNCTION)) return MMSYSERR_INVALPARAM;
  // Lives as long as the process: a late callback may still name it after the stream closed.
  auto* owner = new Owner{callback, instance};
  const MMRESULT result = W32MidiStreamOpen(stream, deviceId, OnDone, reinterpret_cast<uintptr_t>(owner));
  if (result != MMSYSERR_NOERROR) delete owner;
  return result;
}

MMRESULT midiStreamClose(HMIDISTRM stream) { return W32MidiStreamClose(stream); }

MMRESULT midiOutPrepareHeader(HMIDIOUT out, MIDIHDR* header, uint32_t size) {
  if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & MHDR_PREPARED) return MMSYSERR_NOERROR;
  return W32MidiPrepare(out, header, header->lpData, header->dwBufferLength, header->dwUser, &header->reserved,
                        &header->dwFlags);
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT out, MIDIHDR* header, uint32_t size) {
  if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  if (!(header->dwFlags & MHDR_PREPARED)) return MMSYSERR_NOERROR;
  const MMRESULT result = W32MidiUnprepare(out, header->reserved, &header->dwFlags);
  if (result == MMSYSERR_NOERROR) header->reserved = 0;
  return result;
}

MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, uint32_t size) {
  if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  return W32MidiStreamOut(stream, header->reserved, header->dwBytesRecorded, &header->dwFlags);
}

MMRESULT midiStreamRestart(HMIDISTRM stream) { return W32MidiStreamRestart(stream); }
MMRESULT midiStreamStop(HMIDISTRM stream) { return W32MidiStreamStop(stream); }
MMRESULT midiStreamProperty(HMIDISTRM stream, uint8_t* data, uint32_t property) {
  return W32MidiStreamProperty(stream, data, property);
}
MMRESULT midiOutReset(HMIDIOUT out) { return W32MidiOutReset(out); }
MMRESULT midiOutShortMsg(HMIDIOUT out, uint32_t message) { return W32MidiOutShortMsg(out, message); }

void MidiRunLater(uint32_t ms, std::function<void()> task) {
  W32RunLater(
      ms,
      [](void* arg) {
        auto* t = static_cast<std::function<void()>*>(arg);
        (*t)();
        delete t;
      },
      new std::function<void()>(std::move(task)));
}
