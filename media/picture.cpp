// Loading bitmap files into picture surfaces and copying rectangles between surfaces.
#include "media/picture.h"

#include <algorithm>
#include <vector>

#include "platform/system.h"
#include "shell/display.h"
#include "shell/shell.h"

namespace {

// What a GDI copy onto a 16-bit surface does: every pixel converted to the surface's format.
void PutBitmap(Surface* surface, const Bitmap& bitmap) {
  const int32_t width = std::min(surface->width, bitmap.width);
  const int32_t height = std::min(surface->height, bitmap.height);
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* from = bitmap.rgb.data() + static_cast<size_t>(y) * bitmap.width;
    uint16_t* to = SurfaceRow(surface, y);
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t c = from[x];
      to[x] = ColorTo565(RGB(c >> 16, c >> 8, c));
    }
  }
  MarkWritten(surface);
}

}  // namespace

std::optional<Bitmap> LoadBitmapFile(const char* path) {
  if (gShell.applicationState == kStateQuitting || !path) return std::nullopt;
  std::vector<uint8_t> bytes;
  if (!ReadGameFile(path, &bytes)) return std::nullopt;
  return DecodeBmp(bytes.data(), bytes.size());
}

SurfacePtr LoadKeyedSurface(const char* path) {
  const std::optional<Bitmap> bitmap = LoadBitmapFile(path);
  if (!bitmap) return nullptr;
  SurfacePtr surface = CreateSurface(bitmap->width, bitmap->height);
  if (!surface) return nullptr;
  PutBitmap(surface.get(), *bitmap);
  surface->colorKey = surface->pixels[0];
  return surface;
}

void CopyBitmapToSurface(Surface* surface, const char* path) {
  if (!surface) return;
  const std::optional<Bitmap> bitmap = LoadBitmapFile(path);
  if (bitmap) PutBitmap(surface, *bitmap);
}

void BlitRect(Surface* destination, int32_t destX, int32_t destY, int32_t width, int32_t height, int32_t sourceX,
              int32_t sourceY, const Surface* source, int32_t useKey) {
  if (!source) return;
  if (width == 0 || height == 0) {
    width = source->width;
    height = source->height;
  }
  const RECT to{destX, destY, destX + width, destY + height};
  const RECT from{sourceX, sourceY, sourceX + width, sourceY + height};
  SurfaceBlt(destination, &to, source, &from, DDBLT_WAIT | (useKey ? DDBLT_KEYSRC : 0));
}

void DrawToBackBuffer(const Surface* source, int32_t x, int32_t y, int32_t useKey) {
  SurfaceBltFast(gDisplay.backBuffer.get(), x, y, source, nullptr,
                 useKey ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY);
}
