// The open fonts shared by (face, em, width), for both font engines: the game asks for the same few fonts
// over and over. Callers hold FontCacheMutex() around every call.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/draw/font.h"

std::mutex& FontCacheMutex();
// The font already open for this key, with one more reference; null when there is none.
Font* FindCachedFont(const std::string& face, int32_t em, int32_t width);
void AddCachedFont(const std::string& face, int32_t em, int32_t width, Font* font);

// What each font engine supplies; CloseFont and FontGlyph are shared and call these under the mutex.
void LoadGlyph(Font* font, uint8_t ch, Glyph* g);
void FreeFontFace(void* face);
