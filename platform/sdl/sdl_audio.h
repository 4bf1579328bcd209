// Between the SDL backend's sound device and its effect buffers: the device tells the mixer when it opens
// and closes, and its callback asks the mixer for samples.
#pragma once

#include <SDL.h>

// The device is open at rate samples a second, signed 16-bit stereo; new buffers are converted to that.
void SdlAudioAttach(SDL_AudioDeviceID device, int rate);
// Before the device closes: buffers stay valid but fall silent until a device opens again.
void SdlAudioDetach();
// On SDL's audio thread, with the device locked: fills stream with the mix of every playing buffer.
void SdlAudioFill(Uint8* stream, int length);
