// The SDL backend's MIDI: streams run on threads of their own against the real clock and play into one
// FluidSynth synthesizer, made when the sound device opens. No device or no soundfont: no stream opens.
#include "platform/sdl/sdl_midi.h"

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sound/fluid_synth.h"
#include "platform/sound/midi_backend.h"
#include "platform/sound/sync.h"

namespace {

// Loading the soundfont takes a good part of a start-up, so it loads on a thread of its own beside the
// window's making; nobody waits for it. Messages sent before it is ready are kept and played the moment it
// is: the first notes of the music come late rather than hold up the title picture.
struct Synthesizer {
  std::atomic<FluidSynthBox*> synth{nullptr};  // made once and never destroyed: the audio callback may
                                               // still be rendering while the device closes
  std::atomic<bool> attached{false};
  std::atomic<bool> made{false};  // the making has finished, with or without a synthesizer
  bool making = false;
  std::mutex lock;  // over early and the hand-over from early to synth
  std::vector<uint32_t> early;
};

// Never destroyed: the thread making the synthesizer may outlive the program's static objects.
Synthesizer& State() {
  static auto* state = new Synthesizer;
  return *state;
}

void Make(int rate) {
  Synthesizer& s = State();
  // Behind the game's own start-up on a busy machine: the title picture comes first.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
  FluidSynthBox* synth = FluidCreate(rate);
  std::lock_guard<std::mutex> hold(s.lock);
  for (uint32_t message : s.early) FluidSend(synth, message);
  s.early.clear();
  s.synth = synth;
  s.made = true;
}

}  // namespace

void SdlMidiAttach(int rate) {
  Synthesizer& s = State();
  {
    std::lock_guard<std::mutex> hold(s.lock);
    if (!s.making) std::thread(Make, rate).detach();
    s.making = true;
  }
  s.attached = true;
}

void SdlMidiDetach() { State().attached = false; }

void SdlMidiMix(int16_t* out, size_t frames) {
  Synthesizer& s = State();
  if (s.attached) FluidMixInto(s.synth.load(), out, frames);
}

// While the soundfont loads there will be a synthesizer, unless the loading fails.
bool BackendMidiAvailable() {
  Synthesizer& s = State();
  return s.attached && (!s.made || s.synth.load() != nullptr);
}

bool BackendMidiThreaded() { return true; }
uint64_t BackendMidiVirtualUs() { return 0; }

void BackendMidiSend(uint32_t message, uint64_t /*atUs*/) {
  Synthesizer& s = State();
  if (!s.made) {
    std::lock_guard<std::mutex> hold(s.lock);
    if (!s.made) {
      s.early.push_back(message);
      return;
    }
  }
  FluidSend(s.synth.load(), message);
}

void BackendWaitSlice(HANDLE event, uint32_t msLeft) { EventRest(event, msLeft); }
