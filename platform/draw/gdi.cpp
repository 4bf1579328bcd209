// The drawing the game does through GDI, done straight into our RGB565 surfaces.
#include "platform/draw/gdi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/draw/font.h"

namespace {

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr int32_t PS_NULL = 5;
constexpr int32_t kDefaultCellHeight = 16;
constexpr int32_t kStockCellHeight = 13;
constexpr int64_t kMaxFontPixels = 1024;  // past any screen; keeps hostile sizes from overflowing

struct Clip {
  int32_t left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
};

Clip SurfaceClip(const Surface* s) { return {0, 0, s->width, s->height}; }

Clip Intersect(const Clip& a, const RECT& r) {
  return {std::max(a.left, r.left), std::max(a.top, r.top), std::min(a.right, r.right), std::min(a.bottom, r.bottom)};
}

bool Drawable(const DC* dc) { return dc && dc->surface && !dc->surface->pixels.empty(); }

void Fill(Surface* s, const Clip& c, uint16_t color) {
  if (c.Empty()) return;
  for (int32_t y = c.top; y < c.bottom; ++y) std::fill(SurfaceRow(s, y) + c.left, SurfaceRow(s, y) + c.right, color);
  MarkWritten(s);
}

// Ceiling of a / b for b > 0, wide enough for lines spanning the whole 32-bit coordinate range.
using Wide = __int128;
int64_t CeilDiv(Wide a, Wide b) { return static_cast<int64_t>(a >= 0 ? (a + b - 1) / b : -(-a / b)); }

// Opens the face at the largest em size whose cell (ascent + descent) still fits in cellHeight, as a
// TrueType font asked for by cell height never comes out taller; the smallest em when none fits.
Font* OpenByCellHeight(const std::string& file, int32_t cellHeight, int32_t width) {
  Font* probe = OpenFont(file, cellHeight, 0);
  if (!probe) return nullptr;
  const int32_t guess = cellHeight * cellHeight / std::max(1, probe->height) + 1;
  CloseFont(probe);
  Font* best = nullptr;
  for (int32_t em = guess + 1; em >= 1; --em) {
    Font* f = OpenFont(file, em, width);
    if (!f) return best;
    CloseFont(best);
    best = f;
    if (f->height <= cellHeight) break;
  }
  return best;
}

HFONT gStockFont = nullptr;

HFONT CurrentFont(const DC* dc) { return dc->font ? dc->font : GetStockAnsiVarFont(); }

// One character to lay out: its byte and whether an '&' prefix asked for it to be underlined.
struct Item {
  uint8_t ch;
  bool underline;
};

struct Line {
  size_t begin, end;  // items [begin, end)
  int32_t width;      // what the line is aligned by
};

int32_t Advance(HFONT font, uint8_t ch) { return FontGlyph(font, ch).advance; }

int32_t Width(HFONT font, const std::vector<Item>& items, size_t begin, size_t end) {
  int32_t w = 0;
  for (size_t i = begin; i < end; ++i) w += Advance(font, items[i].ch);
  return w;
}

std::vector<Item> ToItems(const char* text, int32_t length, bool prefix) {
  std::vector<Item> items;
  items.reserve(static_cast<size_t>(length));
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  for (int32_t i = 0; i < length; ++i) {
    if (prefix && p[i] == '&') {
      if (i + 1 >= length) break;  // a lone '&' at the end shows nothing
      ++i;
      items.push_back({p[i], p[i] != '&'});
    } else {
      items.push_back({p[i], false});
    }
  }
  return items;
}

bool IsBreak(uint8_t ch) { return ch == '\n' || ch == '\r'; }

// Splits one paragraph [begin, end) into lines no wider than maxWidth, breaking after runs of spaces. A
// line broken this way is aligned without its trailing spaces; a word wider than maxWidth keeps a line to
// itself.
void WrapParagraph(HFONT font, const std::vector<Item>& items, size_t begin, size_t end, int32_t maxWidth,
                   std::vector<Line>* lines) {
  size_t lineBegin = begin;
  size_t pos = begin;
  while (true) {
    // The next word and the spaces after it.
    size_t wordEnd = pos;
    while (wordEnd < end && items[wordEnd].ch == ' ') ++wordEnd;  // leading spaces only at a paragraph start
    while (wordEnd < end && items[wordEnd].ch != ' ') ++wordEnd;
    size_t spacesEnd = wordEnd;
    while (spacesEnd < end && items[spacesEnd].ch == ' ') ++spacesEnd;
    if (pos > lineBegin && Width(font, items, lineBegin, wordEnd) > maxWidth) {
      size_t trimmed = pos;
      while (trimmed > lineBegin && items[trimmed - 1].ch == ' ') --trimmed;
      lines->push_back({lineBegin, pos, Width(font, items, lineBegin, trimmed)});
      lineBegin = pos;
    }
    pos = spacesEnd;
    if (pos >= end) break;
  }
  lines->push_back({lineBegin, end, Width(font, items, lineBegin, end)});
}

std::vector<Line> LayOut(HFONT font, const std::vector<Item>& items, uint32_t format, int32_t maxWidth) {
  std::vector<Line> lines;
  if (items.empty()) return lines;
  if (format & DT_SINGLELINE) {
    lines.push_back({0, items.size(), Width(font, items, 0, items.size())});
    return lines;
  }
  size_t begin = 0;
  while (begin < items.size()) {
    size_t end = begin;
    while (end < items.size() && !IsBreak(items[end].ch)) ++end;
    if (format & DT_WORDBREAK) {
      WrapParagraph(font, items, begin, end, maxWidth, &lines);
    } else {
      lines.push_back({begin, end, Width(font, items, begin, end)});
    }
    if (end >= items.size()) break;
    // "\r\n" is one break.
    begin = end + ((items[end].ch == '\r' && end + 1 < items.size() && items[end + 1].ch == '\n') ? 2 : 1);
  }
  return lines;
}

// Draws items [begin, end) with the line's top-left at (x, y): the background box first when opaque, then
// the ink in the text colour, all within clip.
void DrawLine(DC* dc, HFONT font, const std::vector<Item>& items, size_t begin, size_t end, int32_t x, int32_t y,
              int32_t boxWidth, const Clip& clip) {
  Surface* s = dc->surface;
  if (dc->bkMode == OPAQUE) {
    Fill(s, Intersect(clip, RECT{x, y, x + boxWidth, y + font->height}), ColorTo565(dc->bkColor));
  }
  const uint16_t ink = ColorTo565(dc->textColor);
  const int32_t baseline = y + font->ascent;
  bool wrote = false;
  int32_t penX = x;
  for (size_t i = begin; i < end; ++i) {
    const Glyph& g = FontGlyph(font, items[i].ch);
    const int32_t gx = penX + g.left, gy = baseline - g.top;
    const int32_t r0 = std::max(0, clip.top - gy), r1 = std::min(g.height, clip.bottom - gy);
    const int32_t c0 = std::max(0, clip.left - gx), c1 = std::min(g.width, clip.right - gx);
    for (int32_t r = r0; r < r1; ++r) {
      const uint8_t* bits = g.bits.data() + static_cast<size_t>(r) * g.width;
      uint16_t* row = SurfaceRow(s, gy + r) + gx;
      for (int32_t c = c0; c < c1; ++c) {
        if (bits[c]) {
          row[c] = ink;
          wrote = true;
        }
      }
    }
    if (items[i].underline) {
      const int32_t uy = baseline + 1;
      if (uy >= clip.top && uy < clip.bottom) {
        const int32_t u0 = std::max(penX, clip.left), u1 = std::min(penX + g.advance, clip.right);
        for (int32_t ux = u0; ux < u1; ++ux) {
          SurfaceRow(s, uy)[ux] = ink;
          wrote = true;
        }
      }
    }
    penX += g.advance;
  }
  if (wrote) MarkWritten(s);
}

}  // namespace

