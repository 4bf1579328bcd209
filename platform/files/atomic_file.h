// Writing files that must never be seen half-written: whole writes, flushed, and replacement by rename.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Writes every byte to fd, going on after interruptions; false on any error.
bool WriteWhole(int fd, std::string_view bytes);

enum class ReplaceResult : uint8_t { Ok, CannotCreate, WriteFailed };

// Writes bytes into temporary (beside path, never through a link), flushes it, gives it mode, renames it
// over path and flushes the folder: a crash leaves the old file or the new one, never a mix.
ReplaceResult ReplaceFileAtomically(const std::string& path, const std::string& temporary, std::string_view bytes,
                                    uint32_t mode);
