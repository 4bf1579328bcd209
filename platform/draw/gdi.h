// A small GDI on our surfaces: device contexts, pens, brushes, fonts, lines, pixels and DrawText.
#pragma once

#include <cstdint>

#include "platform/draw/surface.h"
#include "platform/win.h"

struct Font;  // a FreeType face at one size with its glyph cache (platform/draw/font.h)
using HFONT = Font*;

struct LOGFONTA {
  int32_t lfHeight = 0;  // negative: character (em) height in pixels; positive: cell height
  int32_t lfWidth = 0;   // average character width in pixels; 0 keeps the face's own proportions
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = 0;
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 0;
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  char lfFaceName[32] = {};
};

constexpr int32_t FW_DONTCARE = 0;
constexpr int32_t FW_NORMAL = 400;
constexpr int32_t FW_BOLD = 700;

struct Pen {
  bool visible = true;
  COLORREF color = 0;
};

struct Brush {
  bool visible = true;
  COLORREF color = 0;
};

// Stock objects the game uses.
constexpr Pen WHITE_PEN{true, RGB(255, 255, 255)};
constexpr Pen BLACK_PEN{true, RGB(0, 0, 0)};
constexpr Pen NULL_PEN{false, 0};
constexpr Brush LTGRAY_BRUSH{true, RGB(192, 192, 192)};
constexpr Brush GRAY_BRUSH{true, RGB(128, 128, 128)};
constexpr Brush WHITE_BRUSH{true, RGB(255, 255, 255)};
constexpr Brush BLACK_BRUSH{true, RGB(0, 0, 0)};
constexpr Brush NULL_BRUSH{false, 0};

constexpr int32_t PS_SOLID = 0;
constexpr int32_t TRANSPARENT = 1;
constexpr int32_t OPAQUE = 2;
constexpr int32_t LOGPIXELSY = 90;

// DrawText formats.
constexpr uint32_t DT_LEFT = 0x0000;
constexpr uint32_t DT_CENTER = 0x0001;
constexpr uint32_t DT_RIGHT = 0x0002;
constexpr uint32_t DT_VCENTER = 0x0004;
constexpr uint32_t DT_BOTTOM = 0x0008;
constexpr uint32_t DT_WORDBREAK = 0x0010;
constexpr uint32_t DT_SINGLELINE = 0x0020;
constexpr uint32_t DT_NOCLIP = 0x0100;
constexpr uint32_t DT_CALCRECT = 0x0400;
constexpr uint32_t DT_NOPREFIX = 0x0800;

// A device context on a surface. It holds no resources; selecting objects swaps plain values.
struct DC {
  Surface* surface = nullptr;
  Pen pen = BLACK_PEN;
  Brush brush = WHITE_BRUSH;
  HFONT font = nullptr;  // null: the stock ANSI_VAR_FONT
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int32_t bkMode = OPAQUE;
  POINT position{0, 0};
};

// Fails (false) on a null or lost surface.
bool SurfaceGetDC(Surface* surface, DC* dc);
void SurfaceReleaseDC(Surface* surface, DC* dc);

int32_t GetDeviceCaps(const DC* dc, int32_t index);  // LOGPIXELSY is 96

Pen CreatePen(int32_t style, int32_t width, COLORREF color);
Pen SelectPen(DC* dc, Pen pen);
Brush SelectBrush(DC* dc, Brush brush);
HFONT SelectFont(DC* dc, HFONT font);  // null selects the stock ANSI_VAR_FONT

// Fonts: "Arial" family names map to Liberation Sans (bold by weight or a "Bold" face name), "MS Sans Serif"
// to Liberation Sans at the dialog size. Null when no font file can be opened.
HFONT CreateFontIndirectA(const LOGFONTA* logFont);
void DeleteFont(HFONT font);
HFONT GetStockAnsiVarFont();

COLORREF SetTextColor(DC* dc, COLORREF color);
int32_t SetBkMode(DC* dc, int32_t mode);

// Fills left..right-1, top..bottom-1 with the brush (nothing for NULL_BRUSH).
void FillRect(DC* dc, const RECT* rect, Brush brush);
bool MoveToEx(DC* dc, int32_t x, int32_t y, POINT* old);
// Bresenham from the current position; the end point itself is not drawn and becomes the current position.
bool LineTo(DC* dc, int32_t x, int32_t y);
COLORREF SetPixel(DC* dc, int32_t x, int32_t y, COLORREF color);
COLORREF GetPixel(const DC* dc, int32_t x, int32_t y);

// Text is Windows-1252 bytes; length -1 means up to the terminating zero. Returns the height of the text
// drawn. DT_CALCRECT measures only, setting rect's right and bottom.
int32_t DrawTextA(DC* dc, const char* text, int32_t length, RECT* rect, uint32_t format);
bool TextOutA(DC* dc, int32_t x, int32_t y, const char* text, int32_t length);

struct SIZE {
  int32_t cx;
  int32_t cy;
};
bool GetTextExtentPoint32A(DC* dc, const char* text, int32_t length, SIZE* size);
