// The MIDI file reader. Each track keeps its own small window onto the file, so a long piece never needs
// more than a kilobyte a track; the converter merges the tracks by tick into 12-byte stream events.
#include "media/midi.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "platform/system.h"

namespace {

constexpr uint32_t kTrackEnded = 0x1;

constexpr uint32_t kAllEnded = 0x1;
constexpr uint32_t kFailed = 0x2;
constexpr uint32_t kPending = 0x4;

// What adding an event to a buffer can report.
constexpr int32_t kAdded = 0;
constexpr int32_t kBufferFull = -104;
constexpr int32_t kMetaSkipped = -105;

struct Track {
  uint32_t flags = 0;
  uint32_t length = 0;
  uint32_t windowLeft = 0;
  std::unique_ptr<uint8_t[]> window;
  uint32_t readPos = 0;
  uint32_t nextTick = 0;
  uint8_t runningStatus = 0;
  uint32_t firstByte = 0;
  uint32_t refillOffset = 0;
  uint32_t onDisk = 0;
};

struct MidiEvent {
  uint32_t tick = 0;
  uint8_t data[4] = {0, 0, 0, 0};  // status, data 1, data 2, always 0
  uint32_t longLength = 0;
  std::vector<uint8_t> longData;
};

struct MidiState {
  // The file, read once; every read below goes through a track's window.
  std::vector<uint8_t> file;
  bool open = false;
  uint32_t fileLength = 0;
  uint32_t timeDivision = 0;
  uint32_t format = 0;
  uint32_t trackCount = 0;
  std::vector<Track> tracks;
  // The converter.
  uint32_t status = 0;
  MidiEvent pending;
  uint32_t currentTime = 0;
  uint32_t tempo = 0;
  uint32_t timeLimit = 0;
  bool loop = false;
  bool passTakesTime = false;  // an event with a delta has been written since the piece (re)started
};

MidiState gMidi;

// Copies up to n bytes at offset; returns how many exist there.
uint32_t FileRead(uint32_t offset, uint32_t n, uint8_t* to) {
  const size_t size = gMidi.file.size();
  if (offset >= size) return 0;
  const uint32_t got = static_cast<uint32_t>(std::min<size_t>(n, size - offset));
  std::memcpy(to, gMidi.file.data() + offset, got);
  return got;
}

uint32_t BigEndian(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | p[i];
  return v;
}

// What the track still holds: the window plus what the file really has of the rest. A length in the chunk
// header that runs past the end of the file never counts, so it cannot ask for a huge block.
uint32_t BytesLeft(const Track& t) {
  const size_t inFile = t.refillOffset < gMidi.file.size() ? gMidi.file.size() - t.refillOffset : 0;
  return t.windowLeft + static_cast<uint32_t>(std::min<size_t>(t.onDisk, inFile));
}

bool Refill(Track& t) {
  if (t.onDisk == 0) return false;
  const uint32_t want = std::min(t.onDisk, kMidiWindowSize);
  const uint32_t got = FileRead(t.refillOffset, want, t.window.get());
  if (got == 0) return false;
  t.onDisk -= got;
  t.refillOffset += got;
  t.windowLeft = got;
  t.readPos = 0;
  return true;
}

bool ReadByte(Track& t, uint8_t* b) {
  if (t.windowLeft == 0 && !Refill(t)) return false;
  *b = t.window[t.readPos++];
  --t.windowLeft;
  return true;
}

bool ReadBytes(Track& t, uint8_t* to, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) {
    if (!ReadByte(t, to + i)) return false;
  }
  return true;
}

bool ReadVarNumber(Track& t, uint32_t* value) {
  if (t.flags & kTrackEnded) return false;
  uint32_t v = 0;
  uint8_t b = 0;
  do {
    if (!ReadByte(t, &b)) {
      t.flags |= kTrackEnded;
      return false;
    }
    v = v << 7 | (b & 0x7F);
  } while (b & 0x80);
  *value = v;
  return true;
}

// Loads the first window of a track whose chunk header has been read, and its first delta time.
bool StartTrack(Track& t) {
  const uint32_t first = std::min(t.length, kMidiWindowSize);
  if (FileRead(t.firstByte, first, t.window.get()) != first) return false;
  t.windowLeft = first;
  t.onDisk = t.length - first;
  t.refillOffset = t.firstByte + first;
  t.readPos = 0;
  t.flags = 0;
  t.runningStatus = 0;
  t.nextTick = 0;
  if (first == 0) {
    t.flags |= kTrackEnded;
    return true;
  }
  return ReadVarNumber(t, &t.nextTick);
}

// Long data of a system-exclusive or meta event, never more than the track still holds.
bool ReadLongData(Track& t, MidiEvent* e) {
  if (BytesLeft(t) < e->longLength) {
    t.flags |= kTrackEnded;
    return false;
  }
  e->longData.resize(e->longLength);
  return ReadBytes(t, e->longData.data(), e->longLength);
}

