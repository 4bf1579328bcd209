// The hole source: one text file per hole under course/holes/, compiled into the hole's map with its tables
// and the shapes its picture is painted from. course/README.md describes the language.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "tools/coursebuild/hole_map.h"

struct CompiledHole {
  int32_t par = 0;
  std::string name;  // what the hole is called in the source, for the author's eyes
  HoleMap map;
};

// Compiles one hole source. None, with "FILE:LINE: what is wrong" in *error, for anything the compiler cannot
// take as written: an unknown word, a number out of range, a shape with too few points, a missing par or cup.
// A design tool may leave the cup out (needCup false) to see where the strokes go without one.
std::optional<CompiledHole> CompileHoleSource(std::string_view text, const std::string& fileName, std::string* error,
                                              bool needCup = true);

// Reads and compiles the file; a file that cannot be read is an error too.
std::optional<CompiledHole> CompileHoleFile(const std::filesystem::path& path, std::string* error);
