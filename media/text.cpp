// Framed text: a light-grey box with engraved or embossed text and a two-pixel bevel, drawn with our GDI.
#include "media/text.h"

#include <cstring>

#include "shell/display.h"
#include "shell/shell.h"

TextState gText;

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr uint32_t kOneLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

uint32_t TextFormat(uint8_t style) {
  if (style == kTextPlain) return DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX;
  if (style == kTextLeftAligned) return DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX;
  return kOneLine;
}

// Three passes: shadowed up-left, lit down-right, then black in place; the rectangle ends where it started.
void DrawTextPasses(DC* dc, uint8_t style, const char* text, RECT* rect) {
  const COLORREF first = style == kTextSunken ? kWhite : kGrey;
  const COLORREF second = style == kTextSunken ? kGrey : kWhite;
  const struct {
    int32_t shift;
    COLORREF color;
  } passes[] = {{-1, first}, {2, second}, {-1, kBlack}};
  for (const auto& pass : passes) {
    rect->left += pass.shift;
    rect->top += pass.shift;
    rect->right += pass.shift;
    rect->bottom += pass.shift;
    SetTextColor(dc, pass.color);
    RECT area = *rect;
    if (style == kTextLeftAligned) area = RECT{area.left + 8, area.top + 2, area.right - 8, area.bottom - 2};
    DrawTextA(dc, text, -1, &area, TextFormat(style));
  }
}

// White dots on every second row and column; a text starting with "4" puts them on the other columns.
void DrawDotScreen(DC* dc, const char* text, const RECT& r) {
  for (int32_t y = r.top; y < r.bottom; y += 2) {
    int32_t parity = y & 1;
    if (text[0] == '4') parity ^= 1;
    for (int32_t x = r.left + parity; x < r.right; x += 2) SetPixel(dc, x, y, kWhite);
  }
}

void DrawBevelLine(DC* dc, Pen pen, POINT from, POINT corner, POINT to) {
  SelectPen(dc, pen);
  MoveToEx(dc, from.x, from.y, nullptr);
  LineTo(dc, corner.x, corner.y);
  LineTo(dc, to.x, to.y);
}

// Light above and left, dark below and right: raised; the reverse for a sunken box.
void DrawBevel(DC* dc, uint8_t style, Pen grey, const RECT& r) {
  const Pen a = style == kTextSunken ? grey : WHITE_PEN;
  const Pen b = style == kTextSunken ? WHITE_PEN : grey;
  const int32_t l = r.left, t = r.top, rt = r.right, bm = r.bottom;
  DrawBevelLine(dc, a, {l, bm - 1}, {l, t}, {rt - 1, t});
  DrawBevelLine(dc, a, {l + 1, bm - 2}, {l + 1, t + 1}, {rt - 2, t + 1});
  DrawBevelLine(dc, b, {l, bm - 1}, {rt - 1, bm - 1}, {rt - 1, t - 1});
  DrawBevelLine(dc, b, {l + 1, bm - 2}, {rt - 2, bm - 2}, {rt - 2, t});
}

}  // namespace

void SelectGameFont(DC* dc) {
  if (!dc) {
    DeleteFont(gText.gameFont);
    gText.gameFont = nullptr;
    return;
  }
  if (!gText.gameFont) {
    LOGFONTA font;
    font.lfHeight = -((12 * GetDeviceCaps(dc, LOGPIXELSY) + 36) / 72);  // 12 points, rounded like MulDiv
    font.lfWidth = 6;
    std::strcpy(font.lfFaceName, "Arial Bold");
    gText.gameFont = CreateFontIndirectA(&font);
  }
  SelectFont(dc, gText.gameFont);
}

void DrawFramedText(Surface* surface, uint8_t style, const char* text, int32_t left, int32_t top, int32_t right,
                    int32_t bottom) {
  DC dc;
  if (!text || !SurfaceGetDC(surface, &dc)) return;
  RECT rect{left, top, right, bottom};
  if (style != kTextPlain) FillRect(&dc, &rect, LTGRAY_BRUSH);
  SetBkMode(&dc, TRANSPARENT);
  SelectGameFont(&dc);
  SelectBrush(&dc, NULL_BRUSH);
  const Pen grey = CreatePen(PS_SOLID, 1, kGrey);
  DrawTextPasses(&dc, style, text, &rect);
  if (style != kTextPlain) {
    if (style == kTextGreyed) DrawDotScreen(&dc, text, rect);
    DrawBevel(&dc, style, grey, rect);
  }
  SelectPen(&dc, WHITE_PEN);
  SelectFont(&dc, nullptr);  // the stock font, so the game font is not left selected
  SurfaceReleaseDC(surface, &dc);
}

void ShowPanel(uint8_t style, uint32_t hold, const char* text, int32_t left, int32_t top, int32_t right,
               int32_t bottom) {
  DrawFramedText(gDisplay.backBuffer.get(), style, text, left + 2, top + 2, right - 2, bottom - 2);
  if (hold == 0) return;
  PresentFrame();
  FrameWait(0);
  FrameWait(hold * 500);
}

void ResetTextForTest() {
  SelectGameFont(nullptr);
}
