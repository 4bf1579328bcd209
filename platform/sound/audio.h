// Effect buffers on the sound device: each holds one sound's samples in the format of its WAV file and is
// played once, looped, stopped or moved to a position, while the device mixes all of them.
#pragma once

#include <cstddef>
#include <cstdint>

// Status bits, as the game reads them; a buffer playing once is exactly kAudioPlaying.
constexpr uint32_t kAudioPlaying = 0x1;
constexpr uint32_t kAudioLooping = 0x4;

struct AudioBuffer;  // each backend defines its own

// A buffer from an 18-byte (or longer) format record and the samples. Only PCM of 8 or 16 bits, mono or
// stereo, at 100 to 200,000 samples a second is taken, and at least one whole sample frame; anything else,
// or no open device, gives null. name is kept for whoever records what plays (the headless backend).
AudioBuffer* AudioCreateBuffer(const uint8_t* format, size_t formatSize, const uint8_t* data, size_t dataSize,
                               const char* name);
// Starts from the current position; a buffer already playing keeps its place and only takes the new loop
// setting. A buffer played once stops at its end and goes back to its start.
void AudioPlay(AudioBuffer* buffer, bool loop);
void AudioStop(AudioBuffer* buffer);  // keeps the position
// Position in bytes of the buffer's own format; a position past the end is refused.
void AudioSetPosition(AudioBuffer* buffer, uint32_t bytes);
uint32_t AudioStatus(AudioBuffer* buffer);
uint32_t AudioPosition(AudioBuffer* buffer);
void AudioReleaseBuffer(AudioBuffer* buffer);  // null is fine
