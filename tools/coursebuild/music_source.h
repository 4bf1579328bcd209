// The tune source: one text file per piece under course/music/, compiled into a standard MIDI file (type 1,
// one track a voice) for the Music folder. course/music/README.md describes the notation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CompiledTune {
  std::string title;
  std::string key;    // as written, e.g. "G" or "Em"
  std::string metre;  // e.g. "6/8"
  int32_t tempo = 0;  // quarter notes a minute at the start
  int32_t bars = 0;
  double seconds = 0;               // the whole form once through, tempo changes included
  std::vector<std::string> voices;  // "name (program N)" or "name (drums)"
  std::vector<uint8_t> midi;
};

// Compiles one tune source. None, with "FILE:LINE: what is wrong" in *error, for anything the compiler
// cannot take as written: an unknown word, a bar that does not fill its metre, a note out of range, a part
// whose voices differ in length, or an 8-bar passage played more than three times in a row.
std::optional<CompiledTune> CompileTuneSource(std::string_view text, const std::string& fileName, std::string* error);

// Reads and compiles the file; a file that cannot be read is an error too.
std::optional<CompiledTune> CompileTuneFile(const std::filesystem::path& path, std::string* error);