bool IsOneDataByte(uint8_t status) { return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0; }

bool ReadMessageBody(Track& t, uint8_t first, MidiEvent* e) {
  if (first < 0x80) {
    if (t.runningStatus == 0) return false;
    e->data[0] = t.runningStatus;
    e->data[1] = first;
    if (IsOneDataByte(t.runningStatus)) {
      e->longLength = 2;
      return true;
    }
    if (BytesLeft(t) == 0) {
      t.flags |= kTrackEnded;
      return false;
    }
    e->longLength = 3;
    return ReadByte(t, &e->data[2]);
  }
  if (first <= 0xEF) {
    e->data[0] = first;
    t.runningStatus = first;
    const uint32_t n = IsOneDataByte(first) ? 1 : 2;
    if (BytesLeft(t) < n) {
      t.flags |= kTrackEnded;
      return false;
    }
    e->longLength = 1 + n;
    return ReadBytes(t, &e->data[1], n);
  }
  if (first == 0xF0 || first == 0xF7) {
    e->data[0] = first;
    return ReadVarNumber(t, &e->longLength) && ReadLongData(t, e);
  }
  if (first == 0xFF) {
    e->data[0] = first;
    if (BytesLeft(t) == 0) {
      t.flags |= kTrackEnded;
      return false;
    }
    if (!ReadByte(t, &e->data[1]) || !ReadVarNumber(t, &e->longLength)) return false;
    if (e->longLength != 0 && !ReadLongData(t, e)) return false;
    if (e->data[1] == 0x2F) t.flags |= kTrackEnded;
    return true;
  }
  return false;
}

bool ReadEvent(Track& t, MidiEvent* e) {
  *e = MidiEvent{};
  if ((t.flags & kTrackEnded) || BytesLeft(t) == 0) return false;
  uint8_t first = 0;
  if (!ReadByte(t, &first) || !ReadMessageBody(t, first, e)) return false;
  e->tick = t.nextTick;
  if (t.flags & kTrackEnded) return true;
  uint32_t delta = 0;
  if (!ReadVarNumber(t, &delta)) return false;
  t.nextTick += delta;
  return true;
}

bool IsEndOfTrack(const MidiEvent& e) { return e.data[0] == 0xFF && e.data[1] == 0x2F; }

void PutWord(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void WriteStreamEvent(StreamBuffer* b, uint32_t delta, uint32_t word) {
  if (delta != 0) gMidi.passTakesTime = true;
  uint8_t* at = reinterpret_cast<uint8_t*>(b->header.lpData) + b->startOffset + b->bytesRecorded;
  PutWord(at, delta);
  PutWord(at + 4, 0);
  PutWord(at + 8, word);
  b->bytesRecorded += kStreamEventSize;
}

bool HasRoom(const StreamBuffer* b) { return b->maxLength - b->bytesRecorded >= kStreamEventSize; }

int32_t AddEvent(StreamBuffer* b, MidiEvent& e) {
  if (b->bytesRecorded == 0) b->startTick = gMidi.currentTime;
  if (gMidi.currentTime - b->startTick > gMidi.timeLimit) {
    if (b->timesUp) {
      b->timesUp = 0;
      return kBufferFull;
    }
    b->timesUp = 1;
  }
  const uint8_t status = e.data[0];
  const bool meta = status == 0xFF;
  const uint32_t tempo = meta && e.data[1] == 0x51 && e.longData.size() >= 3 ? BigEndian(e.longData.data(), 3) : 0;
  if (status >= 0xF0 && tempo == 0) {
    // Nothing reaches the stream, so the time stays with the last event placed: the next one carries the
    // whole gap, and the notes after a marker or a lyric keep their place.
    e.longData.clear();
    return meta ? kMetaSkipped : kAdded;
  }
  const uint32_t delta = e.tick - gMidi.currentTime;
  // Moved even when the buffer is full: the event then opens the next buffer with delta 0.
  gMidi.currentTime = e.tick;
  if (!HasRoom(b)) return kBufferFull;
  if (tempo == 0) {
    uint32_t word = status | e.data[1] << 8 | e.data[2] << 16;
    if ((status & 0xF0) == 0xB0 && e.data[1] == 7) word |= MEVT_F_CALLBACK;
    WriteStreamEvent(b, delta, word);
    return kAdded;
  }
  WriteStreamEvent(b, delta, tempo | MEVT_TEMPO << 24);
  gMidi.tempo = tempo;
  gMidi.timeLimit = gMidi.timeDivision * 60000u / tempo;
  e.longData.clear();
  return kAdded;
}

// The next track to read: the earliest next event, the earlier track on a tie; null when all have ended.
Track* EarliestTrack() {
  Track* best = nullptr;
  for (Track& t : gMidi.tracks) {
    if (t.flags & kTrackEnded) continue;
    if (best == nullptr || t.nextTick < best->nextTick) best = &t;
  }
  return best;
}

// Back to the start of every track. A track that cannot be read again ends, with every track after it.
void RewindTracks() {
  gMidi.currentTime = 0;
  gMidi.passTakesTime = false;
  bool failed = false;
  for (Track& t : gMidi.tracks) {
    if (!failed && !StartTrack(t)) failed = true;
    if (failed) t.flags |= kTrackEnded;
  }
}

bool ReadHeader() {
  uint8_t head[14];
  if (FileRead(0, 8, head) != 8 || std::memcmp(head, "MThd", 4) != 0) return false;
  const uint32_t length = BigEndian(head + 4, 4);
  if (length < 6 || FileRead(8, 6, head + 8) != 6) return false;
  gMidi.format = BigEndian(head + 8, 2);
  gMidi.trackCount = BigEndian(head + 10, 2);
  gMidi.timeDivision = BigEndian(head + 12, 2);
  uint64_t offset = 8ull + length;
  gMidi.tracks.resize(gMidi.trackCount);
  for (Track& t : gMidi.tracks) {
    uint8_t chunk[8];
    if (offset > gMidi.file.size() || FileRead(static_cast<uint32_t>(offset), 8, chunk) != 8) return false;
    if (std::memcmp(chunk, "MTrk", 4) != 0) return false;
    t.window.reset(new (std::nothrow) uint8_t[kMidiWindowSize]);
    if (!t.window) return false;
    t.length = BigEndian(chunk + 4, 4);
    t.firstByte = static_cast<uint32_t>(offset + 8);
    if (!StartTrack(t)) return false;
    offset = static_cast<uint64_t>(t.firstByte) + t.length;
  }
  return true;
}

}  // namespace

