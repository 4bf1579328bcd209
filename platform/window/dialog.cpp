// Modal dialogs: building one from its template, the nested message loop with its timers, what the screen
// showed beneath, and the calls a dialog procedure makes on its controls.
#include "platform/window/dialog.h"

#include <algorithm>
#include <cstring>

#include "platform/backend.h"
#include "platform/system.h"
#include "platform/window/dialog_internal.h"

namespace {

constexpr HWND kFirstControlHandle = 0x10000;

struct ToolkitState {
  std::vector<std::unique_ptr<Dialog>> open;  // oldest first; the last one takes input
  HWND nextControl = kFirstControlHandle;
};

ToolkitState gToolkit;

bool IsPast(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }

Dialog* TopDialog() { return gToolkit.open.empty() ? nullptr : gToolkit.open.back().get(); }

// ---- Showing on the screen ----------------------------------------------------------------------------

void SaveBeneath(Dialog* d) {
  Surface* screen = DisplayPrimary();
  if (!screen || d->shown) return;
  const RECT& w = d->window;
  d->savedRect = w;
  d->saved = CreateSurface(w.right - w.left, w.bottom - w.top);
  if (d->saved) SurfaceBltFast(d->saved.get(), 0, 0, screen, &w, DDBLTFAST_NOCOLORKEY);
  d->shown = true;
}

void RestoreBeneath(Dialog* d) {
  Surface* screen = DisplayPrimary();
  if (screen && d->shown && d->saved) {
    SurfaceBltFast(screen, d->savedRect.left, d->savedRect.top, d->saved.get(), nullptr, DDBLTFAST_NOCOLORKEY);
  }
  d->saved.reset();
  d->shown = false;
}

// Only the dialog on top is drawn: it lies over every other one.
void Refresh(Dialog* d) {
  const bool caretOn = ((timeGetTime() - d->caretEpoch) / kCaretBlinkMs) % 2 == 0;
  if (caretOn != d->caretOn) {
    d->caretOn = caretOn;
    const Control* f = d->focus ? FindControlByHandle(d->focus) : nullptr;
    if (f && f->kind == ControlKind::Edit) d->dirty = true;
  }
  if (!d->dirty) return;
  SaveBeneath(d);
  DrawDialog(d);
  d->dirty = false;
}

void FireTimers(Dialog* d) {
  const uint32_t now = timeGetTime();
  std::vector<uintptr_t> due;
  for (DialogTimer& t : d->timers) {
    if (!IsPast(now, t.due)) continue;
    t.due = now + t.period;
    due.push_back(t.id);
  }
  for (uintptr_t id : due) {
    if (d->ended) return;
    const bool stillSet =
        std::any_of(d->timers.begin(), d->timers.end(), [id](const DialogTimer& t) { return t.id == id; });
    if (stillSet) d->proc(d->handle, WM_TIMER, id, 0);
  }
}

// How long the dialog can rest before a timer is due or the caret blinks.
uint32_t MsUntilDue(const Dialog* d) {
  const uint32_t now = timeGetTime();
  uint32_t ms = kCaretBlinkMs;
  for (const DialogTimer& t : d->timers) ms = IsPast(now, t.due) ? 0 : std::min(ms, t.due - now);
  const Control* f = d->focus ? FindControlByHandle(d->focus) : nullptr;
  if (f && f->kind == ControlKind::Edit) ms = std::min(ms, kCaretBlinkMs - (now - d->caretEpoch) % kCaretBlinkMs);
  return ms;
}

bool IsInputMessage(uint32_t message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_KEYDOWN && message <= WM_CHAR);
}

void RunModal(Dialog* d) {
  while (!d->ended) {
    if (d->owner != 0 && !IsWindow(d->owner)) return;  // the owner went away: the dialog goes with it
    Refresh(d);
    MSG m;
    if (PeekMessageA(&m, 0, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int32_t>(m.wParam));  // for the outer loop, which ends the program
        return;
      }
      // The owner is disabled while its dialog is up: input meant for it is dropped, other messages
      // (activation, closing) still reach it.
      if (IsInputMessage(m.message) && m.hwnd != d->handle) continue;
      DispatchMessageA(&m);
      continue;
    }
    FireTimers(d);
    if (d->ended) break;
    // Rest until there is input or the next timer or blink is due, instead of peeking in a spin.
    Refresh(d);
    WaitMessageTimeout(std::max(1u, MsUntilDue(d)));
  }
}

