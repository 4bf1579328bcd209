// Headless effect buffers: no samples are mixed; a buffer's place is worked out from the virtual clock, so
// a sound lasts exactly as long as its data at its own rate, and a game that waits for one waits that long.
#include "platform/headless/headless_audio.h"

#include <strings.h>

#include <algorithm>

#include "platform/sound/audio.h"
#include "platform/sound/audio_mixer.h"
#include "platform/system.h"

struct AudioBuffer {
  std::string name;
  WaveFormat format;
  uint32_t frames = 0;
  bool playing = false;
  bool looping = false;
  uint32_t startTime = 0;   // clock reading when the place was last fixed
  uint32_t startFrame = 0;  // the place then
};

namespace {

struct HeadlessAudio {
  std::vector<AudioBuffer*> buffers;
  std::vector<HeadlessSound> record;
  std::function<void(const HeadlessSound&)> listener;
  bool stalled = false;
};

// Never destroyed: the game's own globals release their buffers during exit, after this file's statics
// would have gone.
HeadlessAudio& State() {
  static auto* state = new HeadlessAudio;
  return *state;
}

uint64_t FramesPlayedSinceStart(const AudioBuffer* b) {
  if (!b->playing || State().stalled) return 0;
  const uint32_t elapsed = timeGetTime() - b->startTime;
  return MsToFrames(b->format, elapsed);
}

// Brings a buffer played once up to the clock: past its end it has stopped and gone back to the start.
void Settle(AudioBuffer* b) {
  if (b->playing && !b->looping && b->startFrame + FramesPlayedSinceStart(b) >= b->frames) {
    b->playing = false;
    b->startFrame = 0;
  }
}

uint32_t CurrentFrame(const AudioBuffer* b) {
  const uint64_t frame = b->startFrame + FramesPlayedSinceStart(b);
  return static_cast<uint32_t>(b->looping ? frame % b->frames : std::min<uint64_t>(frame, b->frames - 1));
}

// Fixes the place at the current moment, so a change of mode or a stall continues from where it is.
void Rebase(AudioBuffer* b) {
  b->startFrame = CurrentFrame(b);
  b->startTime = timeGetTime();
}

void Record(const AudioBuffer* b, HeadlessSoundAction action) {
  HeadlessAudio& s = State();
  s.record.push_back({timeGetTime(), b->name, action});
  if (s.listener) s.listener(s.record.back());
}

}  // namespace

// ---- Controls -----------------------------------------------------------------------------------------

const std::vector<HeadlessSound>& HeadlessSounds() { return State().record; }
void HeadlessSoundsClear() { State().record = {}; }
void HeadlessOnSound(std::function<void(const HeadlessSound&)> listener) { State().listener = std::move(listener); }

bool HeadlessSoundPlaying(const std::string& name) {
  for (AudioBuffer* b : State().buffers) {
    Settle(b);
    if (b->playing && strcasecmp(b->name.c_str(), name.c_str()) == 0) return true;
  }
  return false;
}

size_t HeadlessAudioBufferCount() { return State().buffers.size(); }

void HeadlessAudioStall(bool stalled) {
  HeadlessAudio& s = State();
  if (stalled == s.stalled) return;
  for (AudioBuffer* b : s.buffers) {
    Settle(b);
    Rebase(b);
  }
  s.stalled = stalled;
}

void HeadlessAudioReset() {
  HeadlessAudio& s = State();
  s.record.clear();
  s.listener = nullptr;
  s.stalled = false;
  for (AudioBuffer* b : s.buffers) {
    b->playing = false;
    b->startFrame = 0;
  }
}

// ---- The buffers ----------------------------------------------------------------------------------------

AudioBuffer* AudioCreateBuffer(const uint8_t* format, size_t formatSize, const uint8_t* data, size_t dataSize,
                               const char* name) {
  if (!AudioIsOpen() || data == nullptr) return nullptr;
  const std::optional<WaveFormat> f = DecodeWaveFormat(format, formatSize);
  if (!f) return nullptr;
  const uint32_t frames = WholeFrames(*f, dataSize);
  if (frames == 0) return nullptr;
  auto* b = new AudioBuffer;
  b->name = name ? name : "";
  b->format = *f;
  b->frames = frames;
  State().buffers.push_back(b);
  return b;
}

void AudioPlay(AudioBuffer* b, bool loop) {
  if (!b) return;
  Settle(b);
  Record(b, loop ? HeadlessSoundAction::Loop : HeadlessSoundAction::Play);
  if (b->playing) {
    Rebase(b);
  } else {
    b->playing = true;
    b->startTime = timeGetTime();
  }
  b->looping = loop;
}

void AudioStop(AudioBuffer* b) {
  if (!b) return;
  Settle(b);
  Record(b, HeadlessSoundAction::Stop);
  if (!b->playing) return;
  Rebase(b);
  b->playing = false;
}

void AudioSetPosition(AudioBuffer* b, uint32_t bytes) {
  if (!b) return;
  Settle(b);
  const uint32_t frame = bytes / b->format.blockAlign;
  if (frame >= b->frames) return;
  b->startFrame = frame;
  b->startTime = timeGetTime();
}

uint32_t AudioStatus(AudioBuffer* b) {
  if (!b) return 0;
  Settle(b);
  if (!b->playing) return 0;
  return kAudioPlaying | (b->looping ? kAudioLooping : 0);
}

uint32_t AudioPosition(AudioBuffer* b) {
  if (!b) return 0;
  Settle(b);
  return CurrentFrame(b) * b->format.blockAlign;
}

void AudioReleaseBuffer(AudioBuffer* b) {
  if (!b) return;
  std::erase(State().buffers, b);
  delete b;
}
