// Software picture surfaces in RGB565 with a source colour key, and the two copy operations on them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win.h"

struct Surface {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint16_t> pixels;  // RGB565, row-major, pitch = width
  uint16_t colorKey = 0;         // source colour key (low and high value alike)
  bool lost = false;             // a lost surface refuses copies until restored
  uint64_t version = 0;          // new with every write (see MarkWritten); 0 before the first
};

using SurfacePtr = std::unique_ptr<Surface>;

constexpr int32_t DD_OK = 0;
constexpr int32_t DDERR_SURFACELOST = static_cast<int32_t>(0x887601C2u);
constexpr int32_t DDERR_INVALIDPARAMS = static_cast<int32_t>(0x80070057u);

constexpr uint32_t DDBLT_KEYSRC = 0x00008000;
constexpr uint32_t DDBLT_WAIT = 0x01000000;
constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0x0;
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;

// Every write gives the surface a version no surface has had before, so whoever keeps a copy of what it
// showed (the screen, a strip drawn into a picture) can tell whether it still matches, even after the surface
// was freed and another one made in its place. Surfaces are drawn on the game's thread only.
void MarkWritten(Surface* surface);

// A cleared (black) surface; none for a size of zero or below, or one too large to be a picture.
SurfacePtr CreateSurface(int32_t width, int32_t height);

// Copies srcRect of src to dstRect of dst (same size; nothing is stretched). A null rectangle means the
// whole surface. Rectangles reaching past an edge are clipped to both surfaces alike.
int32_t SurfaceBlt(Surface* dst, const RECT* dstRect, const Surface* src, const RECT* srcRect, uint32_t flags);
// Copies srcRect (null: whole source) of src to (x, y) of dst; trans is DDBLTFAST_SRCCOLORKEY or not.
int32_t SurfaceBltFast(Surface* dst, int32_t x, int32_t y, const Surface* src, const RECT* srcRect, uint32_t trans);
int32_t SurfaceRestore(Surface* surface);

constexpr uint16_t ColorTo565(COLORREF c) {
  return static_cast<uint16_t>(((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) | (GetBValue(c) >> 3));
}
constexpr COLORREF Color565ToRgb(uint16_t p) {
  const uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
  return RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

inline uint16_t* SurfaceRow(Surface* s, int32_t y) { return s->pixels.data() + static_cast<size_t>(y) * s->width; }
inline const uint16_t* SurfaceRow(const Surface* s, int32_t y) {
  return s->pixels.data() + static_cast<size_t>(y) * s->width;
}
