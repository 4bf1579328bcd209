// Between the SDL sound device and the MIDI synthesizer: the synthesizer plays at the device's rate and its
// output is added to the effects inside the device's callback.
#pragma once

#include <cstddef>
#include <cstdint>

void SdlMidiAttach(int rate);
void SdlMidiDetach();
// On SDL's audio thread: adds the synthesizer's output to frames stereo frames.
void SdlMidiMix(int16_t* out, size_t frames);
