// The music player. The game's thread starts, stops and sets the volume; the stream's callback refills
// buffers on the stream's own thread. One lock keeps the two apart; a stop lets go of it while it waits
// for the buffers to come back, since their return is what the callback reports.
#include "media/music.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <new>

#include "media/midi.h"
#include "media/music_options.h"
#include "platform/sound/midi_stream.h"
#include "platform/sound/sync.h"

namespace {

struct MusicState {
  HMIDISTRM stream = 0;
  uint32_t device = MIDI_MAPPER;
  HANDLE bufferReturn = nullptr;
  std::array<StreamBuffer, 2> buffers{};
  std::array<std::unique_ptr<char[]>, 2> memory;
  bool buffersPrepared = false;
  bool pieceLoaded = false;
  bool running = false;
  uint32_t state = kMusicPlaying;
  uint32_t returned = 0;
  uint32_t queued = 0;  // buffers handed to the stream and not yet back
  uint32_t current = 0;
  // Changes with every start and stop, so that a next piece scheduled before one is forgotten.
  uint64_t generation = 0;
};

MusicState gMusic;
std::mutex gMusicLock;
using Held = std::unique_lock<std::mutex>;

void MusicNotify(HMIDISTRM stream, uint32_t message, uintptr_t instance, uintptr_t param1, uintptr_t param2);

bool OpenStream() {
  return midiStreamOpen(&gMusic.stream, &gMusic.device, 1, MusicNotify, 0, CALLBACK_FUNCTION) == MMSYSERR_NOERROR;
}

void CloseStream() {
  if (gMusic.stream == 0) return;
  midiStreamClose(gMusic.stream);
  gMusic.stream = 0;
  gMusic.queued = 0;  // a closed stream hands nothing back
}

// Every queued buffer is counted, so that a stop knows whether any are still to come back.
bool Queue(StreamBuffer& b) {
  if (midiStreamOut(gMusic.stream, &b.header, sizeof b.header) != MMSYSERR_NOERROR) return false;
  ++gMusic.queued;
  return true;
}

void FreeBuffersLocked() {
  for (int i = 0; i < 2; ++i) {
    MIDIHDR& h = gMusic.buffers[i].header;
    if (gMusic.stream != 0 && (h.dwFlags & MHDR_PREPARED)) midiOutUnprepareHeader(gMusic.stream, &h, sizeof h);
    h.dwFlags &= ~MHDR_PREPARED;
    gMusic.memory[i].reset();
    h.lpData = nullptr;
  }
  gMusic.buffersPrepared = false;
}

// The piece is over for good: file, buffers and stream go.
void UnloadPiece() {
  CloseMidiFile();
  FreeBuffersLocked();
  CloseStream();
  gMusic.pieceLoaded = false;
}

void ClearBookkeeping(StreamBuffer& b) {
  b.startOffset = 0;
  b.maxLength = kStreamBufferSize;
  b.startTick = 0;
  b.bytesRecorded = 0;
  b.timesUp = 0;
}

bool AllocateBuffers() {
  for (int i = 0; i < 2; ++i) {
    MIDIHDR& h = gMusic.buffers[i].header;
    h.dwBufferLength = kStreamBufferSize;
    if (!gMusic.memory[i]) gMusic.memory[i].reset(new (std::nothrow) char[kStreamBufferSize]);
    if (!gMusic.memory[i]) return false;
    h.lpData = gMusic.memory[i].get();
  }
  return true;
}

// Fills and queues both buffers on a paused stream.
bool PrimeStream(const char* path) {
  if (gMusic.stream == 0 && !OpenStream()) return false;
  if (!AllocateBuffers()) return false;
  if (OpenMidiFile(path) != 0) return false;
  MIDIPROPTIMEDIV division{sizeof(MIDIPROPTIMEDIV), MidiTimeDivision()};
  if (midiStreamProperty(gMusic.stream, reinterpret_cast<uint8_t*>(&division), MIDIPROP_SET | MIDIPROP_TIMEDIV) !=
      MMSYSERR_NOERROR) {
    CloseMidiFile();
    return false;
  }
  gMusic.returned = 0;
  for (uint32_t i = 0; i < 2; ++i) {
    gMusic.current = i;
    StreamBuffer& b = gMusic.buffers[i];
    ClearBookkeeping(b);
    const int32_t result = ConvertToBuffer(i == 0, &b);
    if (result != kMidiReady && result != kMidiPieceEnd) {
      CloseMidiFile();
      return false;
    }
    b.header.dwBytesRecorded = b.bytesRecorded;
    if (!(b.header.dwFlags & MHDR_PREPARED) &&
        midiOutPrepareHeader(gMusic.stream, &b.header, sizeof b.header) != MMSYSERR_NOERROR) {
      CloseMidiFile();
      return false;
    }
    if (!Queue(b) || result == kMidiPieceEnd) break;
  }
  gMusic.buffersPrepared =
      (gMusic.buffers[0].header.dwFlags & MHDR_PREPARED) && (gMusic.buffers[1].header.dwFlags & MHDR_PREPARED);
  gMusic.current = 0;
  return true;
}

void SetVolumeLocked(int32_t volume) {
  if (!gMusic.running) return;
  const uint32_t value = static_cast<uint32_t>(std::clamp<int64_t>(int64_t{volume} * 100 / 1000, 0, 127));
  for (uint32_t channel = 0; channel < 16; ++channel) {
    if (midiOutShortMsg(gMusic.stream, (0xB0 + channel) | 7u << 8 | value << 16) != MMSYSERR_NOERROR) return;
  }
}

void StopLocked(Held& held) {
  ++gMusic.generation;
  if (!gMusic.pieceLoaded && !gMusic.running && gMusic.state == kMusicStopped) {
    gMusic.state = kMusicPlaying;
    return;
  }
  gMusic.running = false;
  if (gMusic.state != kMusicStopped && gMusic.state != kMusicEnding) gMusic.state = kMusicStopping;
  // A signal left from an earlier stop that timed out must not end this one early.
  ResetEvent(gMusic.bufferReturn);
  if (midiStreamStop(gMusic.stream) != MMSYSERR_NOERROR) return;
  if (midiOutReset(gMusic.stream) != MMSYSERR_NOERROR) return;
  // With nothing queued no buffer will come back: waiting out the time-out would only freeze the game.
  if (gMusic.queued == 0) {
    gMusic.state = kMusicStopped;
  } else {
    HANDLE event = gMusic.bufferReturn;
    held.unlock();
    const uint32_t waited = WaitForSingleObject(event, kMusicStopWaitMs);
    held.lock();
    if (waited != WAIT_OBJECT_0) gMusic.state = kMusicStopped;
  }
  // An ending piece whose buffers are all back is as stopped as it gets.
  if (gMusic.state == kMusicEnding && gMusic.returned >= 2) gMusic.state = kMusicStopped;
  if (gMusic.state != kMusicStopped) return;
  gMusic.state = kMusicPlaying;
  if (gMusic.pieceLoaded) UnloadPiece();
}

// After the last buffer of a piece played without looping: close it and, after a pause, start what the
// settings ask for next. The pause runs outside the callback so that the stream's thread never waits.
void EndPiece() {
  UnloadPiece();
  gMusic.running = false;
  gMusic.state = kMusicPlaying;
  const uint64_t generation = ++gMusic.generation;
  MidiRunLater(kMusicNextPieceMs, [generation] {
    {
      std::lock_guard<std::mutex> hold(gMusicLock);
      if (gMusic.generation != generation) return;
    }
    StartMusicFromSettings();
  });
}

void Refill() {
  StreamBuffer& b = gMusic.buffers[gMusic.current];
  ClearBookkeeping(b);
  const int32_t result = ConvertToBuffer(false, &b);
  if (result == kMidiPieceEnd) {
    gMusic.state = kMusicEnding;
    return;
  }
  if (result != kMidiReady) {
    CloseMidiFile();
    return;
  }
  b.header.dwBytesRecorded = b.bytesRecorded;
  if (!Queue(b)) {
    CloseMidiFile();
    return;
  }
  gMusic.current ^= 1;
  --gMusic.returned;
}

void MusicNotify(HMIDISTRM stream, uint32_t message, uintptr_t, uintptr_t, uintptr_t) {
  if (message != MOM_DONE) return;
  std::lock_guard<std::mutex> hold(gMusicLock);
  // A stream already closed may still report a buffer it was handing back.
  if (stream != gMusic.stream) return;
  if (gMusic.queued > 0) --gMusic.queued;
  if (gMusic.state == kMusicStopped) return;
  ++gMusic.returned;
  if (gMusic.state == kMusicEnding) {
    if (gMusic.returned < 2) return;
    if (gMusic.running) {
      EndPiece();
    } else {
      SetEvent(gMusic.bufferReturn);  // a stop is waiting
    }
    return;
  }
  if (gMusic.state == kMusicStopping) {
    if (gMusic.queued == 0) {
      gMusic.state = kMusicStopped;
      SetEvent(gMusic.bufferReturn);
    }
    return;
  }
  if (gMusic.running) Refill();
}

}  // namespace

