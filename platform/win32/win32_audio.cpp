// Effects on Windows: each WAV is converted once to the device's 16-bit stereo, and a feeder thread keeps a
// few short waveOut buffers queued, each filled by the shared mixer. No device: every sound does nothing.
#include "platform/win32/win32_audio.h"

#include <windows.h>

#include <array>
#include <mutex>
#include <thread>

#include "platform/sound/mixed_effects.h"

namespace {

constexpr size_t kBlocks = 4;
constexpr uint32_t kBlockMs = 20;  // short enough that an effect starts with its cause

struct Device {
  std::mutex lock;  // the mixer, between the game's thread and the feeder
  HWAVEOUT out = nullptr;
  HANDLE done = nullptr;
  int32_t rate = 0;
  std::array<WAVEHDR, kBlocks> headers{};
  std::array<std::vector<int16_t>, kBlocks> blocks;
};

// Never destroyed: the feeder runs until the process ends, and buffers held by the game's globals are
// released during exit.
Device& State() {
  static auto* device = new Device;
  return *device;
}

void Feed() {
  Device& d = State();
  for (;;) {
    for (size_t i = 0; i < kBlocks; ++i) {
      WAVEHDR& h = d.headers[i];
      if (h.dwFlags & WHDR_INQUEUE) continue;  // a block still with the device; a new one goes at once
      {
        std::lock_guard guard(d.lock);
        EffectsMixer().Mix(d.blocks[i].data(), d.blocks[i].size() / 2);
      }
      h.dwFlags &= ~WHDR_DONE;
      waveOutWrite(d.out, &h, sizeof h);
    }
    WaitForSingleObject(d.done, kBlockMs * 2);
  }
}

}  // namespace

bool W32AudioOpen(int32_t rate) {
  Device& d = State();
  if (d.out) return d.rate == rate;  // the feeder keeps the first device for good
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = format.nSamplesPerSec * 4;
  d.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!d.done || waveOutOpen(&d.out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(d.done), 0, CALLBACK_EVENT) !=
                     MMSYSERR_NOERROR) {
    d.out = nullptr;
    return false;
  }
  d.rate = rate;
  const size_t frames = static_cast<size_t>(rate) * kBlockMs / 1000;
  for (size_t i = 0; i < kBlocks; ++i) {
    d.blocks[i].assign(frames * 2, 0);
    d.headers[i].lpData = reinterpret_cast<LPSTR>(d.blocks[i].data());
    d.headers[i].dwBufferLength = static_cast<DWORD>(frames * 4);
    waveOutPrepareHeader(d.out, &d.headers[i], sizeof(WAVEHDR));
  }
  std::thread(Feed).detach();
  return true;
}

bool W32AudioIsOpen() { return State().out != nullptr; }

uint32_t W32AudioPlayedFrames() {
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  if (!State().out || waveOutGetPosition(State().out, &time, sizeof time) != MMSYSERR_NOERROR) return 0;
  return time.wType == TIME_SAMPLES ? time.u.sample : 0;
}

std::vector<int16_t> ConvertToStereo16(const WaveFormat& f, const uint8_t* data, uint32_t frames, int32_t rate) {
  if (frames == 0 || rate <= 0 || f.samplesPerSecond == 0) return {};
  const auto sample = [&](uint32_t frame, uint16_t channel) -> int32_t {
    const uint8_t* p = data + static_cast<size_t>(frame) * f.blockAlign;
    const uint16_t c = f.channels == 1 ? 0 : channel;
    if (f.bitsPerSample == 8) return (p[c] - 128) << 8;
    return static_cast<int16_t>(p[2 * c] | (p[2 * c + 1] << 8));
  };
  const uint64_t outFrames = std::max<uint64_t>(1, uint64_t{frames} * static_cast<uint64_t>(rate) / f.samplesPerSecond);
  std::vector<int16_t> out(outFrames * 2);
  for (uint64_t i = 0; i < outFrames; ++i) {
    // The source position in 1/65536ths of a frame.
    const uint64_t at = i * f.samplesPerSecond * 65536 / static_cast<uint64_t>(rate);
    const auto frame = static_cast<uint32_t>(at >> 16);
    const uint32_t next = std::min(frame + 1, frames - 1);
    const auto part = static_cast<int64_t>(at & 0xFFFF);
    for (uint16_t c = 0; c < 2; ++c) {
      const int64_t a = sample(frame, c), b = sample(next, c);
      out[i * 2 + c] = static_cast<int16_t>(a + (b - a) * part / 65536);
    }
  }
  return out;
}

bool EffectsDeviceOpen() { return State().out != nullptr; }
void LockEffects() { State().lock.lock(); }
void UnlockEffects() { State().lock.unlock(); }

std::vector<int16_t> ConvertForDevice(const WaveFormat& f, const uint8_t* data, uint32_t frames) {
  return ConvertToStereo16(f, data, frames, State().rate);
}