LRESULT ListMessage(Control* c, uint32_t message, WPARAM wParam, LPARAM lParam) {
  const auto count = static_cast<int32_t>(c->items.size());
  const auto index = static_cast<int32_t>(wParam);
  switch (message) {
    case LB_ADDSTRING:
      c->items.emplace_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
      return count;
    case LB_RESETCONTENT:
      c->items.clear();
      c->current = -1;
      c->top = 0;
      return 0;
    case LB_SETCURSEL:
      if (index < 0 || index >= count) {
        c->current = -1;
        return LB_ERR;
      }
      ListSelect(c, index);
      return index;
    case LB_GETCURSEL:
      return c->current;
    case LB_GETCOUNT:
      return count;
    case LB_GETTEXT:
      if (index < 0 || index >= count || lParam == 0) return LB_ERR;
      std::strcpy(reinterpret_cast<char*>(lParam), c->items[static_cast<size_t>(index)].c_str());
      return static_cast<LRESULT>(c->items[static_cast<size_t>(index)].size());
    default:
      return 0;
  }
}

void AddControls(Dialog* d, const DialogTemplate& t) {
  for (const ControlTemplate& ct : t.controls) {
    Control c;
    c.handle = gToolkit.nextControl++;
    c.id = ct.id;
    c.kind = ct.kind;
    c.style = ct.style;
    c.rect = MapDialogRect(ct);
    c.enabled = (ct.style & kCtlDisabled) == 0;
    c.edit.text = ct.text ? ct.text : "";
    if (ct.kind == ControlKind::DefPushButton && d->defaultId == 0) d->defaultId = ct.id;
    d->controls.push_back(std::move(c));
  }
}

// Dialogs that ask to be centred are centred on the screen; the rest start at its top-left corner and are
// placed by their own procedure.
void PlaceDialog(Dialog* d, const DialogTemplate& t) {
  const int32_t inset = 2 * DialogInset(*d);
  const int32_t w = DialogUnitsToPixelsX(t.cx) + inset;
  const int32_t h = DialogUnitsToPixelsY(t.cy) + inset + (d->hasCaption ? kCaptionHeight : 0);
  int32_t x = 0, y = 0;
  if (t.style & kDlgCentre) {
    x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  }
  d->window = RECT{x, y, x + w, y + h};
}

void CloseDialog(Dialog* d) {
  RestoreBeneath(d);
  DestroyWindow(d->handle);
  std::erase_if(gToolkit.open, [d](const std::unique_ptr<Dialog>& p) { return p.get() == d; });
  SetDialogCursor(false);
  if (Dialog* below = TopDialog()) {
    below->dirty = true;  // what it saved is still beneath it; only its face is drawn afresh
    below->capture = 0;
    below->shift = false;
  }
}

}  // namespace

// ---- Lookup shared with the other toolkit files ----------------------------------------------------------

Dialog* FindDialog(HWND dialog) {
  for (auto& d : gToolkit.open) {
    if (d->handle == dialog) return d.get();
  }
  return nullptr;
}

