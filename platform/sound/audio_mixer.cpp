// The effects mixer: format checks, frame arithmetic, and the voices summed into 16-bit stereo.
#include "platform/sound/audio_mixer.h"

#include <algorithm>

#include "platform/sound/audio.h"

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagExtensible = 0xFFFE;
// Where the extensible record keeps its sub-format; the first four bytes of the PCM one's GUID are 1.
constexpr size_t kSubFormatOffset = 24;
constexpr size_t kExtensibleSize = 40;
constexpr uint32_t kMinRate = 100;
constexpr uint32_t kMaxRate = 200000;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

std::optional<WaveFormat> DecodeWaveFormat(const uint8_t* record, size_t size) {
  if (record == nullptr || size < 16) return std::nullopt;
  const uint16_t tag = Read16(record);
  if (tag == kTagExtensible) {
    if (size < kExtensibleSize || Read32(record + kSubFormatOffset) != kTagPcm) return std::nullopt;
  } else if (tag != kTagPcm) {
    return std::nullopt;
  }
  WaveFormat f;
  f.channels = Read16(record + 2);
  f.samplesPerSecond = Read32(record + 4);
  f.bitsPerSample = Read16(record + 14);
  if (f.channels < 1 || f.channels > 2 || (f.bitsPerSample != 8 && f.bitsPerSample != 16)) return std::nullopt;
  if (f.samplesPerSecond < kMinRate || f.samplesPerSecond > kMaxRate) return std::nullopt;
  f.blockAlign = static_cast<uint16_t>(f.channels * f.bitsPerSample / 8);
  return f;
}

uint32_t WholeFrames(const WaveFormat& format, size_t bytes) {
  if (format.blockAlign == 0) return 0;
  return static_cast<uint32_t>(std::min<size_t>(bytes / format.blockAlign, UINT32_MAX));
}

uint64_t FramesToMs(const WaveFormat& format, uint64_t frames) {
  if (format.samplesPerSecond == 0) return 0;
  return (frames * 1000 + format.samplesPerSecond - 1) / format.samplesPerSecond;
}

uint64_t MsToFrames(const WaveFormat& format, uint64_t ms) { return ms * format.samplesPerSecond / 1000; }

// ---- Voices ---------------------------------------------------------------------------------------------

AudioMixer::Voice* AudioMixer::Find(VoiceId id) {
  for (Voice& v : voices_) {
    if (v.id == id) return &v;
  }
  return nullptr;
}

const AudioMixer::Voice* AudioMixer::Find(VoiceId id) const {
  for (const Voice& v : voices_) {
    if (v.id == id) return &v;
  }
  return nullptr;
}

AudioMixer::VoiceId AudioMixer::Add(std::vector<int16_t> frames, uint32_t sourceFrames, uint16_t sourceBlockAlign) {
  const size_t count = frames.size() / 2;
  if (count == 0 || count > UINT32_MAX || sourceFrames == 0 || sourceBlockAlign == 0) return 0;
  Voice v;
  v.id = nextId_++;
  if (nextId_ == 0) nextId_ = 1;
  v.samples = std::move(frames);
  v.frames = static_cast<uint32_t>(count);
  v.sourceFrames = sourceFrames;
  v.sourceBlockAlign = sourceBlockAlign;
  voices_.push_back(std::move(v));
  return voices_.back().id;
}

void AudioMixer::Remove(VoiceId id) {
  std::erase_if(voices_, [id](const Voice& v) { return v.id == id; });
}

void AudioMixer::Play(VoiceId id, bool loop) {
  if (Voice* v = Find(id)) {
    v->playing = true;
    v->looping = loop;
  }
}

void AudioMixer::Stop(VoiceId id) {
  if (Voice* v = Find(id)) v->playing = false;
}

void AudioMixer::SetPosition(VoiceId id, uint32_t sourceBytes) {
  Voice* v = Find(id);
  if (!v) return;
  const uint64_t sourceFrame = sourceBytes / v->sourceBlockAlign;
  if (sourceFrame >= v->sourceFrames) return;
  v->position = static_cast<uint32_t>(sourceFrame * v->frames / v->sourceFrames);
}

uint32_t AudioMixer::Status(VoiceId id) const {
  const Voice* v = Find(id);
  if (!v || !v->playing) return 0;
  return kAudioPlaying | (v->looping ? kAudioLooping : 0);
}

uint32_t AudioMixer::Position(VoiceId id) const {
  const Voice* v = Find(id);
  if (!v) return 0;
  const uint64_t sourceFrame = static_cast<uint64_t>(v->position) * v->sourceFrames / v->frames;
  return static_cast<uint32_t>(sourceFrame * v->sourceBlockAlign);
}

void AudioMixer::Mix(int16_t* out, size_t frames) {
  sum_.assign(frames * 2, 0);
  for (Voice& v : voices_) {
    size_t done = 0;
    while (v.playing && done < frames) {
      const size_t run = std::min<size_t>(frames - done, v.frames - v.position);
      const int16_t* from = v.samples.data() + static_cast<size_t>(v.position) * 2;
      int32_t* to = sum_.data() + done * 2;
      for (size_t i = 0; i < run * 2; ++i) to[i] += from[i];
      done += run;
      v.position += static_cast<uint32_t>(run);
      if (v.position == v.frames) {
        // The end: a loop starts over, a single play stops where the next play will begin.
        v.position = 0;
        if (!v.looping) v.playing = false;
      }
    }
  }
  for (size_t i = 0; i < frames * 2; ++i) out[i] = static_cast<int16_t>(std::clamp(sum_[i], -32768, 32767));
}