bool SurfaceGetDC(Surface* surface, DC* dc) {
  if (!surface || surface->lost || !dc) return false;
  *dc = DC{};
  dc->surface = surface;
  return true;
}

void SurfaceReleaseDC(Surface*, DC* dc) {
  // Nothing is held; forgetting the surface makes any late use of the DC draw nothing.
  if (dc) dc->surface = nullptr;
}

int32_t GetDeviceCaps(const DC*, int32_t index) { return index == LOGPIXELSY ? 96 : 0; }

Pen CreatePen(int32_t style, int32_t, COLORREF color) { return Pen{style != PS_NULL, color}; }

Pen SelectPen(DC* dc, Pen pen) { return std::exchange(dc->pen, pen); }

Brush SelectBrush(DC* dc, Brush brush) { return std::exchange(dc->brush, brush); }

HFONT SelectFont(DC* dc, HFONT font) {
  // Hands back the stock font rather than null, so a caller restoring it never mistakes it for a failure.
  const HFONT old = CurrentFont(dc);
  dc->font = font;
  return old;
}

HFONT CreateFontIndirectA(const LOGFONTA* logFont) {
  if (!logFont) return nullptr;
  const std::string face(logFont->lfFaceName, strnlen(logFont->lfFaceName, sizeof logFont->lfFaceName));
  const bool arial = face.find("Arial") != std::string::npos;
  const bool bold = arial && (logFont->lfWeight >= 600 || face.find("Bold") != std::string::npos);
  const std::string file = FontPath(bold);
  const auto clamp = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, kMaxFontPixels)); };
  const int32_t width = clamp(logFont->lfWidth);
  if (logFont->lfHeight < 0) return OpenFont(file, clamp(-int64_t{logFont->lfHeight}), width);
  return OpenByCellHeight(file, logFont->lfHeight > 0 ? clamp(logFont->lfHeight) : kDefaultCellHeight, width);
}

