// SDL effect buffers: each WAV is converted once, when its buffer is made, to the device's 16-bit stereo at
// the device's rate, and the shared mixer sums the playing ones inside the device's callback.
#include "platform/sdl/sdl_audio.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/sdl/sdl_midi.h"
#include "platform/sound/audio.h"
#include "platform/sound/audio_mixer.h"

struct AudioBuffer {
  AudioMixer::VoiceId voice = 0;
};

namespace {

struct SdlAudio {
  AudioMixer mixer;
  SDL_AudioDeviceID device = 0;
  int rate = 0;
};

// Never destroyed: buffers held by the game's globals are released during exit, after this file's statics
// would have gone. The device itself is closed at exit before then (sdl_system.cpp).
SdlAudio& State() {
  static auto* state = new SdlAudio;
  return *state;
}

// The callback reads the mixer on the audio thread; every change from the game's thread holds the device's
// lock, which SDL also holds around the callback.
class MixerLock {
 public:
  MixerLock() : device_(State().device) {
    if (device_ != 0) SDL_LockAudioDevice(device_);
  }
  ~MixerLock() {
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
  }
  MixerLock(const MixerLock&) = delete;
  MixerLock& operator=(const MixerLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

// The samples as 16-bit stereo at the device's rate, or empty when SDL cannot convert them.
std::vector<int16_t> ConvertForDevice(const WaveFormat& f, const uint8_t* data, uint32_t frames, int rate) {
  const SDL_AudioFormat from = f.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  const size_t bytes = static_cast<size_t>(frames) * f.blockAlign;
  SDL_AudioCVT cvt;
  const int built = SDL_BuildAudioCVT(&cvt, from, static_cast<Uint8>(f.channels), static_cast<int>(f.samplesPerSecond),
                                      AUDIO_S16SYS, 2, rate);
  if (built < 0 || bytes > static_cast<size_t>(INT32_MAX / (cvt.len_mult > 0 ? cvt.len_mult : 1))) return {};
  if (built == 0) {
    std::vector<int16_t> same(bytes / 2);
    std::memcpy(same.data(), data, bytes);
    return same;
  }
  cvt.len = static_cast<int>(bytes);
  std::vector<uint8_t> work(bytes * static_cast<size_t>(cvt.len_mult));
  std::memcpy(work.data(), data, bytes);
  cvt.buf = work.data();
  if (SDL_ConvertAudio(&cvt) != 0) return {};
  std::vector<int16_t> out(static_cast<size_t>(cvt.len_cvt) / 4 * 2);
  std::memcpy(out.data(), work.data(), out.size() * 2);
  return out;
}

}  // namespace

void SdlAudioAttach(SDL_AudioDeviceID device, int rate) {
  State().device = device;
  State().rate = rate;
  SdlMidiAttach(rate);
}

void SdlAudioDetach() {
  SdlMidiDetach();
  State().device = 0;
  State().rate = 0;
}

void SdlAudioFill(Uint8* stream, int length) {
  const size_t frames = static_cast<size_t>(length) / 4;
  State().mixer.Mix(reinterpret_cast<int16_t*>(stream), frames);
  SdlMidiMix(reinterpret_cast<int16_t*>(stream), frames);
  if (static_cast<size_t>(length) > frames * 4) std::memset(stream + frames * 4, 0, length - frames * 4);
}

// ---- The buffers ----------------------------------------------------------------------------------------

AudioBuffer* AudioCreateBuffer(const uint8_t* format, size_t formatSize, const uint8_t* data, size_t dataSize,
                               const char* /*name*/) {
  SdlAudio& s = State();
  if (s.device == 0 || data == nullptr) return nullptr;
  const std::optional<WaveFormat> f = DecodeWaveFormat(format, formatSize);
  if (!f) return nullptr;
  const uint32_t frames = WholeFrames(*f, dataSize);
  if (frames == 0) return nullptr;
  std::vector<int16_t> converted = ConvertForDevice(*f, data, frames, s.rate);
  if (converted.size() < 2) return nullptr;
  MixerLock lock;
  const AudioMixer::VoiceId voice = s.mixer.Add(std::move(converted), frames, f->blockAlign);
  if (voice == 0) return nullptr;
  return new AudioBuffer{voice};
}

void AudioPlay(AudioBuffer* b, bool loop) {
  if (!b) return;
  MixerLock lock;
  State().mixer.Play(b->voice, loop);
}

void AudioStop(AudioBuffer* b) {
  if (!b) return;
  MixerLock lock;
  State().mixer.Stop(b->voice);
}

void AudioSetPosition(AudioBuffer* b, uint32_t bytes) {
  if (!b) return;
  MixerLock lock;
  State().mixer.SetPosition(b->voice, bytes);
}

uint32_t AudioStatus(AudioBuffer* b) {
  if (!b) return 0;
  MixerLock lock;
  return State().mixer.Status(b->voice);
}

uint32_t AudioPosition(AudioBuffer* b) {
  if (!b) return 0;
  MixerLock lock;
  return State().mixer.Position(b->voice);
}

void AudioReleaseBuffer(AudioBuffer* b) {
  if (!b) return;
  {
    MixerLock lock;
    State().mixer.Remove(b->voice);
  }
  delete b;
}
