// The dialog toolkit: modal dialogs built from templates, their controls, message boxes and the open-file
// dialog, drawn in the game's desktop look straight onto the visible screen, on both backends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win.h"

// A dialog procedure: non-zero when it handled the message. WM_INITDIALOG returns non-zero to let the
// toolkit give the first tab stop the focus.
using DLGPROC = intptr_t (*)(HWND, uint32_t, WPARAM, LPARAM);

constexpr uint32_t WM_INITDIALOG = 0x0110;
constexpr uint32_t WM_COMMAND = 0x0111;

constexpr uint32_t EM_GETSEL = 0x00B0;
constexpr uint32_t EM_SETSEL = 0x00B1;
constexpr uint32_t EM_LIMITTEXT = 0x00C5;
constexpr uint32_t BM_GETCHECK = 0x00F0;
constexpr uint32_t BM_SETCHECK = 0x00F1;
constexpr uint32_t BM_CLICK = 0x00F5;
constexpr uint32_t BST_UNCHECKED = 0;
constexpr uint32_t BST_CHECKED = 1;
constexpr uint32_t LB_ADDSTRING = 0x0180;
constexpr uint32_t LB_RESETCONTENT = 0x0184;
constexpr uint32_t LB_SETCURSEL = 0x0186;
constexpr uint32_t LB_GETCURSEL = 0x0188;
constexpr uint32_t LB_GETTEXT = 0x0189;  // lParam: a buffer large enough for the row and its zero
constexpr uint32_t LB_GETCOUNT = 0x018B;
constexpr LRESULT LB_ERR = -1;
constexpr uint16_t BN_CLICKED = 0;
constexpr uint16_t LBN_SELCHANGE = 1;
constexpr uint16_t LBN_DBLCLK = 2;

constexpr WPARAM MAKEWPARAM(uint32_t lo, uint32_t hi) { return (lo & 0xFFFF) | ((hi & 0xFFFF) << 16); }

// ---- Templates ---------------------------------------------------------------------------------------

// An Icon's id picks the picture: MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION or MB_ICONASTERISK.
enum class ControlKind : uint8_t { PushButton, DefPushButton, CheckBox, Edit, Static, ListBox, Icon };

// Control styles.
constexpr uint32_t kCtlDisabled = 1u << 0;
constexpr uint32_t kCtlTabStop = 1u << 1;
constexpr uint32_t kCtlTextLeft = 1u << 2;    // a push button's caption at its left
constexpr uint32_t kCtlCentre = 1u << 3;      // static text centred on each line
constexpr uint32_t kCtlSunken = 1u << 4;      // a thin sunken edge (static)
constexpr uint32_t kCtlClientEdge = 1u << 5;  // a deep sunken edge
constexpr uint32_t kCtlModalFrame = 1u << 6;  // a raised frame outside everything else
constexpr uint32_t kCtlBorder = 1u << 7;      // an edit box's or list's border (drawn sunken, in 3-D look)
constexpr uint32_t kCtlAutoScroll = 1u << 8;  // an edit box scrolls sideways to follow the caret

// Dialog styles.
constexpr uint32_t kDlgModalFrame = 1u << 0;
constexpr uint32_t kDlgClientEdge = 1u << 1;
constexpr uint32_t kDlgCentre = 1u << 2;

// Positions and sizes in dialog units.
struct ControlTemplate {
  ControlKind kind;
  int32_t id;
  const char* text;
  int16_t x, y, cx, cy;
  uint32_t style;
};

struct DialogTemplate {
  int16_t cx, cy;  // client size in dialog units
  uint32_t style;
  const char* caption;                    // null: no caption bar
  std::vector<ControlTemplate> controls;  // also the Tab order
};

// Dialog units of the dialog font (base units 6 x 13) to pixels.
constexpr int32_t DialogUnitsToPixelsX(int32_t x) { return x * 6 / 4; }
constexpr int32_t DialogUnitsToPixelsY(int32_t y) { return y * 13 / 8; }
RECT MapDialogRect(const ControlTemplate& control);