void OpenMusic() {
  std::lock_guard<std::mutex> hold(gMusicLock);
  if (gMusic.stream == 0) OpenStream();
  if (gMusic.bufferReturn == nullptr) gMusic.bufferReturn = CreateEventA(false, false, "Wait For Buffer Return");
}

void CloseMusic() {
  Held held(gMusicLock);
  if (gMusic.stream != 0) StopLocked(held);
  ++gMusic.generation;
  // A stop that could not finish leaves the piece loaded; closing forgets it all the same.
  if (gMusic.pieceLoaded) CloseMidiFile();
  gMusic.pieceLoaded = false;
  gMusic.running = false;
  FreeBuffersLocked();
  CloseStream();
  CloseHandle(gMusic.bufferReturn);
  gMusic.bufferReturn = nullptr;
}

void StartMusic(const char* path, bool loop, int32_t volume) {
  Held held(gMusicLock);
  if (gMusic.running) return;
  StopLocked(held);
  // Someone else may have started music while the stop waited.
  if (gMusic.running) return;
  SetMidiLoop(loop);
  if (!PrimeStream(path)) return;
  gMusic.pieceLoaded = true;
  gMusic.state = kMusicPlaying;
  midiStreamRestart(gMusic.stream);
  gMusic.running = true;
  SetVolumeLocked(volume);
}

void StopMusic() {
  Held held(gMusicLock);
  StopLocked(held);
}

void SetMusicVolume(int32_t volume) {
  std::lock_guard<std::mutex> hold(gMusicLock);
  SetVolumeLocked(volume);
}

void FreeStreamBuffers() {
  std::lock_guard<std::mutex> hold(gMusicLock);
  FreeBuffersLocked();
}

MusicStatus GetMusicStatus() {
  std::lock_guard<std::mutex> hold(gMusicLock);
  return {gMusic.stream != 0, gMusic.bufferReturn != nullptr, gMusic.pieceLoaded, gMusic.running, gMusic.state,
          gMusic.returned};
}

void ResetMusicForTest() {
  std::lock_guard<std::mutex> hold(gMusicLock);
  if (gMusic.stream != 0) midiStreamClose(gMusic.stream);
  CloseHandle(gMusic.bufferReturn);
  // The generation goes on counting: a next piece scheduled before the reset must stay forgotten.
  const uint64_t generation = gMusic.generation + 1;
  gMusic = MusicState{};
  gMusic.generation = generation;
  ResetMidiForTest();
}
