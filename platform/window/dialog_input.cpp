// Mouse and keyboard in a dialog: focus, Tab, Enter, Esc, mnemonics, pressing buttons, ticking check
// boxes, typing and selecting in edit boxes, and picking rows of lists.
#include <algorithm>
#include <cctype>

#include "platform/system.h"
#include "platform/window/dialog_internal.h"

namespace {

constexpr HWND kCloseBoxCapture = 0xFFFFFFFF;  // the mouse went down on the caption's close box

bool Inside(const RECT& r, int32_t x, int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

bool IsButton(const Control& c) { return IsPushButton(c) || c.kind == ControlKind::CheckBox; }

Control* Focused(Dialog* d) { return d->focus ? FindControlByHandle(d->focus) : nullptr; }

POINT ClientPoint(const Dialog& d, LPARAM lParam) {
  const RECT client = DialogClientRect(d);
  return POINT{static_cast<int16_t>(LOWORD(lParam)) - client.left, static_cast<int16_t>(HIWORD(lParam)) - client.top};
}

void RestartCaret(Dialog* d) {
  d->caretEpoch = timeGetTime();
  d->dirty = true;
}

void SendCommand(Dialog* d, int32_t id, uint16_t notify, HWND from) {
  d->proc(d->handle, WM_COMMAND, MAKEWPARAM(static_cast<uint32_t>(id), notify), static_cast<LPARAM>(from));
}

void SelectAll(Control* c) {
  if (c->kind != ControlKind::Edit) return;
  EditSetSel(&c->edit, 0, -1);
  EditScrollToCaret(c);
}

void PressEnter(Dialog* d) {
  Control* f = Focused(d);
  if (f && IsPushButton(*f)) {
    ClickControl(d, f);
    return;
  }
  Control* def = FindControl(d, d->defaultId);
  if (def && !def->enabled) return;
  SendCommand(d, def ? def->id : IDOK, BN_CLICKED, def ? def->handle : 0);
}

void PressEscape(Dialog* d) {
  Control* cancel = FindControl(d, IDCANCEL);
  if (cancel && !cancel->enabled) return;
  SendCommand(d, IDCANCEL, BN_CLICKED, cancel ? cancel->handle : 0);
}

// Alt-less mnemonics: outside an edit box, the letter underlined in a button's caption presses it.
bool PressMnemonic(Dialog* d, uint32_t key) {
  for (Control& c : d->controls) {
    if (!IsButton(c) || !c.enabled) continue;
    const size_t amp = c.edit.text.find('&');
    if (amp == std::string::npos || amp + 1 >= c.edit.text.size()) continue;
    if (static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(c.edit.text[amp + 1]))) != key) continue;
    FocusControl(d, &c);
    ClickControl(d, &c);
    return true;
  }
  return false;
}

bool EditKey(Dialog* d, Control* c, uint32_t key) {
  EditState& e = c->edit;
  switch (key) {
    case VK_LEFT:
      EditMoveCaret(&e, e.caret > 0 ? e.caret - 1 : 0, d->shift);
      break;
    case VK_RIGHT:
      EditMoveCaret(&e, e.caret + 1, d->shift);
      break;
    case VK_HOME:
      EditMoveCaret(&e, 0, d->shift);
      break;
    case VK_END:
      EditMoveCaret(&e, e.text.size(), d->shift);
      break;
    case VK_DELETE:
      EditDelete(&e);
      break;
    case VK_BACK:
      EditBackspace(&e);
      break;
    default:
      return false;
  }
  EditScrollToCaret(c);
  RestartCaret(d);
  return true;
}

bool ListKey(Dialog* d, Control* c, uint32_t key) {
  const int32_t last = static_cast<int32_t>(c->items.size()) - 1;
  switch (key) {
    case VK_UP:
      ListSelect(c, c->current - 1);
      break;
    case VK_DOWN:
      ListSelect(c, c->current + 1);
      break;
    case VK_HOME:
      ListSelect(c, 0);
      break;
    case VK_END:
      ListSelect(c, last);
      break;
    default:
      return false;
  }
  d->dirty = true;
  SendCommand(d, c->id, LBN_SELCHANGE, c->handle);
  return true;
}

