// coursebuild's files: the title recipe it reads from course/ and the game-folder files it writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/coursebuild/pictures.h"

// Reads a title recipe: one "key value" line each for "product" and "course"; blank lines and lines
// starting with '#' are skipped. None, with the reason in *error, for an unknown key, a missing or repeated
// one, or a name that is empty or not printable ASCII.
std::optional<TitleWords> ParseTitleRecipe(std::string_view text, std::string* error);

enum class WriteOutcome { Unchanged, Written, Failed };

// Writes bytes to path, creating its folders, unless the file already holds exactly these bytes (so the
// build sees an untouched time stamp). The new file goes in under a temporary name and is renamed into
// place, so a failed run never leaves a half-written picture behind. Failed sets *error.
WriteOutcome WriteIfChanged(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error);
