// Software picture surfaces: creation and the two copy operations, clipped to both surfaces.
#include "platform/draw/surface.h"

#include <algorithm>

namespace {

constexpr int32_t kMaxSide = 16384;

struct CopyArea {
  int32_t dstX, dstY, srcX, srcY, width, height;
};

// Trims a copy so that it lies inside both surfaces; the two rectangles keep the same size and offset.
bool ClipCopy(const Surface* dst, const Surface* src, CopyArea* a) {
  auto trim = [&](int32_t& d, int32_t& s, int32_t& len, int32_t dLimit, int32_t sLimit) {
    const int32_t lead = std::max({0, -d, -s});
    d += lead;
    s += lead;
    len -= lead;
    len = std::min({len, dLimit - d, sLimit - s});
  };
  trim(a->dstX, a->srcX, a->width, dst->width, src->width);
  trim(a->dstY, a->srcY, a->height, dst->height, src->height);
  return a->width > 0 && a->height > 0;
}

void CopyPixels(Surface* dst, const Surface* src, const CopyArea& a, bool keyed) {
  const uint16_t key = src->colorKey;
  for (int32_t row = 0; row < a.height; ++row) {
    const uint16_t* from = SurfaceRow(src, a.srcY + row) + a.srcX;
    uint16_t* to = SurfaceRow(dst, a.dstY + row) + a.dstX;
    if (!keyed) {
      std::copy_n(from, a.width, to);
      continue;
    }
    for (int32_t i = 0; i < a.width; ++i) {
      if (from[i] != key) to[i] = from[i];
    }
  }
  MarkWritten(dst);
}

RECT WholeOf(const Surface* s) { return RECT{0, 0, s->width, s->height}; }

int32_t Copy(Surface* dst, int32_t x, int32_t y, const Surface* src, const RECT* srcRect, bool keyed) {
  if (!dst || !src) return DDERR_INVALIDPARAMS;
  if (dst->lost || src->lost) return DDERR_SURFACELOST;
  const RECT from = srcRect ? *srcRect : WholeOf(src);
  CopyArea area{x, y, from.left, from.top, from.right - from.left, from.bottom - from.top};
  // Copying a surface onto itself with overlap would need a temporary; no caller does it.
  if (ClipCopy(dst, src, &area)) CopyPixels(dst, src, area, keyed);
  return DD_OK;
}

}  // namespace

void MarkWritten(Surface* surface) {
  static uint64_t writes = 0;
  surface->version = ++writes;
}

SurfacePtr CreateSurface(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  auto surface = std::make_unique<Surface>();
  surface->width = width;
  surface->height = height;
  surface->pixels.assign(static_cast<size_t>(width) * height, 0);
  return surface;
}

int32_t SurfaceBlt(Surface* dst, const RECT* dstRect, const Surface* src, const RECT* srcRect, uint32_t flags) {
  if (!dst) return DDERR_INVALIDPARAMS;
  const RECT to = dstRect ? *dstRect : WholeOf(dst);
  RECT from = srcRect ? *srcRect : (src ? WholeOf(src) : RECT{});
  // Nothing is stretched: the destination rectangle's size wins when the two differ.
  from.right = from.left + (to.right - to.left);
  from.bottom = from.top + (to.bottom - to.top);
  return Copy(dst, to.left, to.top, src, &from, (flags & DDBLT_KEYSRC) != 0);
}

int32_t SurfaceBltFast(Surface* dst, int32_t x, int32_t y, const Surface* src, const RECT* srcRect, uint32_t trans) {
  return Copy(dst, x, y, src, srcRect, (trans & DDBLTFAST_SRCCOLORKEY) != 0);
}

int32_t SurfaceRestore(Surface* surface) {
  if (!surface) return DDERR_INVALIDPARAMS;
  surface->lost = false;
  MarkWritten(surface);
  return DD_OK;
}
