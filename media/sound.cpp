// Sound effects: WAV files read whole into effect buffers of the sound device, played once, looped, or once
// while the game waits. Without a sound device every call here does nothing and the game plays silent.
#include "media/sound.h"

#include <string>

#include "platform/sound/audio.h"
#include "platform/sound/audio_mixer.h"
#include "platform/system.h"
#include "shell/display.h"
#include "shell/shell.h"

struct Effect {
  AudioBuffer* buffer = nullptr;
  std::string name;
  uint32_t lengthMs = 0;
};

namespace {

// A wait for an effect's end steps this often.
constexpr uint32_t kWaitStepMs = 100;
// How long past an effect's length a wait may run before it gives up: a device that has stopped taking
// samples would otherwise keep its buffers "playing" and the game waiting for ever.
constexpr uint32_t kWaitGraceMs = 1000;

bool Silent(const Effect* buffer) { return !gDisplay.sound || buffer == nullptr || buffer->buffer == nullptr; }

}  // namespace

void EffectDeleter::operator()(Effect* effect) const {
  if (!effect) return;
  AudioReleaseBuffer(effect->buffer);
  delete effect;
}

int32_t LoadWaveFile(const char* path, std::vector<uint8_t>* format, std::vector<uint8_t>* data) {
  format->clear();
  data->clear();
  std::vector<uint8_t> bytes;
  if (path == nullptr || !ReadGameFile(path, &bytes)) return kWaveCannotOpen;
  return ParseWave(bytes.data(), bytes.size(), format, data);
}

EffectPtr CreateEffectBuffer(const char* path) {
  if (!gDisplay.sound) return nullptr;
  std::vector<uint8_t> format, data;
  if (LoadWaveFile(path, &format, &data) != 0) return nullptr;
  AudioBuffer* buffer = AudioCreateBuffer(format.data(), format.size(), data.data(), data.size(), path);
  if (buffer == nullptr) return nullptr;
  EffectPtr effect(new Effect);
  effect->buffer = buffer;
  effect->name = path;
  if (const std::optional<WaveFormat> f = DecodeWaveFormat(format.data(), format.size())) {
    effect->lengthMs = static_cast<uint32_t>(FramesToMs(*f, WholeFrames(*f, data.size())));
  }
  return effect;
}

void PlayEffect(Effect* buffer, uint32_t mode) {
  if (Silent(buffer)) return;
  if (mode == kPlayAndWait) {
    PlayEffectAndWait(buffer);
    return;
  }
  AudioPlay(buffer->buffer, mode != kPlayOnce);
}

void PlayEffectAndWait(Effect* buffer) {
  if (Silent(buffer)) return;
  AudioPlay(buffer->buffer, false);
  const uint32_t start = timeGetTime();
  const uint32_t limit = buffer->lengthMs + kWaitGraceMs;
  do {
    FrameWait(kWaitStepMs);
  } while (AudioStatus(buffer->buffer) == kAudioPlaying && timeGetTime() - start <= limit);
}

void StopEffect(Effect* buffer) {
  if (Silent(buffer)) return;
  AudioStop(buffer->buffer);
  AudioSetPosition(buffer->buffer, 0);
}

void ReleaseEffect(EffectPtr& buffer) {
  // The buffer is freed even with the device gone: it is our memory either way.
  buffer.reset();
}

const char* EffectName(const Effect* buffer) { return buffer ? buffer->name.c_str() : ""; }
