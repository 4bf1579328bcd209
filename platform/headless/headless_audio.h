// The headless backend's effect buffers: they sound for as long as their samples last on the virtual
// clock, and every play and stop is recorded with its time and the sound's file name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class HeadlessSoundAction : uint8_t { Play, Loop, Stop };

struct HeadlessSound {
  uint32_t time;     // virtual milliseconds (timeGetTime)
  std::string name;  // as the game named the file, e.g. "Snds\WallL.wav"
  HeadlessSoundAction action;
};

const std::vector<HeadlessSound>& HeadlessSounds();
void HeadlessOnSound(std::function<void(const HeadlessSound&)> listener);
// Whether a live buffer of that name (any case) is sounding now.
bool HeadlessSoundPlaying(const std::string& name);
// Buffers created and not yet released.
size_t HeadlessAudioBufferCount();
// A stalled device: buffers keep their place and a playing one never ends, as with a sound card that has
// stopped taking samples.
void HeadlessAudioStall(bool stalled);
// Forgets the record and the listener, silences every buffer and un-stalls the device; buffers stay valid
// for whoever still holds them.
void HeadlessAudioReset();
// Forgets the record only; what is sounding sounds on.
void HeadlessSoundsClear();