int32_t OpenMidiBytes(std::vector<uint8_t> bytes) {
  CloseMidiFile();
  gMidi.currentTime = 0;
  gMidi.passTakesTime = false;
  // Offsets are 32-bit, as in the file format itself.
  if (bytes.size() > 0xFFFFFFFFu) return 1;
  gMidi.file = std::move(bytes);
  gMidi.fileLength = static_cast<uint32_t>(gMidi.file.size());
  gMidi.open = true;
  if (!ReadHeader()) {
    CloseMidiFile();
    return 1;
  }
  return 0;
}

int32_t OpenMidiFile(const char* path) {
  std::vector<uint8_t> bytes;
  if (path == nullptr || !ReadGameFile(path, &bytes)) {
    CloseMidiFile();
    return 1;
  }
  return OpenMidiBytes(std::move(bytes));
}

void CloseMidiFile() {
  gMidi.open = false;
  gMidi.file = {};
  gMidi.fileLength = 0;
  gMidi.format = 0;
  gMidi.trackCount = 0;
  std::vector<Track>().swap(gMidi.tracks);
}

int32_t ConvertToBuffer(bool reset, StreamBuffer* b) {
  b->bytesRecorded = 0;
  if (reset) {
    gMidi.status = 0;
    gMidi.pending = MidiEvent{};
  }
  // Nothing open (closed after a failure): there is nothing left to play.
  if (!gMidi.open) return kMidiStopped;
  if (gMidi.status & kAllEnded) {
    // A piece whose stream events take no time at all would loop without end inside one moment: it ends.
    if (!gMidi.loop || !gMidi.passTakesTime) return kMidiPieceEnd;
    RewindTracks();
    gMidi.status = 0;
  } else if (gMidi.status & kFailed) {
    return kMidiStopped;
  } else if (gMidi.status & kPending) {
    gMidi.status &= ~kPending;
    if (!IsEndOfTrack(gMidi.pending) && AddEvent(b, gMidi.pending) == kBufferFull) {
      gMidi.status |= kPending;
      return kMidiReady;
    }
    gMidi.pending = MidiEvent{};
  }
  for (;;) {
    Track* t = EarliestTrack();
    if (t == nullptr) {
      gMidi.status |= kAllEnded;
      return kMidiReady;
    }
    MidiEvent e;
    if (!ReadEvent(*t, &e)) {
      gMidi.status |= kFailed;
      return kMidiBadTrack;
    }
    if (IsEndOfTrack(e)) continue;
    if (AddEvent(b, e) == kBufferFull) {
      gMidi.pending = std::move(e);
      gMidi.status |= kPending;
      return kMidiReady;
    }
  }
}

void SetMidiLoop(bool loop) { gMidi.loop = loop; }
uint32_t MidiTimeDivision() { return gMidi.timeDivision; }
uint32_t MidiCurrentTempo() { return gMidi.tempo; }
void ResetMidiForTest() { gMidi = MidiState{}; }
