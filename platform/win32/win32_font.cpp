// Fonts on Windows come from GDI itself: the game's Arial, rasterised black-and-white by the system's own
// font engine, glyph by glyph through GetGlyphOutline.
#include <windows.h>

#include "platform/draw/font.h"
#include "platform/draw/font_cache.h"

namespace {

constexpr const char* kBoldName = "Arial Bold";
constexpr const char* kFaceName = "Arial";

struct Face {
  HFONT font = nullptr;
  HDC dc = nullptr;
};

}  // namespace

// Rows of a GGO_BITMAP glyph are padded to whole 32-bit words.
void LoadGlyph(Font* font, uint8_t ch, Glyph* g) {
  const auto* face = static_cast<Face*>(font->face);
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  GLYPHMETRICS gm{};
  g->loaded = true;
  const DWORD size = GetGlyphOutlineA(face->dc, ch, GGO_BITMAP, &gm, 0, nullptr, &identity);
  if (size == GDI_ERROR) return;
  g->advance = gm.gmCellIncX;
  if (size == 0) return;  // a blank glyph: only its advance
  std::vector<uint8_t> bits(size);
  if (GetGlyphOutlineA(face->dc, ch, GGO_BITMAP, &gm, size, bits.data(), &identity) == GDI_ERROR) return;
  g->width = static_cast<int32_t>(gm.gmBlackBoxX);
  g->height = static_cast<int32_t>(gm.gmBlackBoxY);
  g->left = gm.gmptGlyphOrigin.x;
  g->top = gm.gmptGlyphOrigin.y;
  const size_t pitch = ((gm.gmBlackBoxX + 31) / 32) * 4;
  g->bits.assign(static_cast<size_t>(g->width) * g->height, 0);
  for (int32_t y = 0; y < g->height; ++y) {
    for (int32_t x = 0; x < g->width; ++x) {
      g->bits[static_cast<size_t>(y) * g->width + x] = (bits[y * pitch + (x >> 3)] >> (7 - (x & 7))) & 1;
    }
  }
}

Font* OpenFont(const std::string& fontFile, int32_t pixelHeight, int32_t averageWidth) {
  if (pixelHeight <= 0) return nullptr;
  if (averageWidth < 0) averageWidth = 0;
  std::lock_guard lock(FontCacheMutex());
  if (Font* cached = FindCachedFont(fontFile, pixelHeight, averageWidth)) return cached;
  const bool bold = fontFile == kBoldName;
  HFONT handle =
      CreateFontA(-pixelHeight, averageWidth, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                  OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, kFaceName);
  HDC dc = handle ? CreateCompatibleDC(nullptr) : nullptr;
  TEXTMETRICA tm{};
  if (!dc || !SelectObject(dc, handle) || !GetTextMetricsA(dc, &tm)) {
    if (dc) DeleteDC(dc);
    if (handle) DeleteObject(handle);
    return nullptr;
  }
  auto* font = new Font;
  font->face = new Face{handle, dc};
  font->ascent = tm.tmAscent;
  font->descent = tm.tmDescent;
  font->height = tm.tmAscent + tm.tmDescent;
  font->averageWidth = tm.tmAveCharWidth;
  AddCachedFont(fontFile, pixelHeight, averageWidth, font);
  return font;
}

void FreeFontFace(void* opaque) {
  auto* face = static_cast<Face*>(opaque);
  DeleteDC(face->dc);
  DeleteObject(face->font);
  delete face;
}

// The face is named, not found in a file: Windows has the game's Arial.
std::string FontPath(bool bold) { return bold ? kBoldName : kFaceName; }