// The scroll bar at a long list's right: arrows step a row, the track above or below the thumb a page.
bool ListScrollClick(Dialog* d, Control* c, POINT p) {
  const int32_t rows = ListVisibleRows(*c), count = static_cast<int32_t>(c->items.size());
  if (count <= rows || p.x < c->rect.right - kClientEdge - 16) return false;
  const int32_t top = c->rect.top + kClientEdge, bottom = c->rect.bottom - kClientEdge;
  int32_t step = p.y < top + 16 ? -1 : p.y >= bottom - 16 ? 1 : 0;
  if (step == 0) step = (p.y - top) * count / std::max(1, bottom - top) < c->top ? -rows : rows;
  c->top = std::clamp(c->top + step, 0, count - rows);
  d->dirty = true;
  return true;
}

void OnKeyDown(Dialog* d, uint32_t key) {
  Control* f = Focused(d);
  if (key == VK_SHIFT) {
    d->shift = true;
  } else if (key == VK_TAB) {
    MoveFocus(d, d->shift ? -1 : 1);
  } else if (key == VK_RETURN) {
    PressEnter(d);
  } else if (key == VK_ESCAPE) {
    PressEscape(d);
  } else if (key == VK_SPACE && f && IsButton(*f)) {
    f->pressed = true;
    d->dirty = true;
  } else if (f && f->kind == ControlKind::Edit) {
    EditKey(d, f, key);  // letters reach an edit box as characters, never as mnemonics
  } else if (f && f->kind == ControlKind::ListBox && ListKey(d, f, key)) {
    return;
  } else if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    PressMnemonic(d, key);
  }
}

void OnKeyUp(Dialog* d, uint32_t key) {
  if (key == VK_SHIFT) d->shift = false;
  Control* f = Focused(d);
  if (key == VK_SPACE && f && f->pressed) {
    f->pressed = false;
    ClickControl(d, f);
  }
}

void OnChar(Dialog* d, uint8_t ch) {
  Control* f = Focused(d);
  if (!f || f->kind != ControlKind::Edit || ch < 0x20 || ch == 0x7F) return;
  EditType(&f->edit, static_cast<char>(ch));  // refused past the limit: nothing happens
  EditScrollToCaret(f);
  RestartCaret(d);
}

Control* ControlAt(Dialog* d, POINT p) {
  for (Control& c : d->controls) {
    if (TakesFocus(c) && Inside(c.rect, p.x, p.y)) return &c;
  }
  return nullptr;
}

// Double click in an edit box selects the word under the pointer.
void SelectWord(Control* c, size_t at) {
  const std::string& t = c->edit.text;
  size_t s = std::min(at, t.size()), e = s;
  while (s > 0 && t[s - 1] != ' ') --s;
  while (e < t.size() && t[e] != ' ') ++e;
  c->edit.anchor = s;
  c->edit.caret = e;
}

void ListMouseDown(Dialog* d, Control* c, POINT p, bool doubleClick) {
  if (ListScrollClick(d, c, p)) return;
  const int32_t row = c->top + (p.y - c->rect.top - kClientEdge) / ListRowHeight();
  if (row < 0 || row >= static_cast<int32_t>(c->items.size())) return;
  ListSelect(c, row);
  d->dirty = true;
  SendCommand(d, c->id, doubleClick ? LBN_DBLCLK : LBN_SELCHANGE, c->handle);
}

