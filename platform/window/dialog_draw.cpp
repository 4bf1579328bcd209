// Drawing dialogs in the desktop look the game was made for: light grey faces, two-pixel bevels, a navy
// caption bar, white edit boxes with a navy selection, and the dialog font.
#include <algorithm>
#include <cstring>

#include "platform/draw/font.h"
#include "platform/system.h"
#include "platform/window/dialog_internal.h"

namespace {

constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kLight = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kDark = RGB(0, 0, 0);
constexpr COLORREF kWindow = RGB(255, 255, 255);
constexpr COLORREF kHighlight = RGB(0, 0, 128);
constexpr COLORREF kCaption = RGB(0, 0, 128);
constexpr int32_t kCheckSize = 13;

// The classic check mark, 7 by 7.
constexpr const char* kCheckMark[7] = {"......X", ".....XX", "X...XXX", "XX.XXX.", "XXXXX..", ".XXX...", "..X...."};

void Fill(DC* dc, RECT r, COLORREF color) { FillRect(dc, &r, Brush{true, color}); }

RECT Offset(RECT r, int32_t dx, int32_t dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }
RECT Inset(RECT r, int32_t by) { return RECT{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

// One ring of a bevel: topLeft on the top and left lines, bottomRight on the bottom and right ones.
void Ring(DC* dc, RECT r, COLORREF topLeft, COLORREF bottomRight) {
  if (r.right - r.left < 1 || r.bottom - r.top < 1) return;
  Fill(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

RECT RaisedEdge(DC* dc, RECT r) {
  Ring(dc, r, kFace, kDark);
  Ring(dc, Inset(r, 1), kLight, kShadow);
  return Inset(r, 2);
}

RECT SunkenEdge(DC* dc, RECT r) {
  Ring(dc, r, kShadow, kLight);
  Ring(dc, Inset(r, 1), kDark, kFace);
  return Inset(r, 2);
}

// The dotted rectangle that marks the keyboard focus.
void FocusRect(DC* dc, RECT r) {
  for (int32_t x = r.left; x < r.right; x += 2) {
    SetPixel(dc, x, r.top, kDark);
    SetPixel(dc, x, r.bottom - 1, kDark);
  }
  for (int32_t y = r.top; y < r.bottom; y += 2) {
    SetPixel(dc, r.left, y, kDark);
    SetPixel(dc, r.right - 1, y, kDark);
  }
}

void Text(DC* dc, const std::string& text, RECT r, uint32_t format, COLORREF color) {
  SetTextColor(dc, color);
  DrawTextA(dc, text.c_str(), static_cast<int32_t>(text.size()), &r, format);
}

// Disabled captions are engraved: white one pixel down and right, grey on top.
void CaptionText(DC* dc, const std::string& text, RECT r, uint32_t format, bool enabled) {
  if (enabled) {
    Text(dc, text, r, format, kDark);
    return;
  }
  Text(dc, text, Offset(r, 1, 1), format, kLight);
  Text(dc, text, r, format, kShadow);
}

RECT ToScreen(const RECT& client, const RECT& r) { return Offset(r, client.left, client.top); }

void DrawPushButton(DC* dc, const Dialog& d, const Control& c, RECT r) {
  const bool heavy = IsDefaultLook(d, c);
  Fill(dc, r, kFace);
  RECT inner = r;
  if (heavy || c.pressed) {
    Ring(dc, r, kDark, kDark);
    inner = Inset(r, 1);
  }
  if (c.pressed) {
    Ring(dc, inner, kShadow, kShadow);
  } else {
    Ring(dc, inner, kLight, kDark);
    Ring(dc, Inset(inner, 1), kFace, kShadow);
  }
  RECT textArea = Inset(inner, 2);
  if (c.pressed) textArea = Offset(textArea, 1, 1);
  uint32_t format = DT_VCENTER | DT_SINGLELINE;
  if (c.style & kCtlTextLeft) {
    textArea.left += 2;
  } else {
    format |= DT_CENTER;
  }
  CaptionText(dc, c.edit.text, textArea, format, c.enabled);
  if (d.focus == c.handle && c.enabled) FocusRect(dc, Inset(inner, 3));
}

void DrawCheckMark(DC* dc, int32_t x, int32_t y, COLORREF color) {
  for (int32_t row = 0; row < 7; ++row) {
    for (int32_t col = 0; col < 7; ++col) {
      if (kCheckMark[row][col] == 'X') SetPixel(dc, x + col, y + row, color);
    }
  }
}

void DrawCheckBox(DC* dc, const Dialog& d, const Control& c, RECT r) {
  Fill(dc, r, kFace);
  const int32_t top = r.top + (r.bottom - r.top - kCheckSize) / 2;
  const RECT box{r.left, top, r.left + kCheckSize, top + kCheckSize};
  const RECT inside = SunkenEdge(dc, box);
  Fill(dc, inside, c.enabled && !c.pressed ? kWindow : kFace);
  if (c.check == BST_CHECKED) DrawCheckMark(dc, inside.left + 1, inside.top + 1, c.enabled ? kDark : kShadow);
  if (c.edit.text.empty()) {
    // Without a caption to frame, the focus is marked round the box itself.
    if (d.focus == c.handle) FocusRect(dc, Inset(box, -2));
    return;
  }
  RECT label{box.right + 4, r.top, r.right, r.bottom};
  CaptionText(dc, c.edit.text, label, DT_VCENTER | DT_SINGLELINE, c.enabled);
  if (d.focus == c.handle) FocusRect(dc, Inset(RECT{label.left - 1, r.top, r.right, r.bottom}, 0));
}

RECT DrawControlEdges(DC* dc, const Control& c, RECT r) {
  if (c.style & kCtlModalFrame) {
    r = RaisedEdge(dc, r);
    Ring(dc, r, kFace, kFace);
    r = Inset(r, 1);
  }
  if (c.style & (kCtlClientEdge | kCtlBorder)) r = SunkenEdge(dc, r);
  if (c.style & kCtlSunken) {
    Ring(dc, r, kShadow, kLight);
    r = Inset(r, 1);
  }
  return r;
}

void DrawEdit(DC* dc, const Dialog& d, const Control& c, RECT r, const RECT& client) {
  const RECT inside = DrawControlEdges(dc, c, r);
  Fill(dc, inside, c.enabled ? kWindow : kFace);
  const RECT area = ToScreen(client, EditTextArea(c));
  HFONT font = DialogFont();
  const int32_t lineHeight = font ? font->height : 13;
  const int32_t y = area.top + (area.bottom - area.top - lineHeight) / 2;
  const EditState& e = c.edit;
  const bool focused = d.focus == c.handle;
  const size_t selStart = focused ? EditSelStart(e) : 0, selEnd = focused ? EditSelEnd(e) : 0;
  const RECT clip{area.left, inside.top, area.right, inside.bottom};
  int32_t x = area.left;
  for (size_t i = e.scroll; i < e.text.size() && x < area.right; ++i) {
    const int32_t w = EditTextWidth(e.text, i, i + 1);
    const bool selected = i >= selStart && i < selEnd;
    RECT cell{x, y, std::min(x + w, clip.right), y + lineHeight};
    if (selected) Fill(dc, cell, kHighlight);
    RECT glyph{x, y, clip.right, y + lineHeight};
    Text(dc, std::string(1, e.text[i]), glyph, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX,
         !c.enabled ? kShadow
         : selected ? kLight
                    : kDark);
    x += w;
  }
  if (focused && d.caretOn && e.caret >= e.scroll) {
    const int32_t cx = area.left + EditTextWidth(e.text, e.scroll, e.caret);
    if (cx < area.right) Fill(dc, RECT{cx, y, cx + 1, y + lineHeight}, kDark);
  }
}

void DrawStatic(DC* dc, const Control& c, RECT r) {
  const RECT inside = DrawControlEdges(dc, c, r);
  Fill(dc, inside, kFace);
  const uint32_t format = DT_WORDBREAK | DT_NOPREFIX | ((c.style & kCtlCentre) ? DT_CENTER : DT_LEFT);
  CaptionText(dc, c.edit.text, inside, format, c.enabled);
}

void DrawArrow(DC* dc, RECT r, bool up) {
  const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int32_t row = 0; row < 4; ++row) {
    const int32_t y = up ? cy - 2 + row : cy + 1 - row;
    Fill(dc, RECT{cx - row, y, cx + row + 1, y + 1}, kDark);
  }
}

void DrawScrollBar(DC* dc, const Control& c, RECT bar) {
  const int32_t rows = ListVisibleRows(c), count = static_cast<int32_t>(c.items.size());
  Fill(dc, bar, RGB(224, 224, 224));
  const RECT up{bar.left, bar.top, bar.right, bar.top + 16}, down{bar.left, bar.bottom - 16, bar.right, bar.bottom};
  for (const RECT& b : {up, down}) {
    Fill(dc, b, kFace);
    Ring(dc, b, kFace, kDark);
    Ring(dc, Inset(b, 1), kLight, kShadow);
  }
  DrawArrow(dc, up, true);
  DrawArrow(dc, down, false);
  const int32_t track = bar.bottom - bar.top - 32;
  if (count <= rows || track <= 8) return;
  const int32_t thumb = std::max(8, track * rows / count);
  const int32_t at = bar.top + 16 + (track - thumb) * c.top / std::max(1, count - rows);
  const RECT t{bar.left, at, bar.right, at + thumb};
  Fill(dc, t, kFace);
  Ring(dc, t, kFace, kDark);
  Ring(dc, Inset(t, 1), kLight, kShadow);
}

void DrawList(DC* dc, const Dialog& d, const Control& c, RECT r) {
  RECT inside = DrawControlEdges(dc, c, r);
  Fill(dc, inside, kWindow);
  const int32_t rows = ListVisibleRows(c), count = static_cast<int32_t>(c.items.size());
  if (count > rows) {
    DrawScrollBar(dc, c, RECT{inside.right - 16, inside.top, inside.right, inside.bottom});
    inside.right -= 16;
  }
  const int32_t h = ListRowHeight();
  for (int32_t i = 0; i < rows && c.top + i < count; ++i) {
    const int32_t item = c.top + i;
    const RECT row{inside.left, inside.top + i * h, inside.right, inside.top + (i + 1) * h};
    const bool selected = item == c.current;
    if (selected) Fill(dc, row, kHighlight);
    Text(dc, c.items[static_cast<size_t>(item)], RECT{row.left + 2, row.top, row.right, row.bottom},
         DT_LEFT | DT_SINGLELINE | DT_NOPREFIX, selected ? kLight : kDark);
    if (selected && d.focus == c.handle) FocusRect(dc, row);
  }
}

HFONT BoldArial(int32_t height) {
  LOGFONTA lf;
  lf.lfHeight = -height;
  lf.lfWeight = FW_BOLD;
  std::strcpy(lf.lfFaceName, "Arial");
  return CreateFontIndirectA(&lf);
}

HFONT IconFont() {
  static HFONT font = BoldArial(24);
  return font;
}

// A disc of the given radius centred in the 32 by 32 cell, outlined in black.
void Disc(DC* dc, int32_t x0, int32_t y0, COLORREF color) {
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 32; ++x) {
      const int32_t dx = 2 * x - 31, dy = 2 * y - 31, d2 = dx * dx + dy * dy;
      if (d2 <= 30 * 30) SetPixel(dc, x0 + x, y0 + y, d2 >= 27 * 27 ? kDark : color);
    }
  }
}

void Triangle(DC* dc, int32_t x0, int32_t y0, COLORREF color) {
  for (int32_t y = 1; y < 31; ++y) {
    const int32_t half = y / 2;
    for (int32_t x = 16 - half; x <= 15 + half; ++x) {
      const bool edge = x <= 16 - half || x >= 15 + half || y == 30;
      SetPixel(dc, x0 + x, y0 + y, edge ? kDark : color);
    }
  }
}

// The message-box pictures: stop, question, warning and information.
void DrawIcon(DC* dc, const Control& c, RECT r) {
  Fill(dc, r, kFace);
  const auto type = static_cast<uint32_t>(c.id);
  const char* mark = type == MB_ICONHAND ? "X" : type == MB_ICONQUESTION ? "?" : type == MB_ICONEXCLAMATION ? "!" : "i";
  COLORREF ink = RGB(0, 0, 255);
  if (type == MB_ICONHAND) {
    Disc(dc, r.left, r.top, RGB(255, 0, 0));
    ink = kLight;
  } else if (type == MB_ICONEXCLAMATION) {
    Triangle(dc, r.left, r.top, RGB(255, 255, 0));
    ink = kDark;
  } else {
    Disc(dc, r.left, r.top, kWindow);
  }
  SelectFont(dc, IconFont());
  Text(dc, mark, RECT{r.left, r.top + (type == MB_ICONEXCLAMATION ? 6 : 2), r.left + 32, r.top + 32},
       DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, ink);
  SelectFont(dc, DialogFont());
}

void DrawControl(DC* dc, const Dialog& d, const Control& c, const RECT& client) {
  const RECT r = ToScreen(client, c.rect);
  switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
      DrawPushButton(dc, d, c, r);
      break;
    case ControlKind::CheckBox:
      DrawCheckBox(dc, d, c, r);
      break;
    case ControlKind::Edit:
      DrawEdit(dc, d, c, r, client);
      break;
    case ControlKind::Static:
      DrawStatic(dc, c, r);
      break;
    case ControlKind::ListBox:
      DrawList(dc, d, c, r);
      break;
    case ControlKind::Icon:
      DrawIcon(dc, c, r);
      break;
  }
}

void DrawCloseBox(DC* dc, RECT b, bool enabled) {
  Fill(dc, b, kFace);
  Ring(dc, b, kLight, kDark);
  Ring(dc, Inset(b, 1), kFace, kShadow);
  // An X of two-pixel strokes, 8 by 7, engraved when the box does nothing.
  const int32_t x0 = b.left + 4, y0 = b.top + 3;
  auto cross = [&](int32_t dx, int32_t dy, COLORREF color) {
    for (int32_t i = 0; i < 7; ++i) {
      Fill(dc, RECT{x0 + dx + i, y0 + dy + i, x0 + dx + i + 2, y0 + dy + i + 1}, color);
      Fill(dc, RECT{x0 + dx + 6 - i, y0 + dy + i, x0 + dx + 8 - i, y0 + dy + i + 1}, color);
    }
  };
  if (!enabled) cross(1, 1, kLight);
  cross(0, 0, enabled ? kDark : kShadow);
}

void DrawCaption(DC* dc, const Dialog& d) {
  const int32_t frame = (d.style & kDlgModalFrame) ? kDialogFrame : 1;
  const RECT bar{d.window.left + frame, d.window.top + frame, d.window.right - frame,
                 d.window.top + frame + kCaptionHeight - 1};
  Fill(dc, bar, kCaption);
  SelectFont(dc, DialogBoldFont());
  Text(dc, d.caption, RECT{bar.left + 3, bar.top, bar.right - 20, bar.bottom}, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
       kLight);
  SelectFont(dc, DialogFont());
  DrawCloseBox(dc, CaptionCloseBox(d), CloseBoxWorks(d));
}

}  // namespace

