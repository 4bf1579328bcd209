// Drawing through our GDI: rectangles, lines, pixels, fonts and DrawText's layout.
#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/draw/font.h"
#include "platform/draw/gdi.h"
#include "platform/draw/surface.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct Box {
  int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;  // inclusive
  bool empty() const { return left > right; }
};

// A surface filled with one colour; with a font, text is drawn transparently in black.
struct Canvas {
  Canvas(int32_t w, int32_t h, COLORREF color = kWhite, HFONT font = nullptr)
      : surface(CreateSurface(w, h)), background(ColorTo565(color)) {
    EXPECT_TRUE(SurfaceGetDC(surface.get(), &dc));
    std::fill(surface->pixels.begin(), surface->pixels.end(), background);
    if (font) {
      SelectFont(&dc, font);
      SetBkMode(&dc, TRANSPARENT);
    }
  }
  // The bounds of every pixel that is no longer the background, within rows [top, bottom).
  Box Ink(int32_t top = 0, int32_t bottom = INT32_MAX) const {
    Box b;
    for (int32_t y = top; y < std::min(bottom, surface->height); ++y) {
      for (int32_t x = 0; x < surface->width; ++x) {
        if (SurfaceRow(surface.get(), y)[x] == background) continue;
        b = {std::min(b.left, x), std::min(b.top, y), std::max(b.right, x), std::max(b.bottom, y)};
      }
    }
    return b;
  }
  SurfacePtr surface;
  uint16_t background;
  DC dc;
};

HFONT GameFont() {
  LOGFONTA lf;
  lf.lfHeight = -16;
  lf.lfWidth = 6;
  std::strcpy(lf.lfFaceName, "Arial Bold");
  return CreateFontIndirectA(&lf);
}

FT_Face FaceOf(HFONT font) { return static_cast<FT_Face>(font->face); }

TEST(GdiTest, FillRectAndSetPixelStayInBounds) {
  DC dc;
  EXPECT_FALSE(SurfaceGetDC(nullptr, &dc));
  SurfacePtr lost = CreateSurface(4, 4);
  lost->lost = true;
  EXPECT_FALSE(SurfaceGetDC(lost.get(), &dc));

  Canvas c(10, 10, kBlack);
  EXPECT_EQ(c.dc.bkMode, OPAQUE);
  EXPECT_EQ(GetDeviceCaps(&c.dc, LOGPIXELSY), 96);
  const uint64_t version = c.surface->version;
  RECT r{2, 3, 5, 7}, empty{4, 4, 4, 8};
  FillRect(&c.dc, &r, WHITE_BRUSH);
  FillRect(&c.dc, &r, NULL_BRUSH);
  FillRect(&c.dc, &empty, GRAY_BRUSH);
  EXPECT_GT(c.surface->version, version);
  for (int32_t y = 0; y < 10; ++y) {
    for (int32_t x = 0; x < 10; ++x) {
      EXPECT_EQ(GetPixel(&c.dc, x, y), x >= 2 && x < 5 && y >= 3 && y < 7 ? kWhite : kBlack) << x << "," << y;
    }
  }
  RECT past{-5, 8, 20, 30};
  FillRect(&c.dc, &past, WHITE_BRUSH);
  EXPECT_EQ(c.Ink(8).left, 0);
  EXPECT_EQ(c.Ink(8).right, 9);

  // SetPixel answers with the colour the 16-bit surface holds, and ignores points outside.
  EXPECT_EQ(SetPixel(&c.dc, 0, 0, RGB(1, 2, 3)), kBlack);
  EXPECT_EQ(SetPixel(&c.dc, -1, 0, kWhite), 0xFFFFFFFFu);
  EXPECT_EQ(SetPixel(&c.dc, 0, 10, kWhite), 0xFFFFFFFFu);
  EXPECT_TRUE(c.Ink(0, 3).empty());
}