Control* FindControl(Dialog* d, int32_t id) {
  if (!d) return nullptr;
  for (Control& c : d->controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

Control* FindControlByHandle(HWND control, Dialog** owner) {
  if (control < kFirstControlHandle) return nullptr;
  for (auto& d : gToolkit.open) {
    for (Control& c : d->controls) {
      if (c.handle != control) continue;
      if (owner) *owner = d.get();
      return &c;
    }
  }
  return nullptr;
}

int32_t DialogInset(const Dialog& d) {
  return ((d.style & kDlgModalFrame) ? kDialogFrame : 1) + ((d.style & kDlgClientEdge) ? kClientEdge : 0);
}

RECT DialogClientRect(const Dialog& d) {
  const int32_t inset = DialogInset(d);
  return RECT{d.window.left + inset, d.window.top + inset + (d.hasCaption ? kCaptionHeight : 0), d.window.right - inset,
              d.window.bottom - inset};
}

RECT CaptionCloseBox(const Dialog& d) {
  const int32_t frame = (d.style & kDlgModalFrame) ? kDialogFrame : 1;
  const int32_t right = d.window.right - frame - 2;
  const int32_t top = d.window.top + frame + 2;
  return RECT{right - 16, top, right, top + 14};
}

bool CloseBoxWorks(const Dialog& d) {
  bool yes = false, cancel = false;
  for (const Control& c : d.controls) {
    yes = yes || c.id == IDYES;
    cancel = cancel || (c.id == IDCANCEL && c.enabled);
  }
  return cancel || !yes;
}

bool IsDefaultLook(const Dialog& d, const Control& c) {
  if (!IsPushButton(c)) return false;
  const Control* f = d.focus ? FindControlByHandle(d.focus) : nullptr;
  if (f && IsPushButton(*f)) return f == &c;
  return c.id == d.defaultId;
}

RECT MapDialogRect(const ControlTemplate& c) {
  return RECT{DialogUnitsToPixelsX(c.x), DialogUnitsToPixelsY(c.y), DialogUnitsToPixelsX(c.x + c.cx),
              DialogUnitsToPixelsY(c.y + c.cy)};
}

// ---- Modal dialogs ---------------------------------------------------------------------------------------

intptr_t DialogBoxIndirectParamA(const DialogTemplate* tmpl, HWND owner, DLGPROC proc, LPARAM param) {
  if (!tmpl || !proc) return -1;
  auto made = std::make_unique<Dialog>();
  Dialog* d = made.get();
  d->handle = CreateDialogWindow(DialogWindowProc);
  if (d->handle == 0) return -1;
  d->owner = owner;
  d->proc = proc;
  d->style = tmpl->style;
  d->hasCaption = tmpl->caption != nullptr;
  d->caption = tmpl->caption ? tmpl->caption : "";
  PlaceDialog(d, *tmpl);
  AddControls(d, *tmpl);
  gToolkit.open.push_back(std::move(made));
  SetDialogCursor(true);
  d->caretEpoch = timeGetTime();
  // The headless driver may stop the program from inside the loop; the dialog still goes away properly.
  struct Closer {
    Dialog* d;
    ~Closer() { CloseDialog(d); }
  } closer{d};
  if (proc(d->handle, WM_INITDIALOG, 0, param) != 0 && d->focus == 0) MoveFocus(d, 1);
  RunModal(d);
  return d->ended ? d->result : 0;
}

void ResetDialogsForTest() { gToolkit = ToolkitState{}; }

bool EndDialog(HWND dialog, intptr_t result) {
  Dialog* d = FindDialog(dialog);
  if (!d) return false;
  d->ended = true;
  d->result = result;
  d->timers.clear();
  return true;
}

HWND ActiveDialog() {
  const Dialog* d = TopDialog();
  return d ? d->handle : 0;
}

bool DialogControlCentre(int32_t id, POINT* point) {
  Dialog* d = TopDialog();
  const Control* c = FindControl(d, id);
  if (!c || !point) return false;
  const RECT client = DialogClientRect(*d);
  *point = POINT{client.left + (c->rect.left + c->rect.right) / 2, client.top + (c->rect.top + c->rect.bottom) / 2};
  return true;
}

// ---- Controls ------------------------------------------------------------------------------------------

HWND GetDlgItem(HWND dialog, int32_t id) {
  const Control* c = FindControl(FindDialog(dialog), id);
  return c ? c->handle : 0;
}

int32_t GetDlgCtrlID(HWND control) {
  const Control* c = FindControlByHandle(control);
  return c ? c->id : 0;
}

HWND GetParent(HWND window) {
  Dialog* owner = nullptr;
  if (FindControlByHandle(window, &owner)) return owner->handle;
  const Dialog* d = FindDialog(window);
  return d ? d->owner : 0;
}

bool SetDlgItemTextA(HWND dialog, int32_t id, const char* text) {
  Dialog* d = FindDialog(dialog);
  Control* c = FindControl(d, id);
  if (!c) return false;
  EditSetText(&c->edit, text ? text : "");
  d->dirty = true;
  return true;
}

uint32_t GetDlgItemTextA(HWND dialog, int32_t id, char* buffer, int32_t size) {
  const Control* c = FindControl(FindDialog(dialog), id);
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!c) return 0;
  const size_t n = std::min(c->edit.text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, c->edit.text.data(), n);
  buffer[n] = '\0';
  return static_cast<uint32_t>(n);
}

bool CheckDlgButton(HWND dialog, int32_t id, uint32_t check) {
  Dialog* d = FindDialog(dialog);
  Control* c = FindControl(d, id);
  if (!c) return false;
  c->check = check;
  d->dirty = true;
  return true;
}

uint32_t IsDlgButtonChecked(HWND dialog, int32_t id) {
  const Control* c = FindControl(FindDialog(dialog), id);
  return c ? c->check : BST_UNCHECKED;
}

LRESULT SendDlgItemMessageA(HWND dialog, int32_t id, uint32_t message, WPARAM wParam, LPARAM lParam) {
  Dialog* d = FindDialog(dialog);
  Control* c = FindControl(d, id);
  if (!c) return 0;
  d->dirty = true;
  switch (message) {
    case EM_LIMITTEXT:
      c->edit.limit = wParam == 0 ? 0x7FFE : static_cast<size_t>(wParam);
      return 0;
    case EM_SETSEL:
      EditSetSel(&c->edit, static_cast<int32_t>(static_cast<intptr_t>(wParam)), static_cast<int32_t>(lParam));
      EditScrollToCaret(c);
      return 0;
    case EM_GETSEL:
      return static_cast<LRESULT>(
          MAKELPARAM(static_cast<int32_t>(EditSelStart(c->edit)), static_cast<int32_t>(EditSelEnd(c->edit))));
    case BM_GETCHECK:
      return c->check;
    case BM_SETCHECK:
      c->check = static_cast<uint32_t>(wParam);
      return 0;
    case BM_CLICK:
      ClickControl(d, c);
      return 0;
    default:
      return ListMessage(c, message, wParam, lParam);
  }
}

bool EnableWindow(HWND window, bool enable) {
  Dialog* d = nullptr;
  Control* c = FindControlByHandle(window, &d);
  if (!c) return false;
  const bool wasDisabled = !c->enabled;
  c->enabled = enable;
  c->pressed = false;
  d->dirty = true;
  // A disabled control cannot keep the keyboard.
  if (!enable && d->focus == window) MoveFocus(d, 1);
  return wasDisabled;
}

bool IsWindowEnabled(HWND window) {
  const Control* c = FindControlByHandle(window);
  return c ? c->enabled : IsWindow(window);
}

HWND SetFocus(HWND window) {
  Dialog* d = nullptr;
  Control* c = FindControlByHandle(window, &d);
  if (!c || !TakesFocus(*c)) return 0;
  const HWND previous = d->focus;
  FocusControl(d, c);
  return previous;
}

HWND GetFocus() {
  const Dialog* d = TopDialog();
  return d ? d->focus : 0;
}

uintptr_t SetTimer(HWND dialog, uintptr_t id, uint32_t elapseMs) {
  Dialog* d = FindDialog(dialog);
  if (!d) return 0;
  const uint32_t period = std::max<uint32_t>(elapseMs, 10);
  KillTimer(dialog, id);
  d->timers.push_back({id, period, timeGetTime() + period});
  return id == 0 ? 1 : id;
}

bool KillTimer(HWND dialog, uintptr_t id) {
  Dialog* d = FindDialog(dialog);
  if (!d) return false;
  return std::erase_if(d->timers, [id](const DialogTimer& t) { return t.id == id; }) > 0;
}

bool GetWindowRect(HWND window, RECT* rect) {
  if (!rect) return false;
  if (const Dialog* d = FindDialog(window)) {
    *rect = d->window;
    return true;
  }
  if (!IsWindow(window)) return false;
  *rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return true;
}

bool GetClientRect(HWND window, RECT* rect) {
  if (!rect) return false;
  if (const Dialog* d = FindDialog(window)) {
    const RECT c = DialogClientRect(*d);
    *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    return true;
  }
  return GetWindowRect(window, rect);
}

bool ClientToScreen(HWND window, POINT* point) {
  if (!point) return false;
  if (const Dialog* d = FindDialog(window)) {
    const RECT c = DialogClientRect(*d);
    point->x += c.left;
    point->y += c.top;
    return true;
  }
  return IsWindow(window);
}

bool MoveWindow(HWND window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint) {
  (void)repaint;  // the next pass of the dialog's loop draws it
  Dialog* d = FindDialog(window);
  if (!d) return false;
  RestoreBeneath(d);
  d->window = RECT{x, y, x + width, y + height};
  d->dirty = true;
  return true;
}