HFONT DialogFont() {
  static HFONT font = [] {
    LOGFONTA lf;
    lf.lfHeight = -11;
    std::strcpy(lf.lfFaceName, "MS Sans Serif");
    return CreateFontIndirectA(&lf);
  }();
  return font;
}

HFONT DialogBoldFont() {
  static HFONT font = BoldArial(11);
  return font;
}

void DrawDialog(Dialog* d) {
  Surface* screen = DisplayPrimary();
  DC dc;
  if (!screen || !SurfaceGetDC(screen, &dc)) return;
  SetBkMode(&dc, TRANSPARENT);
  SelectFont(&dc, DialogFont());
  RECT r = d->window;
  if (d->style & kDlgModalFrame) {
    r = RaisedEdge(&dc, r);
    Ring(&dc, r, kFace, kFace);
    r = Inset(r, 1);
  } else {
    Ring(&dc, r, kDark, kDark);
    r = Inset(r, 1);
  }
  Fill(&dc, r, kFace);
  if (d->hasCaption) DrawCaption(&dc, *d);
  const RECT client = DialogClientRect(*d);
  if (d->style & kDlgClientEdge) SunkenEdge(&dc, Inset(client, -kClientEdge));
  for (const Control& c : d->controls) DrawControl(&dc, *d, c, client);
  SurfaceReleaseDC(screen, &dc);
}
