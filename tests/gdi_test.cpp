// Drawing through our GDI: rectangles, lines, pixels, fonts and DrawText's layout.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/font.h"
#include "platform/gdi.h"
#include "platform/surface.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kInvalid = 0xFFFFFFFF;

struct Box {
  int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;  // inclusive
  bool empty() const { return left > right; }
};

// Every pixel that differs from background, within rows [top, bottom).
Box InkBox(const Surface& s, uint16_t background, int32_t top = 0, int32_t bottom = -1) {
  if (bottom < 0) bottom = s.height;
  Box b;
  for (int32_t y = top; y < bottom; ++y) {
    for (int32_t x = 0; x < s.width; ++x) {
      if (SurfaceRow(&s, y)[x] == background) continue;
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x);
      b.top = std::min(b.top, y);
      b.bottom = std::max(b.bottom, y);
    }
  }
  return b;
}

class Canvas {
 public:
  Canvas(int32_t w, int32_t h, COLORREF background = kWhite) : surface_(CreateSurface(w, h)) {
    EXPECT_TRUE(SurfaceGetDC(surface_.get(), &dc));
    RECT all{0, 0, w, h};
    FillRect(&dc, &all, Brush{true, background});
  }
  Surface& s() { return *surface_; }
  DC dc;

 private:
  SurfacePtr surface_;
};

HFONT GameFont() {
  LOGFONTA lf;
  lf.lfHeight = -16;
  lf.lfWidth = 6;
  std::strcpy(lf.lfFaceName, "Arial Bold");
  return CreateFontIndirectA(&lf);
}

int32_t EmOf(HFONT font) { return static_cast<FT_Face>(font->face)->size->metrics.y_ppem; }

TEST(GdiTest, DeviceContexts) {
  DC dc;
  EXPECT_FALSE(SurfaceGetDC(nullptr, &dc));
  SurfacePtr lost = CreateSurface(4, 4);
  lost->lost = true;
  EXPECT_FALSE(SurfaceGetDC(lost.get(), &dc));

  SurfacePtr s = CreateSurface(4, 4);
  dc.bkMode = TRANSPARENT;
  dc.position = {3, 3};
  ASSERT_TRUE(SurfaceGetDC(s.get(), &dc));
  EXPECT_EQ(dc.surface, s.get());
  EXPECT_TRUE(dc.pen.visible);
  EXPECT_EQ(dc.pen.color, kBlack);
  EXPECT_EQ(dc.brush.color, kWhite);
  EXPECT_EQ(dc.font, nullptr);
  EXPECT_EQ(dc.textColor, kBlack);
  EXPECT_EQ(dc.bkMode, OPAQUE);
  EXPECT_EQ(dc.position.x, 0);
  EXPECT_EQ(dc.position.y, 0);
  EXPECT_EQ(GetDeviceCaps(&dc, LOGPIXELSY), 96);
}

TEST(GdiTest, FillRectCoversExactlyTheHalfOpenRectangle) {
  Canvas c(10, 10, kBlack);
  const uint32_t before = c.s().version;
  RECT r{2, 3, 5, 7};
  FillRect(&c.dc, &r, WHITE_BRUSH);
  EXPECT_GT(c.s().version, before);
  for (int32_t y = 0; y < 10; ++y) {
    for (int32_t x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 3 && y < 7;
      EXPECT_EQ(GetPixel(&c.dc, x, y), inside ? kWhite : kBlack) << x << "," << y;
    }
  }

  // Invisible brush, empty and inverted rectangles draw nothing; one past the edges is clipped.
  RECT whole{0, 0, 10, 10}, empty{4, 4, 4, 8}, inverted{6, 6, 2, 2}, past{-5, 8, 20, 30};
  FillRect(&c.dc, &whole, NULL_BRUSH);
  FillRect(&c.dc, &empty, GRAY_BRUSH);
  FillRect(&c.dc, &inverted, GRAY_BRUSH);
  EXPECT_EQ(InkBox(c.s(), ColorTo565(kBlack)).left, 2);
  EXPECT_EQ(InkBox(c.s(), ColorTo565(kBlack)).bottom, 6);
  FillRect(&c.dc, &past, GRAY_BRUSH);
  const COLORREF gray = Color565ToRgb(ColorTo565(GRAY_BRUSH.color));
  EXPECT_EQ(GetPixel(&c.dc, 0, 8), gray);
  EXPECT_EQ(GetPixel(&c.dc, 9, 9), gray);
  EXPECT_EQ(GetPixel(&c.dc, 0, 7), kBlack);
}

