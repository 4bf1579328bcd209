// MIDI streams on the synthesizer: queued buffers of 12-byte stream events played in time, each buffer
// handed back to the owner's callback once its last event has sounded. Both backends serve this interface.
#pragma once

#include <cstdint>
#include <functional>

using MMRESULT = uint32_t;
using HMIDISTRM = uintptr_t;  // 0 is no stream; a closed stream's value is never given out again
using HMIDIOUT = uintptr_t;   // a stream's value also names its output

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;

constexpr uint32_t MIDI_MAPPER = 0xFFFFFFFFu;
constexpr uint32_t CALLBACK_FUNCTION = 0x00030000u;

// Callback messages.
constexpr uint32_t MOM_DONE = 0x3C9;
constexpr uint32_t MOM_POSITIONCB = 0x3CA;

// Header flags.
constexpr uint32_t MHDR_DONE = 0x1;
constexpr uint32_t MHDR_PREPARED = 0x2;
constexpr uint32_t MHDR_INQUEUE = 0x4;

// Stream event words: the type in the top byte, the data below.
constexpr uint32_t MEVT_SHORTMSG = 0x00;
constexpr uint32_t MEVT_TEMPO = 0x01;
constexpr uint32_t MEVT_NOP = 0x02;
constexpr uint32_t MEVT_F_CALLBACK = 0x40000000u;

constexpr uint32_t MIDIPROP_SET = 0x80000000u;
constexpr uint32_t MIDIPROP_GET = 0x40000000u;
constexpr uint32_t MIDIPROP_TIMEDIV = 0x1;
constexpr uint32_t MIDIPROP_TEMPO = 0x2;

struct MIDIHDR {
  char* lpData;
  uint32_t dwBufferLength;
  uint32_t dwBytesRecorded;
  uintptr_t dwUser;
  uint32_t dwFlags;
  MIDIHDR* lpNext;
  uintptr_t reserved;
  uint32_t dwOffset;
  uintptr_t dwReserved[8];
};

struct MIDIPROPTIMEDIV {
  uint32_t cbStruct;
  uint32_t dwTimeDiv;
};

using MIDICALLBACK = void (*)(HMIDISTRM stream, uint32_t message, uintptr_t instance, uintptr_t param1,
                              uintptr_t param2);

// Opens a paused stream on the synthesizer; nothing plays until midiStreamRestart. Only one device and only
// function callbacks are offered. Fails with MMSYSERR_NODRIVER when there is nothing to play on.
MMRESULT midiStreamOpen(HMIDISTRM* stream, uint32_t* deviceId, uint32_t streams, MIDICALLBACK callback,
                        uintptr_t instance, uint32_t flags);
// Hands back nothing: buffers still queued are forgotten (stop or reset first). Safe inside the stream's
// own callback.
MMRESULT midiStreamClose(HMIDISTRM stream);
// Queues a prepared buffer; its events play after those already queued.
MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, uint32_t size);
MMRESULT midiStreamRestart(HMIDISTRM stream);
// Silences every note, hands back every queued buffer (MOM_DONE for each) and sets the position to 0; the
// stream stays stopped until restarted.
MMRESULT midiStreamStop(HMIDISTRM stream);
// MIDIPROP_TIMEDIV or MIDIPROP_TEMPO with MIDIPROP_SET or MIDIPROP_GET; data points at a record whose first
// 32-bit word is its size.
MMRESULT midiStreamProperty(HMIDISTRM stream, uint8_t* data, uint32_t property);
// Silences every note and hands back every queued buffer.
MMRESULT midiOutReset(HMIDIOUT out);
// Sends a channel message at once: status | data1 << 8 | data2 << 16.
MMRESULT midiOutShortMsg(HMIDIOUT out, uint32_t message);
MMRESULT midiOutPrepareHeader(HMIDIOUT out, MIDIHDR* header, uint32_t size);
// Refused while the buffer is queued.
MMRESULT midiOutUnprepareHeader(HMIDIOUT out, MIDIHDR* header, uint32_t size);

// Shows watch every buffer a stream accepts, at the moment it joins the queue and before any of it plays;
// an empty function stops the watching. The watch runs under the stream's lock and must not call the stream
// (quillmere-sim's record of what the music player queued).
void MidiStreamWatchQueue(std::function<void(HMIDISTRM stream, const MIDIHDR& header)> watch);

// Runs task once, ms milliseconds from now, where stream callbacks run: on a thread of its own, or on the
// headless backend's virtual clock. For work a callback must not do inside itself.
void MidiRunLater(uint32_t ms, std::function<void()> task);
