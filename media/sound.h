// Sound effects: WAV files read whole into effect buffers, played once, looped, or once while the game
// waits for the end.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Result codes of the WAV reader; 0 is success.
constexpr int32_t kWaveOutOfMemory = 0xE000;
constexpr int32_t kWaveCannotOpen = 0xE100;
constexpr int32_t kWaveNotWave = 0xE101;
constexpr int32_t kWaveBadFormat = 0xE102;
constexpr int32_t kWaveShortData = 0xE103;
// A RIFF "WAVE" file without a format or a data chunk: the multimedia file functions' "chunk not found".
constexpr int32_t kWaveChunkNotFound = 265;

// Play modes of PlayEffect.
constexpr uint32_t kPlayOnce = 0;
constexpr uint32_t kPlayAndWait = 9393;
// Any other mode plays looped until stopped.

struct Effect;  // an effect buffer (defined with the implementation)
struct EffectDeleter {
  void operator()(Effect* effect) const;
};
using EffectPtr = std::unique_ptr<Effect, EffectDeleter>;

// Reads a WAV file whole. On success format holds the 18-byte format record plus its extra bytes and data
// the samples; on failure both are empty.
int32_t LoadWaveFile(const char* path, std::vector<uint8_t>* format, std::vector<uint8_t>* data);
// The same from bytes in memory (the file reader's core; fuzzed and tested directly).
int32_t ParseWave(const uint8_t* bytes, size_t size, std::vector<uint8_t>* format, std::vector<uint8_t>* data);

// None without a sound device, or when the file cannot be read or the buffer made.
EffectPtr CreateEffectBuffer(const char* path);
void PlayEffect(Effect* buffer, uint32_t mode);
void PlayEffectAndWait(Effect* buffer);
void StopEffect(Effect* buffer);  // stops and rewinds
void ReleaseEffect(EffectPtr& buffer);
// The file name the effect was made from, as given ("Snds\\WallL.wav"); empty for none.
const char* EffectName(const Effect* buffer);