TEST(GdiTest, LineToLeavesOutTheEndPoint) {
  Canvas c(12, 12, kBlack);
  SelectPen(&c.dc, WHITE_PEN);
  auto lit = [&] {
    std::string out;
    for (int32_t y = 0; y < 12; ++y) {
      for (int32_t x = 0; x < 12; ++x) {
        if (GetPixel(&c.dc, x, y) == kWhite) out += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
      }
    }
    RECT all{0, 0, 12, 12};
    FillRect(&c.dc, &all, BLACK_BRUSH);
    return out;
  };
  auto line = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    POINT old{};
    MoveToEx(&c.dc, x0, y0, &old);
    EXPECT_TRUE(LineTo(&c.dc, x1, y1));
    EXPECT_EQ(c.dc.position.x, x1);
    EXPECT_EQ(c.dc.position.y, y1);
    return lit();
  };

  EXPECT_EQ(line(0, 5, 4, 5), "(0,5)(1,5)(2,5)(3,5)");
  EXPECT_EQ(line(4, 5, 0, 5), "(1,5)(2,5)(3,5)(4,5)");
  EXPECT_EQ(line(2, 1, 2, 4), "(2,1)(2,2)(2,3)");
  EXPECT_EQ(line(3, 3, 0, 0), "(1,1)(2,2)(3,3)");
  EXPECT_EQ(line(0, 3, 3, 0), "(2,1)(1,2)(0,3)");
  // Shallow slope 2/9: each column takes the nearest row.
  EXPECT_EQ(line(0, 0, 9, 2), "(0,0)(1,0)(2,0)(3,1)(4,1)(5,1)(6,1)(7,2)(8,2)");
  // Steep: one pixel per row, nearest column.
  EXPECT_EQ(line(0, 0, 2, 9), "(0,0)(0,1)(0,2)(1,3)(1,4)(1,5)(1,6)(2,7)(2,8)");
  // Exactly halfway between two rows the upper one is lit, whichever way the line runs.
  EXPECT_EQ(line(0, 0, 4, 1), "(0,0)(1,0)(2,0)(3,1)");
  EXPECT_EQ(line(4, 1, 0, 0), "(1,0)(2,0)(3,1)(4,1)");
  // Exactly halfway between two columns the left one is lit.
  EXPECT_EQ(line(0, 0, 1, 4), "(0,0)(0,1)(0,2)(1,3)");
  // Running far off the surface is clipped, not wrapped.
  EXPECT_EQ(line(-100, -100, 3, 3), "(0,0)(1,1)(2,2)");
  EXPECT_EQ(line(5, 11, 5, 1000), "(5,11)");
  EXPECT_EQ(line(1000, 0, 20, 0), "");

  // A null pen moves the position and draws nothing; MoveToEx reports the previous position.
  SelectPen(&c.dc, NULL_PEN);
  EXPECT_EQ(line(0, 0, 8, 0), "");
  POINT old{};
  MoveToEx(&c.dc, 1, 1, &old);
  EXPECT_EQ(old.x, 8);
  EXPECT_EQ(old.y, 0);
  // Consecutive LineTo calls chain from the last end point, which the next segment then draws.
  SelectPen(&c.dc, CreatePen(PS_SOLID, 1, kWhite));
  LineTo(&c.dc, 3, 1);
  LineTo(&c.dc, 3, 3);
  EXPECT_EQ(lit(), "(1,1)(2,1)(3,1)(3,2)");
}

