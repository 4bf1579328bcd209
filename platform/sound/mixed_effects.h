// The effects API (audio.h) for backends whose sound device pulls samples from the shared mixer (SDL,
// waveOut). The backend supplies the hooks below; everything else about buffers is this one piece.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/sound/audio_mixer.h"

// The mixer every buffer's voice lives in. Read on the device's thread only between LockEffects and
// UnlockEffects.
AudioMixer& EffectsMixer();

// Supplied by the backend.
bool EffectsDeviceOpen();  // false: no buffer is made, the game stays silent
void LockEffects();
void UnlockEffects();
// frames sample frames of f as the device's 16-bit stereo; empty when they cannot be converted.
std::vector<int16_t> ConvertForDevice(const WaveFormat& f, const uint8_t* data, uint32_t frames);
