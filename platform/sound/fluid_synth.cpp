// FluidSynth with the General MIDI soundfont from Debian's timgm6mb-soundfont package.
#include "platform/sound/fluid_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdio>
#include <memory>

struct FluidSynthBox {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
};

namespace {

const char* const kSoundfonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"};

void Quiet() {
  static bool done = false;
  if (done) return;
  done = true;
  for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
}

void PutLe(std::FILE* f, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
}

}  // namespace

FluidSynthBox* FluidCreate(int32_t rate) {
  Quiet();
  auto box = std::make_unique<FluidSynthBox>();
  box->settings = new_fluid_settings();
  if (!box->settings) return nullptr;
  fluid_settings_setnum(box->settings, "synth.sample-rate", rate);
  fluid_settings_setnum(box->settings, "synth.gain", 0.8);
  box->synth = new_fluid_synth(box->settings);
  bool loaded = false;
  for (const char* path : kSoundfonts) {
    if (box->synth && fluid_is_soundfont(path) && fluid_synth_sfload(box->synth, path, 1) != FLUID_FAILED) {
      loaded = true;
      break;
    }
  }
  if (!loaded) {
    FluidDestroy(box.release());
    return nullptr;
  }
  return box.release();
}

void FluidDestroy(FluidSynthBox* box) {
  if (!box) return;
  if (box->synth) delete_fluid_synth(box->synth);
  if (box->settings) delete_fluid_settings(box->settings);
  delete box;
}

void FluidSend(FluidSynthBox* box, uint32_t message) {
  if (!box) return;
  fluid_synth_t* s = box->synth;
  const int channel = static_cast<int>(message & 0x0F);
  const int d1 = static_cast<int>((message >> 8) & 0x7F);
  const int d2 = static_cast<int>((message >> 16) & 0x7F);
  switch (message & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(s, channel, d1);
      break;
    case 0x90:
      if (d2 == 0) {
        fluid_synth_noteoff(s, channel, d1);
      } else {
        fluid_synth_noteon(s, channel, d1, d2);
      }
      break;
    case 0xA0:
      fluid_synth_key_pressure(s, channel, d1, d2);
      break;
    case 0xB0:
      fluid_synth_cc(s, channel, d1, d2);
      break;
    case 0xC0:
      fluid_synth_program_change(s, channel, d1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(s, channel, d1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(s, channel, d1 | d2 << 7);
      break;
    default:
      break;
  }
}

void FluidMixInto(FluidSynthBox* box, int16_t* out, size_t frames) {
  if (!box) return;
  int16_t chunk[2 * 512];
  while (frames > 0) {
    const size_t n = std::min<size_t>(frames, 512);
    fluid_synth_write_s16(box->synth, static_cast<int>(n), chunk, 0, 2, chunk, 1, 2);
    for (size_t i = 0; i < 2 * n; ++i) {
      out[i] = static_cast<int16_t>(std::clamp<int32_t>(int32_t{out[i]} + chunk[i], -32768, 32767));
    }
    out += 2 * n;
    frames -= n;
  }
}

bool RenderMidiToWav(const std::vector<TimedMidiMessage>& messages, uint32_t durationMs, const std::string& path) {
  constexpr uint32_t kRate = 44100;
  std::unique_ptr<FluidSynthBox, void (*)(FluidSynthBox*)> synth(FluidCreate(kRate), FluidDestroy);
  if (!synth) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f) return false;
  const uint64_t frames = uint64_t{durationMs} * kRate / 1000;
  const uint32_t dataBytes = static_cast<uint32_t>(std::min<uint64_t>(frames * 4, 0xFFFFFF00u));
  std::fwrite("RIFF", 1, 4, f.get());
  PutLe(f.get(), 36 + dataBytes, 4);
  std::fwrite("WAVEfmt ", 1, 8, f.get());
  PutLe(f.get(), 16, 4);
  PutLe(f.get(), 1, 2);
  PutLe(f.get(), 2, 2);
  PutLe(f.get(), kRate, 4);
  PutLe(f.get(), kRate * 4, 4);
  PutLe(f.get(), 4, 2);
  PutLe(f.get(), 16, 2);
  std::fwrite("data", 1, 4, f.get());
  PutLe(f.get(), dataBytes, 4);
  // Each message sounds at the first frame of its millisecond.
  size_t next = 0;
  std::vector<int16_t> block;
  for (uint64_t frame = 0; frame < dataBytes / 4;) {
    while (next < messages.size() && uint64_t{messages[next].timeMs} * kRate / 1000 <= frame) {
      FluidSend(synth.get(), messages[next++].message);
    }
    uint64_t until = dataBytes / 4;
    if (next < messages.size()) until = std::min<uint64_t>(until, uint64_t{messages[next].timeMs} * kRate / 1000);
    const size_t n = static_cast<size_t>(std::max<uint64_t>(until - frame, 1));
    block.assign(2 * n, 0);
    FluidMixInto(synth.get(), block.data(), n);
    std::fwrite(block.data(), 2, block.size(), f.get());
    frame += n;
  }
  return std::ferror(f.get()) == 0;
}
