// The effects mixer shared by the backends: which WAV formats a buffer may hold, the arithmetic of sample
// frames, bytes and milliseconds, and the mixing of any number of voices into signed 16-bit stereo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The fields of a format record that playing needs.
struct WaveFormat {
  uint16_t channels = 0;
  uint32_t samplesPerSecond = 0;
  uint16_t blockAlign = 0;  // bytes in one sample frame
  uint16_t bitsPerSample = 0;
};

// The format of a record (little-endian, 16 bytes at least) when a buffer can hold it: PCM, or the
// extensible form whose sub-format is PCM, with 8 or 16 bits, one or two channels and 100 to 200,000
// samples a second. The record's own block align and byte rate are not trusted; they are worked out.
std::optional<WaveFormat> DecodeWaveFormat(const uint8_t* record, size_t size);

uint32_t WholeFrames(const WaveFormat& format, size_t bytes);
// Milliseconds until frames have played, rounded up.
uint64_t FramesToMs(const WaveFormat& format, uint64_t frames);
// Frames played in ms milliseconds, rounded down.
uint64_t MsToFrames(const WaveFormat& format, uint64_t ms);

// Voices of sample frames already in the output format (interleaved left, right), each remembering how many
// frames its source had, so that positions are read and set in bytes of the source format whatever rate
// the output runs at. Not thread-safe: the owner locks around it.
class AudioMixer {
 public:
  using VoiceId = uint32_t;  // 0 is never a voice

  // frames holds 2 values per output frame; sourceFrames and sourceBlockAlign describe what it was made
  // from. Returns 0 for an empty voice.
  VoiceId Add(std::vector<int16_t> frames, uint32_t sourceFrames, uint16_t sourceBlockAlign);
  void Remove(VoiceId id);
  void Play(VoiceId id, bool loop);
  void Stop(VoiceId id);
  void SetPosition(VoiceId id, uint32_t sourceBytes);
  uint32_t Status(VoiceId id) const;    // kAudioPlaying, kAudioLooping bits
  uint32_t Position(VoiceId id) const;  // bytes of the source format, on a frame boundary
  size_t VoiceCount() const { return voices_.size(); }

  // Writes frames stereo frames into out: the sum of every playing voice, clipped to 16 bits. Voices played
  // once that reach their end stop and rewind; looped ones wrap.
  void Mix(int16_t* out, size_t frames);

 private:
  struct Voice {
    VoiceId id = 0;
    std::vector<int16_t> samples;
    uint32_t frames = 0;  // output frames
    uint32_t sourceFrames = 0;
    uint16_t sourceBlockAlign = 0;
    uint32_t position = 0;  // output frame
    bool playing = false;
    bool looping = false;
  };
  Voice* Find(VoiceId id);
  const Voice* Find(VoiceId id) const;

  std::vector<Voice> voices_;
  std::vector<int32_t> sum_;
  VoiceId nextId_ = 1;
};