void OnMouseDown(Dialog* d, LPARAM lParam, bool doubleClick) {
  const POINT screen{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
  if (d->hasCaption && Inside(CaptionCloseBox(*d), screen.x, screen.y)) {
    d->capture = kCloseBoxCapture;
    return;
  }
  const POINT p = ClientPoint(*d, lParam);
  Control* c = ControlAt(d, p);
  if (!c) return;
  if (c->handle != d->focus) FocusControl(d, c);
  d->capture = c->handle;
  if (IsButton(*c)) {
    c->pressed = true;
  } else if (c->kind == ControlKind::Edit) {
    const size_t at = EditHitTest(*c, p.x);
    if (doubleClick) {
      SelectWord(c, at);
    } else {
      EditMoveCaret(&c->edit, at, d->shift);
    }
    EditScrollToCaret(c);
    RestartCaret(d);
  } else if (c->kind == ControlKind::ListBox) {
    ListMouseDown(d, c, p, doubleClick);
  }
  d->dirty = true;
}

void OnMouseMove(Dialog* d, LPARAM lParam) {
  if (d->capture == 0 || d->capture == kCloseBoxCapture) return;
  Control* c = FindControlByHandle(d->capture);
  if (!c) return;
  const POINT p = ClientPoint(*d, lParam);
  if (IsButton(*c)) {
    const bool in = Inside(c->rect, p.x, p.y);
    if (in != c->pressed) d->dirty = true;
    c->pressed = in;
  } else if (c->kind == ControlKind::Edit) {
    EditMoveCaret(&c->edit, EditHitTest(*c, p.x), true);
    EditScrollToCaret(c);
    RestartCaret(d);
  }
}

void OnMouseUp(Dialog* d, LPARAM lParam) {
  const HWND captured = d->capture;
  d->capture = 0;
  if (captured == kCloseBoxCapture) {
    const POINT s{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
    if (Inside(CaptionCloseBox(*d), s.x, s.y) && CloseBoxWorks(*d)) PressEscape(d);
    return;
  }
  Control* c = captured ? FindControlByHandle(captured) : nullptr;
  if (!c || !IsButton(*c) || !c->pressed) return;
  c->pressed = false;
  ClickControl(d, c);
}

}  // namespace

bool IsPushButton(const Control& c) {
  return c.kind == ControlKind::PushButton || c.kind == ControlKind::DefPushButton;
}

bool TakesFocus(const Control& c) { return c.enabled && c.kind != ControlKind::Static && c.kind != ControlKind::Icon; }

void MoveFocus(Dialog* d, int32_t step) {
  const int32_t n = static_cast<int32_t>(d->controls.size());
  if (n == 0) return;
  int32_t at = -1;
  for (int32_t i = 0; i < n; ++i) {
    if (d->controls[i].handle == d->focus) at = i;
  }
  if (at < 0) at = step > 0 ? -1 : n;
  for (int32_t k = 1; k <= n; ++k) {
    Control& c = d->controls[static_cast<size_t>(((at + step * k) % n + n) % n)];
    if (TakesFocus(c)) {
      FocusControl(d, &c);
      SelectAll(&c);
      return;
    }
  }
}

void FocusControl(Dialog* d, Control* c) {
  d->focus = c ? c->handle : 0;
  RestartCaret(d);
}

void ClickControl(Dialog* d, Control* c) {
  if (!c->enabled) return;
  if (c->kind == ControlKind::CheckBox) c->check = c->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
  d->dirty = true;
  SendCommand(d, c->id, BN_CLICKED, c->handle);
}

void ListSelect(Control* c, int32_t row) {
  if (c->items.empty()) return;
  c->current = std::clamp(row, 0, static_cast<int32_t>(c->items.size()) - 1);
  const int32_t rows = ListVisibleRows(*c);
  if (c->current < c->top) c->top = c->current;
  if (c->current >= c->top + rows) c->top = c->current - rows + 1;
}

LRESULT DialogWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  Dialog* d = FindDialog(window);
  if (!d || d->ended) return 0;
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(d, lParam);
      return 0;
    case WM_LBUTTONDOWN:
      OnMouseDown(d, lParam, false);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnMouseDown(d, lParam, true);
      return 0;
    case WM_LBUTTONUP:
      OnMouseUp(d, lParam);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(d, static_cast<uint32_t>(wParam));
      return 0;
    case WM_KEYUP:
      OnKeyUp(d, static_cast<uint32_t>(wParam));
      return 0;
    case WM_CHAR:
      OnChar(d, static_cast<uint8_t>(wParam));
      return 0;
    case WM_DESTROY:
    case WM_ACTIVATEAPP:
      return 0;
    default:
      return d->proc(window, message, wParam, lParam);
  }
}
