// FreeType faces rendered 1-bit, so text has the hard edges the game's 16-bit screens were drawn with.
#include "platform/draw/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

#include "platform/draw/font_cache.h"

namespace {

FT_Library gLibrary = nullptr;

FT_Library Library() {
  if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) gLibrary = nullptr;
  return gLibrary;
}

// Glyphs are hinted for black-and-white output, which gives the cleanest small text. A bold face at
// some sizes, though, mostly squeezed to a width of its own as the game's score font is, has its hinting
// instructions thin the stems to a single pixel, and the text stops looking bold. Vertical-only hinting
// keeps the stems as wide as the outline there, so for a bold face whichever of the two gives visibly more
// ink is kept. The choice lives in the face's client data.
FT_Int32 LoadFlags(FT_Face face) {
  return face->generic.data ? static_cast<FT_Int32>(reinterpret_cast<intptr_t>(face->generic.data))
                            : FT_LOAD_TARGET_MONO;
}

int32_t InkPixels(FT_Face face, FT_Int32 flags) {
  int32_t ink = 0;
  for (const char* p = "Hlnoemdb"; *p; ++p) {
    if (FT_Load_Char(face, static_cast<FT_ULong>(*p), flags | FT_LOAD_RENDER) != 0) continue;
    const FT_Bitmap& bm = face->glyph->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO) return 0;
    for (unsigned y = 0; y < bm.rows; ++y) {
      for (unsigned x = 0; x < bm.width; ++x) ink += (bm.buffer[y * bm.pitch + (x >> 3)] >> (7 - (x & 7))) & 1;
    }
  }
  return ink;
}

void ChooseLoadFlags(FT_Face face) {
  FT_Int32 flags = FT_LOAD_TARGET_MONO;
  if (face->style_flags & FT_STYLE_FLAG_BOLD) {
    const int32_t hinted = InkPixels(face, FT_LOAD_TARGET_MONO);
    if (InkPixels(face, FT_LOAD_MONOCHROME) * 10 > hinted * 11) flags = FT_LOAD_MONOCHROME;
  }
  face->generic.data = reinterpret_cast<void*>(static_cast<intptr_t>(flags));
}

int32_t Round26_6(FT_Pos v) { return static_cast<int32_t>((v + 32) >> 6); }

// Windows 3.1's average character width: lowercase letters and space weighted by how often they
// appear in English text (the weights sum to 1000).
constexpr int kLetterWeights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                    56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
constexpr int kSpaceWeight = 166;

// Weighted average advance in pixels at the face's current size, of the advances text is drawn with.
double AverageAdvance(FT_Face face) {
  double sum = 0;
  int weights = 0;
  auto add = [&](FT_ULong ch, int weight) {
    if (FT_Load_Char(face, ch, LoadFlags(face)) != 0) return;
    sum += static_cast<double>(Round26_6(face->glyph->advance.x)) * weight;
    weights += weight;
  };
  for (int i = 0; i < 26; ++i) add('a' + i, kLetterWeights[i]);
  add(' ', kSpaceWeight);
  return weights ? sum / weights : 0;
}

}  // namespace

void LoadGlyph(Font* font, uint8_t ch, Glyph* g) {
  g->loaded = true;
  // Control characters have no shape and take no room.
  if (ch < 0x20) return;
  FT_Face face = static_cast<FT_Face>(font->face);
  if (FT_Load_Char(face, Cp1252ToUnicode(ch), LoadFlags(face) | FT_LOAD_RENDER) != 0) return;
  FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  g->advance = Round26_6(slot->advance.x);
  g->left = slot->bitmap_left;
  g->top = slot->bitmap_top;
  g->width = static_cast<int32_t>(bm.width);
  g->height = static_cast<int32_t>(bm.rows);
  g->bits.assign(static_cast<size_t>(g->width) * g->height, 0);
  for (int32_t y = 0; y < g->height; ++y) {
    const uint8_t* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
    uint8_t* out = g->bits.data() + static_cast<size_t>(y) * g->width;
    for (int32_t x = 0; x < g->width; ++x) {
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
        out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
      } else {
        out[x] = row[x] >= 128 ? 1 : 0;  // a face with grey bitmap strikes only
      }
    }
  }
}

Font* OpenFont(const std::string& fontFile, int32_t pixelHeight, int32_t averageWidth) {
  if (pixelHeight <= 0) return nullptr;
  if (averageWidth < 0) averageWidth = 0;
  std::lock_guard lock(FontCacheMutex());
  if (Font* cached = FindCachedFont(fontFile, pixelHeight, averageWidth)) return cached;
  FT_Library lib = Library();
  if (!lib) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(lib, fontFile.c_str(), 0, &face) != 0) return nullptr;
  if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(pixelHeight), static_cast<FT_UInt>(pixelHeight)) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  ChooseLoadFlags(face);
  double average = AverageAdvance(face);
  if (averageWidth > 0 && average > 0) {
    // Scaling the width in proportion lands between two whole pixel sizes, and hinting rounds every
    // advance, so both neighbours are measured and the one whose drawn average comes closer is kept.
    const double ideal = std::clamp(static_cast<double>(pixelHeight) * averageWidth / average, 1.0, 16384.0);
    const auto below = static_cast<int32_t>(std::floor(ideal));
    int32_t best = below;
    double bestError = 0;
    for (int32_t hsize = below; hsize <= below + 1; ++hsize) {
      FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(hsize), static_cast<FT_UInt>(pixelHeight));
      ChooseLoadFlags(face);
      const double error = std::abs(AverageAdvance(face) - averageWidth);
      if (hsize == below || error < bestError) {
        best = hsize;
        bestError = error;
      }
    }
    FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(best), static_cast<FT_UInt>(pixelHeight));
    ChooseLoadFlags(face);
    average = AverageAdvance(face);
  }
  auto* font = new Font;
  font->face = face;
  font->ascent = Round26_6(face->size->metrics.ascender);
  font->descent = Round26_6(-face->size->metrics.descender);
  font->height = font->ascent + font->descent;
  font->averageWidth = static_cast<int32_t>(std::lround(average));
  AddCachedFont(fontFile, pixelHeight, averageWidth, font);
  return font;
}

void FreeFontFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

std::string FontPath(bool bold) {
#ifdef QUILL_FONT_DIR
  const std::string dir = QUILL_FONT_DIR;
#else
  const std::string dir = "/usr/share/fonts/truetype/liberation";
#endif
  return dir + (bold ? "/LiberationSans-Bold.ttf" : "/LiberationSans-Regular.ttf");
}
