// SDL's sound device under the shared effects mixer: each WAV is converted once, when its buffer is made, to
// the device's 16-bit stereo at the device's rate, and the mixer sums the playing ones inside the callback.
#include "platform/sdl/sdl_audio.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/sdl/sdl_midi.h"
#include "platform/sound/mixed_effects.h"

namespace {

struct SdlAudio {
  SDL_AudioDeviceID device = 0;
  int rate = 0;
};

SdlAudio gAudio;

}  // namespace

// The callback reads the mixer on the audio thread; every change from the game's thread holds the device's
// lock, which SDL also holds around the callback.
bool EffectsDeviceOpen() { return gAudio.device != 0; }
void LockEffects() {
  if (gAudio.device != 0) SDL_LockAudioDevice(gAudio.device);
}
void UnlockEffects() {
  if (gAudio.device != 0) SDL_UnlockAudioDevice(gAudio.device);
}

// The samples as 16-bit stereo at the device's rate, or empty when SDL cannot convert them.
std::vector<int16_t> ConvertForDevice(const WaveFormat& f, const uint8_t* data, uint32_t frames) {
  const int rate = gAudio.rate;
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

void SdlAudioAttach(SDL_AudioDeviceID device, int rate) {
  gAudio.device = device;
  gAudio.rate = rate;
  SdlMidiAttach(rate);
}

void SdlAudioDetach() {
  SdlMidiDetach();
  gAudio.device = 0;
  gAudio.rate = 0;
}

void SdlAudioFill(Uint8* stream, int length) {
  const size_t frames = static_cast<size_t>(length) / 4;
  EffectsMixer().Mix(reinterpret_cast<int16_t*>(stream), frames);
  SdlMidiMix(reinterpret_cast<int16_t*>(stream), frames);
  if (static_cast<size_t>(length) > frames * 4) std::memset(stream + frames * 4, 0, length - frames * 4);
}