TEST(GdiTest, SetPixelInsideOnly) {
  Canvas c(4, 4, kBlack);
  EXPECT_EQ(SetPixel(&c.dc, 1, 2, RGB(255, 0, 0)), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(&c.dc, 1, 2), RGB(255, 0, 0));
  // The colour returned is the one the 16-bit surface actually holds.
  EXPECT_EQ(SetPixel(&c.dc, 0, 0, RGB(1, 2, 3)), kBlack);
  const uint32_t version = c.s().version;
  EXPECT_EQ(SetPixel(&c.dc, -1, 0, kWhite), kInvalid);
  EXPECT_EQ(SetPixel(&c.dc, 0, 4, kWhite), kInvalid);
  EXPECT_EQ(GetPixel(&c.dc, 4, 0), kInvalid);
  EXPECT_EQ(c.s().version, version);
  EXPECT_EQ(InkBox(c.s(), ColorTo565(kBlack)).left, 1);
  EXPECT_EQ(InkBox(c.s(), ColorTo565(kBlack)).right, 1);
}

TEST(FontTest, Cp1252) {
  EXPECT_EQ(Cp1252ToUnicode(0x80), 0x20ACu);
  EXPECT_EQ(Cp1252ToUnicode(0x92), 0x2019u);
  EXPECT_EQ(Cp1252ToUnicode(0x85), 0x2026u);
  EXPECT_EQ(Cp1252ToUnicode(0x9F), 0x0178u);
  EXPECT_EQ(Cp1252ToUnicode(0x81), 0x81u);
  EXPECT_EQ(Cp1252ToUnicode(0x9D), 0x9Du);
  EXPECT_EQ(Cp1252ToUnicode(0x41), 0x41u);
  EXPECT_EQ(Cp1252ToUnicode(0xB1), 0xB1u);
  EXPECT_EQ(Cp1252ToUnicode(0xFF), 0xFFu);
}

TEST(FontTest, LogicalFontsMapToLiberationSans) {
  Canvas c(8, 8);
  HFONT game = GameFont();
  ASSERT_NE(game, nullptr);
  EXPECT_EQ(EmOf(game), 16);
  EXPECT_TRUE(static_cast<FT_Face>(game->face)->style_flags & FT_STYLE_FLAG_BOLD);
  EXPECT_EQ(game->height, game->ascent + game->descent);
  SelectFont(&c.dc, game);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32A(&c.dc, "abcdefghijklmnopqrstuvwxyz", -1, &size));
  EXPECT_NEAR(size.cx / 26.0, 6.0, 1.0);
  EXPECT_EQ(size.cy, game->height);
  EXPECT_NEAR(game->averageWidth, 6, 1);

  // The dialog font: MS Sans Serif 8 pt at 96 dpi.
  LOGFONTA dialog;
  dialog.lfHeight = -11;
  std::strcpy(dialog.lfFaceName, "MS Sans Serif");
  HFONT dlg = CreateFontIndirectA(&dialog);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(EmOf(dlg), 11);
  EXPECT_FALSE(static_cast<FT_Face>(dlg->face)->style_flags & FT_STYLE_FLAG_BOLD);

  // Weight makes Arial bold; a positive height is the cell, and zero is the default 16 px cell.
  LOGFONTA arial;
  arial.lfHeight = 19;
  arial.lfWeight = FW_BOLD;
  std::strcpy(arial.lfFaceName, "Arial");
  HFONT bold = CreateFontIndirectA(&arial);
  ASSERT_NE(bold, nullptr);
  EXPECT_TRUE(static_cast<FT_Face>(bold->face)->style_flags & FT_STYLE_FLAG_BOLD);
  EXPECT_EQ(bold->height, 19);
  arial.lfHeight = 0;
  arial.lfWeight = FW_NORMAL;
  HFONT plain = CreateFontIndirectA(&arial);
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(static_cast<FT_Face>(plain->face)->style_flags & FT_STYLE_FLAG_BOLD);
  EXPECT_NEAR(plain->height, 16, 1);

  // No font selected means the stock ANSI_VAR_FONT, a 13 px cell, which survives DeleteFont.
  SelectFont(&c.dc, nullptr);
  HFONT stock = GetStockAnsiVarFont();
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(stock->height, 13);
  ASSERT_TRUE(GetTextExtentPoint32A(&c.dc, "x", 1, &size));
  EXPECT_EQ(size.cy, 13);
  DeleteFont(stock);
  EXPECT_EQ(GetStockAnsiVarFont(), stock);
  EXPECT_EQ(stock->height, 13);

  DeleteFont(game);
  DeleteFont(dlg);
  DeleteFont(bold);
  DeleteFont(plain);
}

