// quillmere-sim's music command: a MIDI file through the game's own reader, player and stream, faster
// than real time, into a WAV file.
#pragma once

#include <map>
#include <string>

int RunMusic(const std::map<std::string, std::string>& options);