// ---- Modal dialogs ---------------------------------------------------------------------------------

// Runs the dialog modally over owner until EndDialog; returns its result (0 when the owner went away).
intptr_t DialogBoxIndirectParamA(const DialogTemplate* tmpl, HWND owner, DLGPROC proc, LPARAM param);
bool EndDialog(HWND dialog, intptr_t result);

HWND GetDlgItem(HWND dialog, int32_t id);
int32_t GetDlgCtrlID(HWND control);
HWND GetParent(HWND window);  // a control's dialog, a dialog's owner
bool SetDlgItemTextA(HWND dialog, int32_t id, const char* text);
// Copies at most size - 1 characters and a terminating zero; returns the characters copied.
uint32_t GetDlgItemTextA(HWND dialog, int32_t id, char* buffer, int32_t size);
bool CheckDlgButton(HWND dialog, int32_t id, uint32_t check);
uint32_t IsDlgButtonChecked(HWND dialog, int32_t id);
LRESULT SendDlgItemMessageA(HWND dialog, int32_t id, uint32_t message, WPARAM wParam, LPARAM lParam);
// Returns whether the window was disabled before. Windows that are not controls do not change.
bool EnableWindow(HWND window, bool enable);
bool IsWindowEnabled(HWND window);
// Gives a control of the open dialog the keyboard focus; returns the control that had it.
HWND SetFocus(HWND window);
HWND GetFocus();

// Dialog timers: WM_TIMER with the timer's id reaches the dialog procedure every elapseMs. A timer that
// falls behind fires once, not once per missed period. Setting an existing id restarts it.
uintptr_t SetTimer(HWND dialog, uintptr_t id, uint32_t elapseMs);
bool KillTimer(HWND dialog, uintptr_t id);

// Screen rectangles in 640x480 game coordinates. The game window's client area is the whole screen.
bool GetWindowRect(HWND window, RECT* rect);
bool GetClientRect(HWND window, RECT* rect);
bool ClientToScreen(HWND window, POINT* point);
bool MoveWindow(HWND window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint);

// ---- Ready-made dialogs ----------------------------------------------------------------------------

// The in-window message box (OK, or Yes and No); MessageBoxA uses it while a game window shows a screen.
int32_t DialogMessageBox(HWND owner, const char* text, const char* caption, uint32_t type);

using LPOFNHOOKPROC = uintptr_t (*)(HWND, uint32_t, WPARAM, LPARAM);
constexpr uint32_t OFN_HIDEREADONLY = 0x00000004;
constexpr uint32_t OFN_ENABLEHOOK = 0x00000020;
constexpr uint32_t OFN_EXPLORER = 0x00080000;

struct OPENFILENAMEA {
  uint32_t lStructSize = 76;
  HWND hwndOwner = 0;
  const char* lpstrFilter = nullptr;  // pairs of zero-terminated texts, description then pattern, ending in ""
  uint32_t nFilterIndex = 1;          // 1-based pair in use
  char* lpstrFile = nullptr;          // in: an initial file name; out: the chosen file's full path
  uint32_t nMaxFile = 0;
  const char* lpstrInitialDir = nullptr;
  const char* lpstrTitle = nullptr;
  uint32_t Flags = 0;
  // Called with WM_INITDIALOG and the file dialog itself when it opens (OFN_ENABLEHOOK).
  LPOFNHOOKPROC lpfnHook = nullptr;
};

// Lets the player pick an existing file; false on Cancel, or when the path does not fit the buffer.
bool GetOpenFileNameA(OPENFILENAMEA* ofn);

// ---- For drivers and tests -------------------------------------------------------------------------

// The dialog that takes input now (the newest open one), or 0.
HWND ActiveDialog();
// Closes every dialog at once without drawing (tests and drivers starting afresh).
void ResetDialogsForTest();
// Centre of control id of the active dialog in screen coordinates; false when there is no such control.
bool DialogControlCentre(int32_t id, POINT* point);