TEST(GdiTest, SingleLineCentresBothWays) {
  Canvas c(200, 80);
  HFONT font = GameFont();
  SelectFont(&c.dc, font);
  SetBkMode(&c.dc, TRANSPARENT);
  RECT r{10, 10, 190, 70};
  const int32_t h = DrawTextA(&c.dc, "Hole 18", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  const Box ink = InkBox(c.s(), ColorTo565(kWhite));
  ASSERT_FALSE(ink.empty());
  EXPECT_NEAR((ink.left + ink.right + 1) / 2.0, 100.0, 2.0);
  EXPECT_NEAR((ink.top + ink.bottom + 1) / 2.0, 40.0, 2.0);
  // The height returned reaches the bottom of the line, counted from the rectangle's top.
  EXPECT_EQ(h, (60 - font->height) / 2 + font->height);

  // DT_BOTTOM sits the line on the bottom edge; DT_RIGHT against the right edge.
  Canvas d(200, 80);
  SelectFont(&d.dc, font);
  SetBkMode(&d.dc, TRANSPARENT);
  DrawTextA(&d.dc, "Hole 18", -1, &r, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
  const Box low = InkBox(d.s(), ColorTo565(kWhite));
  EXPECT_GE(low.top, 70 - font->height);
  EXPECT_LT(low.bottom, 70);
  EXPECT_GE(low.right, 186);
  EXPECT_LT(low.right, 190);
  DeleteFont(font);
}

TEST(GdiTest, WordBreakCentresEachLineAndClips) {
  Canvas c(300, 200);
  HFONT font = GameFont();
  SelectFont(&c.dc, font);
  SetBkMode(&c.dc, TRANSPARENT);
  const char* text = "You sank it in one stroke under par on the windmill hole";
  RECT r{100, 20, 180, 150};
  const int32_t h = DrawTextA(&c.dc, text, -1, &r, DT_WORDBREAK | DT_CENTER | DT_VCENTER);
  const int32_t lines = h / font->height;
  EXPECT_EQ(h % font->height, 0);
  EXPECT_GE(lines, 3);

  const Box all = InkBox(c.s(), ColorTo565(kWhite));
  EXPECT_GE(all.left, r.left);
  EXPECT_LT(all.right, r.right);
  // Multi-line text ignores DT_VCENTER and starts at the top.
  EXPECT_LT(all.top, r.top + font->ascent);
  EXPECT_GE(all.top, r.top);
  for (int32_t n = 0; n < lines; ++n) {
    const int32_t y = r.top + n * font->height;
    const Box line = InkBox(c.s(), ColorTo565(kWhite), y, y + font->height);
    ASSERT_FALSE(line.empty()) << "line " << n;
    EXPECT_NEAR(line.left - r.left, r.right - 1 - line.right, 3) << "line " << n;
  }
  EXPECT_TRUE(InkBox(c.s(), ColorTo565(kWhite), r.top + lines * font->height).empty());

  // DT_CALCRECT agrees on the line count and keeps the widest line inside the width it was given.
  RECT calc = r;
  EXPECT_EQ(DrawTextA(&c.dc, text, -1, &calc, DT_WORDBREAK | DT_CENTER | DT_CALCRECT), h);
  EXPECT_LE(calc.right, r.right);
  EXPECT_EQ(calc.bottom, r.top + h);

  // A word wider than the rectangle keeps its own line unbroken, and is clipped to the rectangle.
  Canvas d(300, 100);
  SelectFont(&d.dc, font);
  SetBkMode(&d.dc, TRANSPARENT);
  RECT narrow{120, 10, 160, 90};
  EXPECT_EQ(DrawTextA(&d.dc, "a Supercalifragilistic b", -1, &narrow, DT_WORDBREAK | DT_CENTER),
            3 * font->height);
  const Box clipped = InkBox(d.s(), ColorTo565(kWhite));
  EXPECT_GE(clipped.left, narrow.left);
  EXPECT_LT(clipped.right, narrow.right);
  EXPECT_GT(clipped.right - clipped.left, 30);
  Canvas e(300, 100);
  SelectFont(&e.dc, font);
  DrawTextA(&e.dc, "a Supercalifragilistic b", -1, &narrow, DT_WORDBREAK | DT_CENTER | DT_NOCLIP);
  const Box unclipped = InkBox(e.s(), ColorTo565(kWhite));
  EXPECT_LT(unclipped.left, narrow.left - 10);
  EXPECT_GT(unclipped.right, narrow.right + 10);

  // Explicit breaks, with or without CR, start new lines; each line is aligned on its own.
  RECT breaks{0, 0, 300, 100};
  EXPECT_EQ(DrawTextA(&d.dc, "one\r\ntwo\nthree", -1, &breaks, DT_CALCRECT), 3 * font->height);
  SIZE three{};
  GetTextExtentPoint32A(&d.dc, "three", -1, &three);
  EXPECT_EQ(breaks.right, three.cx);
  DeleteFont(font);
}

TEST(GdiTest, SingleLineNeverWraps) {
  Canvas c(300, 100);
  HFONT font = GameFont();
  SelectFont(&c.dc, font);
  SetBkMode(&c.dc, TRANSPARENT);
  RECT r{10, 10, 60, 90};
  const char* text = "one two three\nfour";
  EXPECT_EQ(DrawTextA(&c.dc, text, -1, &r, DT_SINGLELINE | DT_WORDBREAK | DT_NOCLIP), font->height);
  const Box ink = InkBox(c.s(), ColorTo565(kWhite));
  EXPECT_LT(ink.bottom, r.top + font->height);
  EXPECT_GT(ink.right, r.right + 30);

  // The line break takes no room: the width is that of the visible characters.
  RECT calc = r;
  DrawTextA(&c.dc, text, -1, &calc, DT_SINGLELINE | DT_CALCRECT);
  SIZE visible{};
  GetTextExtentPoint32A(&c.dc, "one two threefour", -1, &visible);
  EXPECT_EQ(calc.right - calc.left, visible.cx);
  EXPECT_EQ(calc.bottom, r.top + font->height);
  DeleteFont(font);
}

TEST(GdiTest, AmpersandPrefix) {
  HFONT font = GameFont();
  auto width = [&](const char* text, uint32_t format) {
    Canvas c(4, 4);
    SelectFont(&c.dc, font);
    RECT r{0, 0, 300, 50};
    DrawTextA(&c.dc, text, -1, &r, format | DT_CALCRECT | DT_SINGLELINE);
    return r.right;
  };
  EXPECT_EQ(width("&File", 0), width("File", DT_NOPREFIX));
  EXPECT_EQ(width("&File", DT_NOPREFIX), width("&File", 0) + width("&&", 0));
  EXPECT_EQ(width("A&&B", 0), width("A&B", DT_NOPREFIX));

  // The prefixed letter gets an underline one row below the baseline, as wide as its advance.
  auto underlineRow = [&](const char* text, uint32_t format) {
    Canvas c(100, 40);
    SelectFont(&c.dc, font);
    SetBkMode(&c.dc, TRANSPARENT);
    RECT r{5, 5, 95, 35};
    DrawTextA(&c.dc, text, -1, &r, format | DT_SINGLELINE);
    const int32_t y = 5 + font->ascent + 1;
    return InkBox(c.s(), ColorTo565(kWhite), y, y + 1);
  };
  const Box under = underlineRow("H&ole", 0);
  ASSERT_FALSE(under.empty());
  EXPECT_EQ(under.left, 5 + FontGlyph(font, 'H').advance);
  EXPECT_EQ(under.right, 5 + FontGlyph(font, 'H').advance + FontGlyph(font, 'o').advance - 1);
  EXPECT_TRUE(underlineRow("H&ole", DT_NOPREFIX).empty());
  EXPECT_TRUE(underlineRow("H&&ole", 0).empty());
  DeleteFont(font);
}

TEST(GdiTest, BackgroundModes) {
  HFONT font = GameFont();
  const COLORREF green = RGB(0, 128, 0), red = RGB(255, 0, 0);
  Canvas c(120, 40, green);
  SelectFont(&c.dc, font);
  SetTextColor(&c.dc, red);
  SetBkMode(&c.dc, TRANSPARENT);
  RECT r{0, 0, 120, 40};
  DrawTextA(&c.dc, "Par 3", -1, &r, DT_SINGLELINE);
  int32_t inked = 0;
  for (uint16_t p : c.s().pixels) {
    EXPECT_TRUE(p == ColorTo565(green) || p == ColorTo565(red));
    inked += p == ColorTo565(red);
  }
  EXPECT_GT(inked, 20);

  // Opaque fills exactly the text's extent with the background colour, under the ink.
  Canvas d(120, 40, green);
  SelectFont(&d.dc, font);
  SetTextColor(&d.dc, red);
  SIZE size{};
  GetTextExtentPoint32A(&d.dc, "Par 3", -1, &size);
  ASSERT_TRUE(TextOutA(&d.dc, 10, 5, "Par 3", -1));
  const Box box = InkBox(d.s(), ColorTo565(green));
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 5);
  EXPECT_EQ(box.right, 10 + size.cx - 1);
  EXPECT_EQ(box.bottom, 5 + size.cy - 1);
  EXPECT_EQ(GetPixel(&d.dc, 10, 5), kWhite);
  DeleteFont(font);
}

TEST(GdiTest, CalcRectMeasuresWithoutDrawing) {
  Canvas c(200, 100);
  HFONT font = GameFont();
  SelectFont(&c.dc, font);
  const uint32_t version = c.s().version;
  RECT r{7, 9, 8, 10};
  const int32_t h = DrawTextA(&c.dc, "ab\ncd\r\nlonger line", -1, &r, DT_CALCRECT | DT_CENTER);
  EXPECT_EQ(h, 3 * font->height);
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.top, 9);
  EXPECT_EQ(r.bottom, 9 + 3 * font->height);
  SIZE longest{};
  GetTextExtentPoint32A(&c.dc, "longer line", -1, &longest);
  EXPECT_EQ(r.right, 7 + longest.cx);
  EXPECT_EQ(c.s().version, version);

  // An explicit length stops short of the terminating zero.
  RECT part{0, 0, 0, 0};
  DrawTextA(&c.dc, "abcdef", 3, &part, DT_CALCRECT | DT_SINGLELINE);
  SIZE abc{};
  GetTextExtentPoint32A(&c.dc, "abc", 3, &abc);
  EXPECT_EQ(part.right, abc.cx);
  DeleteFont(font);
}

TEST(GdiTest, Cp1252GlyphsAndControlCharacters) {
  HFONT font = GameFont();
  Canvas c(60, 30);
  SelectFont(&c.dc, font);
  SetBkMode(&c.dc, TRANSPARENT);
  TextOutA(&c.dc, 2, 2, "\xB1", 1);
  const Box plusMinus = InkBox(c.s(), ColorTo565(kWhite));
  ASSERT_FALSE(plusMinus.empty());
  EXPECT_GE(plusMinus.bottom - plusMinus.top, 5);

  Canvas d(60, 30);
  SelectFont(&d.dc, font);
  SetBkMode(&d.dc, TRANSPARENT);
  TextOutA(&d.dc, 2, 2, "\x01\t\x1F", 3);
  EXPECT_TRUE(InkBox(d.s(), ColorTo565(kWhite)).empty());
  SIZE size{};
  GetTextExtentPoint32A(&d.dc, "\x01\t", 2, &size);
  EXPECT_EQ(size.cx, 0);
  DeleteFont(font);
}

}  // namespace
