// Fuzzes the tune compiler: any text either compiles to a MIDI file the game's reader opens, or is refused
// with a message that names the file and a line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "media/midi.h"
#include "tools/coursebuild/music_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // a long form only costs time
  std::string error;
  const std::optional<CompiledTune> tune =
      CompileTuneSource(std::string_view(reinterpret_cast<const char*>(data), size), "f.tune", &error);
  if (tune) {
    if (tune->bars < 1 || tune->seconds <= 0 || OpenMidiBytes(tune->midi) != 0) abort();
    CloseMidiFile();
  } else if (error.rfind("f.tune:", 0) != 0) {
    abort();
  }
  return 0;
}
