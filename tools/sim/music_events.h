// quillmere-sim music --events: every stream buffer as the music player queued it, decoded, one JSON line
// each, so what the converter made of a file can be read without a synthesizer.
#pragma once

#include <string>
#include <vector>

#include "platform/sound/midi_stream.h"

// One buffer: {"index":…,"ms":…,"bytes":…,"events":[{"delta":…,"stream":…,"event":…},…]}, index counting the
// buffers queued, ms the virtual milliseconds since the record began.
std::string StreamBufferJson(uint32_t index, uint32_t ms, const MIDIHDR& header);

// Records every buffer queued on any stream from now until StopStreamEventLog, which returns the lines.
void StartStreamEventLog();
std::vector<std::string> StopStreamEventLog();
