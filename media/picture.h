// Pictures: bitmap files loaded into picture surfaces with their transparent colour, and rectangle copies.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/draw/bmp.h"
#include "platform/draw/surface.h"

// None while the program shuts down (nothing is read from disk then) or when the file cannot be loaded.
std::optional<Bitmap> LoadBitmapFile(const char* path);
// A system-memory surface sized like the bitmap; its colour key is its top-left pixel as stored.
SurfacePtr LoadKeyedSurface(const char* path);
// The bitmap at (0, 0) of surface at its own size, no key; nothing for no surface or no bitmap.
void CopyBitmapToSurface(Surface* surface, const char* path);
// width x height from (sourceX, sourceY) to (destX, destY); a width or height of 0 means the whole source.
void BlitRect(Surface* destination, int32_t destX, int32_t destY, int32_t width, int32_t height, int32_t sourceX,
              int32_t sourceY, const Surface* source, int32_t useKey);
// The whole source at (x, y) of the back buffer.
void DrawToBackBuffer(const Surface* source, int32_t x, int32_t y, int32_t useKey);

template <typename T>
void ReleaseInterface(std::unique_ptr<T>& object) {
  object.reset();
}