TEST(GdiTest, LineToLeavesOutTheEndPoint) {
  Canvas c(12, 12, kBlack);
  SelectPen(&c.dc, WHITE_PEN);
  auto line = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    MoveToEx(&c.dc, x0, y0, nullptr);
    LineTo(&c.dc, x1, y1);
    EXPECT_EQ(c.dc.position.x, x1);
    EXPECT_EQ(c.dc.position.y, y1);
    std::string lit;
    for (int32_t y = 0; y < 12; ++y) {
      for (int32_t x = 0; x < 12; ++x) {
        if (GetPixel(&c.dc, x, y) == kWhite) lit += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
      }
    }
    std::fill(c.surface->pixels.begin(), c.surface->pixels.end(), c.background);
    return lit;
  };
  EXPECT_EQ(line(0, 5, 4, 5), "(0,5)(1,5)(2,5)(3,5)");
  EXPECT_EQ(line(2, 1, 2, 4), "(2,1)(2,2)(2,3)");
  EXPECT_EQ(line(0, 3, 3, 0), "(2,1)(1,2)(0,3)");
  EXPECT_EQ(line(0, 0, 9, 2), "(0,0)(1,0)(2,0)(3,1)(4,1)(5,1)(6,1)(7,2)(8,2)");
  EXPECT_EQ(line(0, 0, 2, 9), "(0,0)(0,1)(0,2)(1,3)(1,4)(1,5)(1,6)(2,7)(2,8)");
  // Exactly halfway between two pixels, the upper (or left) one is lit whichever way the line runs.
  EXPECT_EQ(line(0, 0, 4, 1), "(0,0)(1,0)(2,0)(3,1)");
  EXPECT_EQ(line(4, 1, 0, 0), "(1,0)(2,0)(3,1)(4,1)");
  EXPECT_EQ(line(0, 0, 1, 4), "(0,0)(0,1)(0,2)(1,3)");
  // Far off the surface is clipped, not wrapped; a null pen only moves.
  EXPECT_EQ(line(-100, -100, 3, 3), "(0,0)(1,1)(2,2)");
  EXPECT_EQ(line(5, 11, 5, 1000), "(5,11)");
  // From the ends of the 32-bit range: the straight line across, never wrapped or overflowed.
  std::string row, column, diagonal;
  for (int32_t i = 0; i < 12; ++i) {
    row += "(" + std::to_string(i) + ",7)";
    column += "(3," + std::to_string(i) + ")";
    diagonal += "(" + std::to_string(i) + "," + std::to_string(i) + ")";
  }
  EXPECT_EQ(line(INT32_MAX, 7, INT32_MIN, 7), row);
  EXPECT_EQ(line(3, INT32_MIN, 3, INT32_MAX), column);
  EXPECT_EQ(line(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), diagonal);
  EXPECT_EQ(line(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN), diagonal);
  SelectPen(&c.dc, NULL_PEN);
  EXPECT_EQ(line(0, 0, 8, 0), "");
}

TEST(FontTest, LogicalFontsMapToLiberationSans) {
  HFONT game = GameFont();
  ASSERT_NE(game, nullptr);
  EXPECT_EQ(FaceOf(game)->size->metrics.y_ppem, 16);
  EXPECT_TRUE(FaceOf(game)->style_flags & FT_STYLE_FLAG_BOLD);
  Canvas c(8, 8, kWhite, game);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32A(&c.dc, "abcdefghijklmnopqrstuvwxyz", -1, &size));
  EXPECT_NEAR(size.cx / 26.0, 6.0, 1.0);
  EXPECT_EQ(size.cy, game->ascent + game->descent);

  // MS Sans Serif 8 pt at 96 dpi; then Arial by weight and by cell height.
  LOGFONTA dialog;
  dialog.lfHeight = -11;
  std::strcpy(dialog.lfFaceName, "MS Sans Serif");
  HFONT dlg = CreateFontIndirectA(&dialog);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(FaceOf(dlg)->size->metrics.y_ppem, 11);
  LOGFONTA arial;
  arial.lfHeight = 19;
  arial.lfWeight = FW_BOLD;
  std::strcpy(arial.lfFaceName, "Arial");
  HFONT bold = CreateFontIndirectA(&arial);
  ASSERT_NE(bold, nullptr);
  EXPECT_TRUE(FaceOf(bold)->style_flags & FT_STYLE_FLAG_BOLD);
  EXPECT_EQ(bold->height, 19);

  // No font selected is the stock ANSI_VAR_FONT, a 13 px cell that DeleteFont leaves alone.
  SelectFont(&c.dc, nullptr);
  ASSERT_TRUE(GetTextExtentPoint32A(&c.dc, "x", 1, &size));
  EXPECT_EQ(size.cy, 13);
  DeleteFont(GetStockAnsiVarFont());
  EXPECT_EQ(GetStockAnsiVarFont()->height, 13);
  DeleteFont(game);
  DeleteFont(dlg);
  DeleteFont(bold);
}

