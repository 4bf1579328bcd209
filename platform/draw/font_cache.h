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
// Drops one reference; true when that was the last and the caller must free the font.
bool ReleaseCachedFont(Font* font);
