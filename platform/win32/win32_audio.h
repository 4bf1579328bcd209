// The win32 backend's sound device: waveOut at 16-bit stereo, fed by the shared effects mixer.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/sound/audio_mixer.h"

// Opens (or reopens) the output at rate samples a second; false leaves the game silent.
bool W32AudioOpen(int32_t rate);
bool W32AudioIsOpen();
// Sample frames the device has played since it opened (0 with none).
uint32_t W32AudioPlayedFrames();

// frames sample frames of f (8-bit unsigned or 16-bit signed, mono or stereo) as 16-bit stereo at rate,
// linearly interpolated; empty when there is nothing to convert.
std::vector<int16_t> ConvertToStereo16(const WaveFormat& f, const uint8_t* data, uint32_t frames, int32_t rate);