void DeleteFont(HFONT font) {
  if (font && font != gStockFont) CloseFont(font);
}

HFONT GetStockAnsiVarFont() {
  if (!gStockFont) gStockFont = OpenByCellHeight(FontPath(false), kStockCellHeight, 0);
  return gStockFont;
}

COLORREF SetTextColor(DC* dc, COLORREF color) { return std::exchange(dc->textColor, color); }

int32_t SetBkMode(DC* dc, int32_t mode) { return std::exchange(dc->bkMode, mode); }

void FillRect(DC* dc, const RECT* rect, Brush brush) {
  if (!Drawable(dc) || !rect || !brush.visible) return;
  Fill(dc->surface, Intersect(SurfaceClip(dc->surface), *rect), ColorTo565(brush.color));
}

bool MoveToEx(DC* dc, int32_t x, int32_t y, POINT* old) {
  if (!dc) return false;
  if (old) *old = dc->position;
  dc->position = {x, y};
  return true;
}

bool LineTo(DC* dc, int32_t x, int32_t y) {
  if (!dc) return false;
  const POINT from = dc->position;
  dc->position = {x, y};
  if (!Drawable(dc) || !dc->pen.visible) return true;
  Surface* s = dc->surface;
  const uint16_t color = ColorTo565(dc->pen.color);
  const int64_t dx = int64_t(x) - from.x, dy = int64_t(y) - from.y;
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  const int64_t steps = xMajor ? std::abs(dx) : std::abs(dy);
  if (steps == 0) return true;
  // Pixel i lies i steps along the major axis; its minor coordinate is the line's, rounded. A line exactly
  // halfway between two pixels lights the upper (x-major) or left (y-major) one, as GDI's diamond rule does,
  // and the last pixel is left out. Only the steps that land on the surface are visited.
  const int64_t major0 = xMajor ? from.x : from.y, minor0 = xMajor ? from.y : from.x;
  const int64_t majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
  const int64_t minorDelta = xMajor ? dy : dx;
  const int64_t majorLimit = xMajor ? s->width : s->height;
  const int64_t minorLimit = xMajor ? s->height : s->width;
  int64_t first = 0, last = steps - 1;
  if (majorStep > 0) {
    first = std::max(first, -major0);
    last = std::min(last, majorLimit - 1 - major0);
  } else {
    first = std::max(first, major0 - (majorLimit - 1));
    last = std::min(last, major0);
  }
  // Step i's minor offset is ceil((2 * minorDelta * i - steps) / (2 * steps)); it is carried along the line as
  // a quotient q and a remainder r = q * d - numerator in [0, d), so that no step divides.
  const int64_t d = 2 * steps, a = 2 * minorDelta;  // |a| <= d: q moves by at most one a step
  const Wide firstNumerator = Wide{a} * first - steps;
  int64_t q = CeilDiv(firstNumerator, d);
  auto r = static_cast<int64_t>(Wide{q} * d - firstNumerator);
  bool wrote = false;
  for (int64_t i = first; i <= last; ++i) {
    const int64_t major = major0 + majorStep * i;
    const int64_t minor = minor0 + q;
    r -= a;
    if (r < 0) {
      ++q;
      r += d;
    } else if (r >= d) {
      --q;
      r -= d;
    }
    if (minor < 0 || minor >= minorLimit) continue;
    const int64_t px = xMajor ? major : minor, py = xMajor ? minor : major;
    SurfaceRow(s, static_cast<int32_t>(py))[px] = color;
    wrote = true;
  }
  if (wrote) MarkWritten(s);
  return true;
}

