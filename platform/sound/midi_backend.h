// What each backend gives the shared MIDI stream code (platform/sound/midi_stream.cpp), and what that code gives
// the backend that drives streams on a virtual clock.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether there is a synthesizer to play on; without one no stream opens.
bool BackendMidiAvailable();
// Streams run on threads of their own against the real clock; otherwise the backend drives them.
bool BackendMidiThreaded();
// The backend's clock in microseconds, for streams it drives itself.
uint64_t BackendMidiVirtualUs();
// One channel message for the synthesizer, at the stream time it was due (microseconds of the clock the
// stream runs on). Calls are serialized.
void BackendMidiSend(uint32_t message, uint64_t atUs);

constexpr uint64_t kMidiNever = ~0ull;
// For a driving backend: the earliest time (of BackendMidiVirtualUs) at which a stream has work, or
// kMidiNever. While streams are being run (inside a callback) nothing more is due.
uint64_t MidiStreamsNextDueUs();
// Plays everything due by now and delivers the callbacks, in time order.
void MidiStreamsRun(uint64_t nowUs);
// How many streams are open (tests).
size_t MidiStreamsOpen();
// Closes every stream (tests and the headless reset).
void MidiStreamsCloseAll();
