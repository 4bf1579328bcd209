// The General MIDI synthesizer behind the MIDI streams (FluidSynth with the Debian soundfont), kept
// behind plain calls so that nothing outside the platform layer sees its headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FluidSynthBox;

// A synthesizer at rate samples a second with the first soundfont found; null without one.
FluidSynthBox* FluidCreate(int32_t rate);
void FluidDestroy(FluidSynthBox* synth);
// One channel message: status | data1 << 8 | data2 << 16. Safe from any thread.
void FluidSend(FluidSynthBox* synth, uint32_t message);
// Adds frames stereo frames of the synthesizer's output into out, clipped to 16 bits.
void FluidMixInto(FluidSynthBox* synth, int16_t* out, size_t frames);

struct TimedMidiMessage {
  uint32_t timeMs;  // from the start of the recording
  uint32_t message;
};
// Plays messages through a fresh synthesizer and writes durationMs of 44.1 kHz 16-bit stereo to a WAV file.
// False without a soundfont or when the file cannot be written.
bool RenderMidiToWav(const std::vector<TimedMidiMessage>& messages, uint32_t durationMs, const std::string& path);
