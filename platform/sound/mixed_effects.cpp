// Effect buffers as voices of the shared mixer: converted once when made, every change under the
// backend's lock, since the device reads the mixer on its own thread.
#include "platform/sound/mixed_effects.h"

#include "platform/sound/audio.h"

struct AudioBuffer {
  AudioMixer::VoiceId voice = 0;
};

namespace {

// Runs f on the mixer under the device's lock.
template <typename F>
auto Locked(F f) {
  struct Hold {
    Hold() { LockEffects(); }
    ~Hold() { UnlockEffects(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
  } hold;
  return f(EffectsMixer());
}

}  // namespace

// Never destroyed: buffers held by the game's globals are released during exit, after this file's statics
// would have gone.
AudioMixer& EffectsMixer() {
  static auto* mixer = new AudioMixer;
  return *mixer;
}

AudioBuffer* AudioCreateBuffer(const uint8_t* format, size_t formatSize, const uint8_t* data, size_t dataSize,
                               const char* /*name*/) {
  if (!EffectsDeviceOpen() || data == nullptr) return nullptr;
  const std::optional<WaveFormat> f = DecodeWaveFormat(format, formatSize);
  if (!f) return nullptr;
  const uint32_t frames = WholeFrames(*f, dataSize);
  if (frames == 0) return nullptr;
  std::vector<int16_t> converted = ConvertForDevice(*f, data, frames);
  if (converted.size() < 2) return nullptr;
  const AudioMixer::VoiceId voice =
      Locked([&](AudioMixer& m) { return m.Add(std::move(converted), frames, f->blockAlign); });
  return voice == 0 ? nullptr : new AudioBuffer{voice};
}

void AudioPlay(AudioBuffer* b, bool loop) {
  if (b) Locked([&](AudioMixer& m) { m.Play(b->voice, loop); });
}

void AudioStop(AudioBuffer* b) {
  if (b) Locked([&](AudioMixer& m) { m.Stop(b->voice); });
}

void AudioSetPosition(AudioBuffer* b, uint32_t bytes) {
  if (b) Locked([&](AudioMixer& m) { m.SetPosition(b->voice, bytes); });
}

uint32_t AudioStatus(AudioBuffer* b) {
  return b ? Locked([&](AudioMixer& m) { return m.Status(b->voice); }) : 0;
}

uint32_t AudioPosition(AudioBuffer* b) {
  return b ? Locked([&](AudioMixer& m) { return m.Position(b->voice); }) : 0;
}

void AudioReleaseBuffer(AudioBuffer* b) {
  if (!b) return;
  Locked([&](AudioMixer& m) { m.Remove(b->voice); });
  delete b;
}