COLORREF SetPixel(DC* dc, int32_t x, int32_t y, COLORREF color) {
  if (!Drawable(dc) || x < 0 || y < 0 || x >= dc->surface->width || y >= dc->surface->height) return CLR_INVALID;
  const uint16_t p = ColorTo565(color);
  SurfaceRow(dc->surface, y)[x] = p;
  MarkWritten(dc->surface);
  return Color565ToRgb(p);
}

COLORREF GetPixel(const DC* dc, int32_t x, int32_t y) {
  if (!Drawable(dc) || x < 0 || y < 0 || x >= dc->surface->width || y >= dc->surface->height) return CLR_INVALID;
  return Color565ToRgb(SurfaceRow(dc->surface, y)[x]);
}

// Returns the height of the text block: lines times the line height. A single line placed lower by
// DT_VCENTER or DT_BOTTOM returns its bottom measured from rect->top instead (the line height plus the
// offset), as Windows does.
int32_t DrawTextA(DC* dc, const char* text, int32_t length, RECT* rect, uint32_t format) {
  if (!dc || !text || !rect) return 0;
  HFONT font = CurrentFont(dc);
  if (!font) return 0;
  if (length < 0) length = static_cast<int32_t>(std::strlen(text));
  const std::vector<Item> items = ToItems(text, length, !(format & DT_NOPREFIX));
  const std::vector<Line> lines = LayOut(font, items, format, rect->right - rect->left);
  const int32_t lineHeight = font->height;
  const int32_t blockHeight = static_cast<int32_t>(lines.size()) * lineHeight;

  if (format & DT_CALCRECT) {
    int32_t widest = 0;
    for (const Line& l : lines) widest = std::max(widest, l.width);
    rect->right = rect->left + widest;
    rect->bottom = rect->top + blockHeight;
    return blockHeight;
  }

  int32_t top = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      top += (rect->bottom - rect->top - lineHeight) / 2;
    } else if (format & DT_BOTTOM) {
      top = rect->bottom - lineHeight;
    }
  }
  if (Drawable(dc)) {
    Clip clip = SurfaceClip(dc->surface);
    if (!(format & DT_NOCLIP)) clip = Intersect(clip, *rect);
    for (size_t n = 0; n < lines.size(); ++n) {
      const Line& l = lines[n];
      int32_t x = rect->left;
      if (format & DT_CENTER) {
        x += (rect->right - rect->left - l.width) / 2;
      } else if (format & DT_RIGHT) {
        x = rect->right - l.width;
      }
      const int32_t y = top + static_cast<int32_t>(n) * lineHeight;
      if (!clip.Empty()) DrawLine(dc, font, items, l.begin, l.end, x, y, l.width, clip);
    }
  }
  if (lines.empty()) return 0;
  return (top - rect->top) + blockHeight;
}

bool TextOutA(DC* dc, int32_t x, int32_t y, const char* text, int32_t length) {
  if (!dc || !text) return false;
  HFONT font = CurrentFont(dc);
  if (!font) return false;
  if (length < 0) length = static_cast<int32_t>(std::strlen(text));
  if (!Drawable(dc)) return true;
  const std::vector<Item> items = ToItems(text, length, false);
  DrawLine(dc, font, items, 0, items.size(), x, y, Width(font, items, 0, items.size()), SurfaceClip(dc->surface));
  return true;
}

bool GetTextExtentPoint32A(DC* dc, const char* text, int32_t length, SIZE* size) {
  if (!dc || !text || !size) return false;
  HFONT font = CurrentFont(dc);
  if (!font) return false;
  if (length < 0) length = static_cast<int32_t>(std::strlen(text));
  int32_t w = 0;
  for (int32_t i = 0; i < length; ++i) w += Advance(font, static_cast<uint8_t>(text[i]));
  *size = {w, font->height};
  return true;
}
