// The music player: a MIDI stream fed two 1024-byte buffers at a time from the MIDI file reader, refilled
// as the synthesizer hands each one back, and the music volume as channel volume on all 16 channels.
#pragma once

#include <cstdint>

// Notification states.
constexpr uint32_t kMusicPlaying = 0;
constexpr uint32_t kMusicStopping = 100;
constexpr uint32_t kMusicStopped = 200;
constexpr uint32_t kMusicEnding = 300;

// How long a stop waits for both buffers to come back.
constexpr uint32_t kMusicStopWaitMs = 2000;
// The silence between one random piece and the next.
constexpr uint32_t kMusicNextPieceMs = 2000;

// Opens the stream and the buffer-return event; a second call keeps the ones already there.
void OpenMusic();
// Stops, frees the buffers, closes the stream and the event.
void CloseMusic();
// Plays the MIDI file at path (repeating without end when loop is set) at volume 300, 600 or 1000. Does
// nothing while music plays: callers stop first.
void StartMusic(const char* path, bool loop, int32_t volume);
// Stops the music; once both buffers are back (or after kMusicStopWaitMs) the piece and stream are closed.
void StopMusic();
// Sends the volume to all 16 channels while music plays.
void SetMusicVolume(int32_t volume);
void FreeStreamBuffers();

// What tests and the headless driver may look at.
struct MusicStatus {
  bool streamOpen;
  bool eventOpen;
  bool pieceLoaded;
  bool running;
  uint32_t state;
  uint32_t returned;
};
MusicStatus GetMusicStatus();
void ResetMusicForTest();
