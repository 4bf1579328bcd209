// quillmere-sim music: plays a MIDI file as the game would (reader, converter, stream player, volume) on
// the virtual clock, then renders what reached the synthesizer through the real one into a WAV file.
#include "tools/sim/music_command.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "media/music.h"
#include "menus/settings.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_midi.h"
#include "platform/sound/fluid_synth.h"
#include "platform/system.h"
#include "tools/sim/green_commands.h"
#include "tools/sim/music_events.h"

namespace {

constexpr uint32_t kLongestPieceMs = 20 * 60 * 1000;
constexpr uint32_t kReleaseTailMs = 1500;  // the last notes die away

int Usage() {
  std::fputs("usage: quillmere-sim music --file F.mid [--out F.wav] [--events OUT.jsonl] [--seconds S] [--volume V]\n",
             stderr);
  return 2;
}

// Plays the piece once, or for exactly seconds when given (looping it to fill them). *start is when it began
// to sound (the player's first stop waits out the idle stream); returns the milliseconds it played.
uint32_t PlayPiece(const char* file, int32_t volume, uint32_t seconds, uint32_t* start) {
  StartMusic(file, seconds > 0, volume);
  *start = timeGetTime();
  const uint32_t limit = seconds > 0 ? seconds * 1000 : kLongestPieceMs;
  while (timeGetTime() - *start < limit) {
    // The piece is over once both buffers are back: the player then closes it (its end), or has nothing
    // left to queue (a track that broke off). The ending state alone is not the end: the other buffer,
    // still queued, holds the piece's last events.
    const MusicStatus s = GetMusicStatus();
    if (!s.running || s.returned >= 2) break;
    HeadlessAdvance(1);
  }
  const uint32_t played = timeGetTime() - *start;
  StopMusic();
  return played;
}

// The stream buffers as the player queued them, one JSON line each; false when the file cannot be written.
bool WriteEvents(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& line : lines) out << line << '\n';
  return static_cast<bool>(out.flush());
}

}  // namespace

int RunMusic(const std::map<std::string, std::string>& o) {
  if (!o.count("file") || (!o.count("out") && !o.count("events"))) return Usage();
  const int32_t volume = o.count("volume") ? std::atoi(o.at("volume").c_str()) : 1000;
  const int32_t seconds = o.count("seconds") ? std::atoi(o.at("seconds").c_str()) : 0;
  if (seconds < 0 || volume <= 0) return Usage();
  HeadlessReset(HeadlessConfig{});
  // Only this piece: nothing follows it.
  std::strcpy(gSettings.musicChoice, "None");
  OpenMusic();
  StartStreamEventLog();
  uint32_t start = 0;
  const uint32_t played = PlayPiece(o.at("file").c_str(), volume, static_cast<uint32_t>(seconds), &start);
  CloseMusic();
  const std::vector<std::string> buffers = StopStreamEventLog();
  if (o.count("events") && !WriteEvents(o.at("events"), buffers)) {
    std::fprintf(stderr, "quillmere-sim: cannot write %s\n", o.at("events").c_str());
    return 1;
  }
  std::vector<TimedMidiMessage> messages;
  for (const HeadlessMidiEvent& e : HeadlessMidiEvents()) {
    if (e.time >= start) messages.push_back({e.time - start, e.message});
  }
  size_t notes = 0;
  for (const TimedMidiMessage& m : messages) notes += (m.message & 0xF0) == 0x90 && (m.message >> 16) != 0;
  if (notes == 0) {
    std::fprintf(stderr, "quillmere-sim: %s: nothing to play\n", o.at("file").c_str());
    return 1;
  }
  const uint32_t length = played + (seconds > 0 ? 0 : kReleaseTailMs);
  if (o.count("out") && !RenderMidiToWav(messages, length, o.at("out"))) {
    std::fprintf(stderr, "quillmere-sim: cannot render %s (no soundfont, or the file cannot be written)\n",
                 o.at("out").c_str());
    return 1;
  }
  std::printf("{\"file\":%s,\"messages\":%zu,\"notes\":%zu,\"buffers\":%zu,\"ms\":%u}\n",
              JsonText(o.at("file")).c_str(), messages.size(), notes, buffers.size(), length);
  return 0;
}
