// What the dialog toolkit's own files share: the records of open dialogs and controls, the edit-box core,
// and the drawing entry points.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw/gdi.h"
#include "platform/draw/surface.h"
#include "platform/window/dialog.h"

// A single-line edit box's text with its selection: anchor is where the selection started, caret where it
// ends; they are equal when nothing is selected.
struct EditState {
  std::string text;
  size_t anchor = 0;
  size_t caret = 0;
  size_t limit = 0x7FFE;  // characters the player may type
  size_t scroll = 0;      // first character shown
};

size_t EditSelStart(const EditState& e);
size_t EditSelEnd(const EditState& e);
// Typing replaces the selection; false (nothing changes) when the result would pass the limit.
bool EditType(EditState* e, char ch);
void EditBackspace(EditState* e);
void EditDelete(EditState* e);
// Moves the caret; extend keeps the anchor (Shift held), else the selection collapses there.
void EditMoveCaret(EditState* e, size_t to, bool extend);
// The EM_SETSEL rule: start -1 removes the selection, end -1 (or past the text) means the end.
void EditSetSel(EditState* e, int32_t start, int32_t end);
void EditSetText(EditState* e, const std::string& text);

struct Control {
  HWND handle = 0;
  int32_t id = 0;
  ControlKind kind = ControlKind::Static;
  uint32_t style = 0;
  RECT rect{};  // client coordinates of its dialog, in pixels
  bool enabled = true;
  uint32_t check = BST_UNCHECKED;
  bool pressed = false;            // held down by the mouse or the space bar and still under it
  EditState edit;                  // the caption of buttons and statics lives in edit.text as well
  std::vector<std::string> items;  // list box
  int32_t current = -1;            // list box selection
  int32_t top = 0;                 // list box's first row shown
};

struct DialogTimer {
  uintptr_t id;
  uint32_t period;
  uint32_t due;
};

struct Dialog {
  HWND handle = 0;
  HWND owner = 0;
  DLGPROC proc = nullptr;
  std::string caption;
  bool hasCaption = false;
  uint32_t style = 0;
  RECT window{};  // screen coordinates
  std::vector<Control> controls;
  HWND focus = 0;
  HWND capture = 0;  // control the mouse went down on
  int32_t defaultId = 0;
  bool ended = false;
  intptr_t result = 0;
  bool shift = false;
  std::vector<DialogTimer> timers;
  // What the screen showed beneath the dialog, put back when it closes or moves.
  SurfacePtr saved;
  RECT savedRect{};
  bool shown = false;
  bool dirty = true;
  uint32_t caretEpoch = 0;  // caret blink restarts at every edit or focus change
  bool caretOn = false;
};

// Frame widths around the client area of a dialog, and the caption bar's height.
constexpr int32_t kDialogFrame = 3;
constexpr int32_t kClientEdge = 2;
constexpr int32_t kCaptionHeight = 18;
constexpr uint32_t kCaretBlinkMs = 530;

int32_t DialogInset(const Dialog& d);    // frame plus client edge on each side
RECT DialogClientRect(const Dialog& d);  // screen coordinates
RECT CaptionCloseBox(const Dialog& d);   // screen coordinates
// A question (Yes and No without Cancel) must be answered: its close box does nothing.
bool CloseBoxWorks(const Dialog& d);

Dialog* FindDialog(HWND dialog);
Control* FindControl(Dialog* d, int32_t id);
Control* FindControlByHandle(HWND control, Dialog** owner = nullptr);

HFONT DialogFont();
HFONT DialogBoldFont();
// Pixel x of each character boundary 0..n of an edit box's text from its first shown character.
int32_t EditTextWidth(const std::string& text, size_t from, size_t to);
RECT EditTextArea(const Control& c);  // client coordinates
size_t EditHitTest(const Control& c, int32_t clientX);
void EditScrollToCaret(Control* c);

// List boxes show rows of the dialog font's height inside their border.
int32_t ListRowHeight();
int32_t ListVisibleRows(const Control& c);

// Focus and pressing, shared by the input handling and the calls on controls.
bool IsPushButton(const Control& c);
bool TakesFocus(const Control& c);
void FocusControl(Dialog* d, Control* c);
// Tab (+1) and Shift+Tab (-1): the next control that can take the focus, wrapping round; edit boxes get
// their whole text selected.
void MoveFocus(Dialog* d, int32_t step);
// A check box toggles; every button tells the dialog procedure it was clicked.
void ClickControl(Dialog* d, Control* c);
void ListSelect(Control* c, int32_t row);
// The window procedure of every dialog: mouse, keys and typed characters.
LRESULT DialogWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);

// Draws the whole dialog onto the visible screen (nothing without one).
void DrawDialog(Dialog* d);
// Whether the dialog's default look belongs to this push button now.
bool IsDefaultLook(const Dialog& d, const Control& c);