TEST(GdiTest, SingleLineCentresBothWaysAndNeverWraps) {
  HFONT font = GameFont();
  Canvas c(200, 80, kWhite, font);
  RECT r{10, 10, 190, 70};
  const int32_t h = DrawTextA(&c.dc, "Hole 18", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  const Box ink = c.Ink();
  EXPECT_NEAR((ink.left + ink.right + 1) / 2.0, 100.0, 2.0);
  EXPECT_NEAR((ink.top + ink.bottom + 1) / 2.0, 40.0, 2.0);
  EXPECT_EQ(h, 39);  // the line's bottom from the rectangle's top: (60 - 19) / 2 + the font's 19-pixel line

  Canvas d(300, 100, kWhite, font);
  RECT narrow{10, 10, 60, 90};
  EXPECT_EQ(DrawTextA(&d.dc, "one two three\nfour", -1, &narrow, DT_SINGLELINE | DT_WORDBREAK | DT_NOCLIP),
            font->height);
  EXPECT_LT(d.Ink().bottom, narrow.top + font->height);
  EXPECT_GT(d.Ink().right, narrow.right + 30);
  DeleteFont(font);
}

TEST(GdiTest, WordBreakCentresEachLineAndClips) {
  HFONT font = GameFont();
  Canvas c(300, 200, kWhite, font);
  const char* text = "You sank it in one stroke under par on the windmill hole";
  RECT r{100, 20, 180, 150};
  const int32_t h = DrawTextA(&c.dc, text, -1, &r, DT_WORDBREAK | DT_CENTER | DT_VCENTER);
  const int32_t lines = h / font->height;
  EXPECT_GE(lines, 3);
  const Box all = c.Ink();
  EXPECT_GE(all.left, r.left);
  EXPECT_LT(all.right, r.right);
  EXPECT_GE(all.top, r.top);
  EXPECT_LT(all.top, r.top + font->ascent);  // DT_VCENTER means nothing to several lines
  for (int32_t n = 0; n < lines; ++n) {
    const Box line = c.Ink(r.top + n * font->height, r.top + (n + 1) * font->height);
    ASSERT_FALSE(line.empty()) << n;
    EXPECT_NEAR(line.left - r.left, r.right - 1 - line.right, 3) << n;  // trailing spaces do not count
  }
  EXPECT_TRUE(c.Ink(r.top + lines * font->height).empty());

  // A word wider than the rectangle keeps a line to itself, unbroken, and is clipped.
  Canvas d(300, 100, kWhite, font);
  RECT narrow{120, 10, 160, 90};
  EXPECT_EQ(DrawTextA(&d.dc, "a Supercalifragilistic b", -1, &narrow, DT_WORDBREAK | DT_CENTER), 3 * font->height);
  EXPECT_GE(d.Ink().left, narrow.left);
  EXPECT_LT(d.Ink().right, narrow.right);
  EXPECT_GT(d.Ink().right - d.Ink().left, 30);
  RECT first = narrow;
  EXPECT_EQ(DrawTextA(&d.dc, "Supercalifragilistic b", -1, &first, DT_WORDBREAK | DT_CALCRECT), 2 * font->height);
  DeleteFont(font);
}

TEST(GdiTest, AmpersandPrefix) {
  HFONT font = GameFont();
  auto width = [&](const char* text, uint32_t format) {
    Canvas c(4, 4, kWhite, font);
    RECT r{0, 0, 300, 50};
    DrawTextA(&c.dc, text, -1, &r, format | DT_CALCRECT | DT_SINGLELINE);
    return r.right;
  };
  EXPECT_EQ(width("&File", 0), width("File", DT_NOPREFIX));
  EXPECT_EQ(width("&File", DT_NOPREFIX), width("&File", 0) + width("&&", 0));
  EXPECT_EQ(width("A&&B", 0), width("A&B", DT_NOPREFIX));

  // The marked letter is underlined one row below the baseline, across its advance.
  auto underline = [&](const char* text, uint32_t format) {
    Canvas c(100, 40, kWhite, font);
    RECT r{5, 5, 95, 35};
    DrawTextA(&c.dc, text, -1, &r, format | DT_SINGLELINE);
    return c.Ink(5 + font->ascent + 1, 5 + font->ascent + 2);
  };
  const int32_t h = FontGlyph(font, 'H').advance;
  EXPECT_EQ(underline("H&ole", 0).left, 5 + h);
  EXPECT_EQ(underline("H&ole", 0).right, 5 + h + FontGlyph(font, 'o').advance - 1);
  EXPECT_TRUE(underline("H&ole", DT_NOPREFIX).empty());
  EXPECT_TRUE(underline("H&&ole", 0).empty());
  DeleteFont(font);
}

TEST(GdiTest, BackgroundModesAndCharacters) {
  HFONT font = GameFont();
  const COLORREF green = RGB(0, 128, 0), red = RGB(255, 0, 0);
  Canvas c(120, 40, green, font);
  SetTextColor(&c.dc, red);
  RECT r{0, 0, 120, 40};
  DrawTextA(&c.dc, "Par 3", -1, &r, DT_SINGLELINE);
  const auto inked = std::count(c.surface->pixels.begin(), c.surface->pixels.end(), ColorTo565(red));
  EXPECT_GT(inked, 20);
  EXPECT_EQ(inked + std::count(c.surface->pixels.begin(), c.surface->pixels.end(), ColorTo565(green)), 120 * 40);

  // Opaque fills exactly the text's extent, under the ink.
  Canvas d(120, 40, green, font);
  SetBkMode(&d.dc, OPAQUE);
  SIZE size{};
  GetTextExtentPoint32A(&d.dc, "Par 3", -1, &size);
  ASSERT_TRUE(TextOutA(&d.dc, 10, 5, "Par 3", -1));
  EXPECT_EQ(d.Ink().left, 10);
  EXPECT_EQ(d.Ink().top, 5);
  EXPECT_EQ(d.Ink().right, 10 + size.cx - 1);
  EXPECT_EQ(d.Ink().bottom, 5 + size.cy - 1);
  EXPECT_EQ(GetPixel(&d.dc, 10, 5), kWhite);

  // Windows-1252: 0xB1 is a real glyph (plus-minus); control characters draw and take nothing.
  EXPECT_EQ(Cp1252ToUnicode(0x92), 0x2019u);
  Canvas e(60, 30, kWhite, font);
  TextOutA(&e.dc, 2, 2, "\xB1", 1);
  EXPECT_GE(e.Ink().bottom - e.Ink().top, 5);
  Canvas f(60, 30, kWhite, font);
  TextOutA(&f.dc, 2, 2, "\x01\t\x1F", 3);
  EXPECT_TRUE(f.Ink().empty());
  GetTextExtentPoint32A(&f.dc, "\x01\t", 2, &size);
  EXPECT_EQ(size.cx, 0);
  DeleteFont(font);
}

TEST(GdiTest, CalcRectMeasuresWithoutDrawing) {
  HFONT font = GameFont();
  Canvas c(200, 100, kWhite, font);
  const uint64_t version = c.surface->version;
  RECT r{7, 9, 8, 10};
  EXPECT_EQ(DrawTextA(&c.dc, "ab\ncd\r\nlonger line", -1, &r, DT_CALCRECT | DT_CENTER), 3 * font->height);
  EXPECT_EQ(r.bottom, 9 + 3 * font->height);
  SIZE longest{};
  GetTextExtentPoint32A(&c.dc, "longer line", -1, &longest);
  EXPECT_EQ(r.right, 7 + longest.cx);
  EXPECT_EQ(c.surface->version, version);
  EXPECT_TRUE(c.Ink().empty());
  DeleteFont(font);
}

}  // namespace
