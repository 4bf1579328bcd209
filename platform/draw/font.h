// Font faces for our GDI: FreeType outlines rendered 1-bit at a fixed pixel size, with a glyph cache.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/draw/text_encoding.h"

struct Glyph {
  int32_t width = 0;          // bitmap columns
  int32_t height = 0;         // bitmap rows
  int32_t left = 0;           // pen x to the bitmap's left column
  int32_t top = 0;            // baseline to the bitmap's top row (up is positive)
  int32_t advance = 0;        // pen advance in whole pixels
  std::vector<uint8_t> bits;  // width x height, 1 where ink
  bool loaded = false;
};

struct Font {
  void* face = nullptr;  // FT_Face
  int32_t ascent = 0;    // pixels above the baseline
  int32_t descent = 0;   // pixels below the baseline
  int32_t height = 0;    // ascent + descent: the line height
  int32_t averageWidth = 0;
  Glyph glyphs[256];  // by Windows-1252 byte, loaded on first use
};

// Opens fontFile at an em height of pixelHeight, narrowed or widened so that the average character width is
// averageWidth (0: the face's own width). Null when the file cannot be opened.
Font* OpenFont(const std::string& fontFile, int32_t pixelHeight, int32_t averageWidth);
void CloseFont(Font* font);
const Glyph& FontGlyph(Font* font, uint8_t ch);

// Where the font files are: QUILL_FONT_DIR at build time, else Debian's Liberation fonts.
std::string FontPath(bool bold);
