// Text at the edges: the game's strings are Windows-1252 bytes, the desktop speaks UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The code point of a Windows-1252 byte; the five bytes the code page leaves undefined keep their C1 point.
uint32_t Cp1252ToUnicode(uint8_t ch);
// The Windows-1252 byte of a code point, or -1 when it has none.
int32_t UnicodeToCp1252(uint32_t cp);
// One UTF-8 sequence at text[*pos], moving *pos past it; -1 (and one byte on) for a malformed one.
int64_t DecodeUtf8(std::string_view text, size_t* pos);
void AppendUtf8(std::string* out, uint32_t cp);
std::string Cp1252ToUtf8(std::string_view text);
