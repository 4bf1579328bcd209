// The SDL backend's MIDI: streams run on threads of their own against the real clock and play into one
// FluidSynth synthesizer, made when the sound device opens. No device or no soundfont: no stream opens.
#include "platform/sdl/sdl_midi.h"

#include <atomic>

#include "platform/fluid_synth.h"
#include "platform/midi_backend.h"
#include "platform/sync.h"

namespace {

// Made once and never destroyed: the audio callback may still be rendering while the device closes.
std::atomic<FluidSynthBox*> gSynth{nullptr};
std::atomic<bool> gAttached{false};

}  // namespace

void SdlMidiAttach(int rate) {
  if (gSynth.load() == nullptr) gSynth = FluidCreate(rate);
  gAttached = gSynth.load() != nullptr;
}

void SdlMidiDetach() { gAttached = false; }

void SdlMidiMix(int16_t* out, size_t frames) {
  if (gAttached) FluidMixInto(gSynth.load(), out, frames);
}

bool BackendMidiAvailable() { return gAttached; }
bool BackendMidiThreaded() { return true; }
uint64_t BackendMidiVirtualUs() { return 0; }
void BackendMidiSend(uint32_t message, uint64_t /*atUs*/) { FluidSend(gSynth.load(), message); }

void BackendWaitSlice(HANDLE event, uint32_t msLeft) { EventRest(event, msLeft); }
