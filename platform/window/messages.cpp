// The message queue shared by both backends: window classes and windows, posted and sent messages, the
// double-click rule, activation, and the cursor with its display counter.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/system.h"
#include "platform/window/dialog.h"

namespace {

constexpr uint32_t kDoubleClickMs = 500;
constexpr int32_t kDoubleClickSlop = 2;  // half of SM_CXDOUBLECLK on either side

struct WindowClass {
  std::string name;
  WNDPROC proc;
  bool dblclks;
};

struct Window {
  WNDPROC proc;
  bool dblclks;
  bool alive;
};

struct Press {
  bool any = false;
  bool right = false;
  uint32_t time = 0;
  POINT at{0, 0};
};

struct MessageState {
  std::vector<WindowClass> classes;
  std::vector<Window> windows;  // HWND n is windows[n - 1]
  std::deque<MSG> posted;
  std::deque<MSG> sent;  // sent from outside the game's thread: delivered inside any peek or get
  bool quitPosted = false;
  int32_t quitCode = 0;
  POINT cursor{320, 240};
  int32_t cursorCount = 0;
  bool active = false;
  WPARAM buttons = 0;
  Press lastPress;  // the press that could start a double click
  int32_t dialogsUp = 0;
  HWND keyDownWindow[256] = {};  // where each key's press went, so that its release follows it
};

MessageState gMessages;

Window* FindWindowRecord(HWND window) {
  if (window == 0 || window > gMessages.windows.size()) return nullptr;
  Window* w = &gMessages.windows[window - 1];
  return w->alive ? w : nullptr;
}

// Input goes to the newest window still open (a modal dialog over the game window).
HWND InputWindow() {
  for (size_t i = gMessages.windows.size(); i > 0; --i) {
    if (gMessages.windows[i - 1].alive) return static_cast<HWND>(i);
  }
  return 0;
}

MSG MakeMessage(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  return MSG{window, message, wParam, lParam, timeGetTime(), gMessages.cursor};
}

bool InRange(uint32_t message, uint32_t filterMin, uint32_t filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

bool Matches(const MSG& m, HWND window, uint32_t filterMin, uint32_t filterMax) {
  return (window == 0 || m.hwnd == window) && InRange(m.message, filterMin, filterMax);
}

void DeliverSentMessages() {
  while (!gMessages.sent.empty()) {
    const MSG m = gMessages.sent.front();
    gMessages.sent.pop_front();
    SendMessageA(m.hwnd, m.message, m.wParam, m.lParam);
  }
}

void PostInput(uint32_t message, WPARAM wParam, LPARAM lParam) {
  const HWND window = InputWindow();
  if (window == 0) return;
  gMessages.posted.push_back(MakeMessage(window, message, wParam, lParam));
}

// A second press of the same button, soon and close to the first, is a double click when the class asks.
bool IsDoubleClick(bool right, int32_t x, int32_t y, uint32_t now) {
  const Press& p = gMessages.lastPress;
  return p.any && p.right == right && now - p.time <= kDoubleClickMs && std::abs(x - p.at.x) <= kDoubleClickSlop &&
         std::abs(y - p.at.y) <= kDoubleClickSlop;
}

void ShowCursorNow() { BackendShowCursor(gMessages.cursorCount >= 0 || gMessages.dialogsUp > 0); }

// The first window made is the game's own.
HWND GameWindow() {
  for (size_t i = 0; i < gMessages.windows.size(); ++i) {
    if (gMessages.windows[i].alive) return static_cast<HWND>(i + 1);
  }
  return 0;
}

void SendActivation(bool active) {
  for (size_t i = 0; i < gMessages.windows.size(); ++i) {
    if (gMessages.windows[i].alive) SendMessageA(static_cast<HWND>(i + 1), WM_ACTIVATEAPP, active ? 1 : 0, 0);
  }
}

}  // namespace

// ---- Windows ----------------------------------------------------------------------------------------

bool RegisterWindowClass(const char* className, WNDPROC proc, bool dblclks) {
  if (!className || !proc) return false;
  for (const WindowClass& c : gMessages.classes) {
    if (c.name == className) return false;
  }
  gMessages.classes.push_back({className, proc, dblclks});
  return true;
}

HWND CreateGameWindow(const char* className, const char* title) {
  (void)title;  // the backend names its real window itself
  for (const WindowClass& c : gMessages.classes) {
    if (className && c.name == className) {
      gMessages.windows.push_back({c.proc, c.dblclks, true});
      return static_cast<HWND>(gMessages.windows.size());
    }
  }
  return 0;
}

HWND CreateDialogWindow(WNDPROC proc) {
  if (!proc) return 0;
  gMessages.windows.push_back({proc, true, true});
  return static_cast<HWND>(gMessages.windows.size());
}

void SetDialogCursor(bool dialogUp) {
  gMessages.dialogsUp = std::max(0, gMessages.dialogsUp + (dialogUp ? 1 : -1));
  ShowCursorNow();
}

void ShowGameWindow(HWND window) {
  if (!FindWindowRecord(window) || gMessages.active) return;
  gMessages.active = true;
  SendActivation(true);
}

bool DestroyWindow(HWND window) {
  Window* w = FindWindowRecord(window);
  if (!w) return false;
  SendMessageA(window, WM_DESTROY, 0, 0);
  w->alive = false;
  std::erase_if(gMessages.posted, [window](const MSG& m) { return m.hwnd == window; });
  return true;
}

bool IsWindow(HWND window) { return FindWindowRecord(window) != nullptr; }

bool ShowWindow(HWND window, int32_t command) {
  if (!FindWindowRecord(window) || command != SW_MINIMIZE) return false;
  BackendMinimizeWindow();
  return true;
}

// ---- Messages ---------------------------------------------------------------------------------------

bool PeekMessageA(MSG* msg, HWND window, uint32_t filterMin, uint32_t filterMax, uint32_t removeFlags) {
  BackendPumpEvents();
  DeliverSentMessages();
  auto& q = gMessages.posted;
  const auto it =
      std::find_if(q.begin(), q.end(), [&](const MSG& m) { return Matches(m, window, filterMin, filterMax); });
  if (it != q.end()) {
    *msg = *it;
    if (removeFlags & PM_REMOVE) q.erase(it);
    return true;
  }
  if (gMessages.quitPosted && InRange(WM_QUIT, filterMin, filterMax)) {
    *msg = MakeMessage(0, WM_QUIT, static_cast<WPARAM>(gMessages.quitCode), 0);
    if (removeFlags & PM_REMOVE) gMessages.quitPosted = false;
    return true;
  }
  BackendNothingPending();
  return false;
}

int32_t GetMessageA(MSG* msg, HWND window, uint32_t filterMin, uint32_t filterMax) {
  while (!PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE)) BackendWaitEvents(kWaitForever);
  return msg->message == WM_QUIT ? 0 : 1;
}

void WaitMessage() { WaitMessageTimeout(kWaitForever); }

bool WaitMessageTimeout(uint32_t ms) {
  BackendPumpEvents();
  DeliverSentMessages();
  if (!gMessages.posted.empty() || gMessages.quitPosted) return true;
  if (ms == 0) return false;
  BackendWaitEvents(ms);
  return true;
}

// Backends hand us typed characters directly, so there is nothing to translate.
void TranslateMessage(const MSG* msg) { (void)msg; }

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || msg->hwnd == 0) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWindowRecord(window);
  if (!w) return 0;
  return w->proc(window, message, wParam, lParam);
}

bool PostMessageA(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (!FindWindowRecord(window)) return false;
  gMessages.posted.push_back(MakeMessage(window, message, wParam, lParam));
  return true;
}

void PostQuitMessage(int32_t exitCode) {
  gMessages.quitPosted = true;
  gMessages.quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  (void)lParam;
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

// ---- Input from the backends -------------------------------------------------------------------------

void QueueMouseMove(int32_t x, int32_t y) {
  if (gMessages.cursor.x == x && gMessages.cursor.y == y) return;
  gMessages.cursor = {x, y};
  // Like the system, keep at most one pending move: the newest position.
  auto& q = gMessages.posted;
  if (!q.empty() && q.back().message == WM_MOUSEMOVE) {
    q.back() = MakeMessage(q.back().hwnd, WM_MOUSEMOVE, gMessages.buttons, MAKELPARAM(x, y));
    return;
  }
  PostInput(WM_MOUSEMOVE, gMessages.buttons, MAKELPARAM(x, y));
}

void QueueMouseButton(bool right, bool down, int32_t x, int32_t y) {
  QueueMouseMove(x, y);
  const WPARAM bit = right ? MK_RBUTTON : MK_LBUTTON;
  gMessages.buttons = down ? (gMessages.buttons | bit) : (gMessages.buttons & ~bit);
  const LPARAM where = MAKELPARAM(x, y);
  if (!down) {
    PostInput(right ? WM_RBUTTONUP : WM_LBUTTONUP, gMessages.buttons, where);
    return;
  }
  const uint32_t now = timeGetTime();
  const Window* target = FindWindowRecord(InputWindow());
  if (target && target->dblclks && IsDoubleClick(right, x, y, now)) {
    gMessages.lastPress.any = false;  // a third press starts afresh
    PostInput(right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK, gMessages.buttons, where);
    return;
  }
  gMessages.lastPress = Press{true, right, now, {x, y}};
  PostInput(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, gMessages.buttons, where);
}

void QueueKey(uint32_t virtualKey, bool down) {
  // Bit 31 marks a release, bit 30 a key that was down before; the repeat count is 1.
  const LPARAM flags = down ? 1 : static_cast<LPARAM>(0xC0000001u);
  HWND& pressedIn = gMessages.keyDownWindow[virtualKey & 0xFF];
  if (down) {
    pressedIn = InputWindow();
    PostInput(WM_KEYDOWN, virtualKey, flags);
    return;
  }
  // A release belongs to the window that saw the press: the Esc that closed a dialog must not reach the
  // game window underneath as a fresh Esc.
  const HWND target = pressedIn != 0 ? pressedIn : InputWindow();
  pressedIn = 0;
  if (!FindWindowRecord(target)) return;
  gMessages.posted.push_back(MakeMessage(target, WM_KEYUP, virtualKey, flags));
}

void QueueChar(uint8_t ch) { PostInput(WM_CHAR, ch, 1); }

void QueueActivation(bool active) {
  if (gMessages.active == active) return;
  gMessages.active = active;
  for (size_t i = 0; i < gMessages.windows.size(); ++i) {
    if (gMessages.windows[i].alive) {
      gMessages.sent.push_back(MakeMessage(static_cast<HWND>(i + 1), WM_ACTIVATEAPP, active ? 1 : 0, 0));
    }
  }
}

bool QueueClose() {
  const HWND game = GameWindow();
  return game != 0 && PostMessageA(game, WM_CLOSE, 0, 0);
}

void ResetMessagesForTest() {
  ResetDialogsForTest();
  gMessages = MessageState{};
}

// ---- Cursor, metrics, message boxes ------------------------------------------------------------------

bool GetCursorPos(POINT* point) {
  if (!point) return false;
  *point = gMessages.cursor;
  return true;
}

bool SetCursorPos(int32_t x, int32_t y) {
  x = std::clamp(x, 0, 639);
  y = std::clamp(y, 0, 479);
  BackendWarpCursor(x, y);
  QueueMouseMove(x, y);
  return true;
}

int32_t ShowCursor(bool show) {
  gMessages.cursorCount += show ? 1 : -1;
  ShowCursorNow();
  return gMessages.cursorCount;
}

int32_t GetSystemMetrics(int32_t index) {
  switch (index) {
    case SM_CXSCREEN:
      return 640;
    case SM_CYSCREEN:
      return 480;
    case SM_MOUSEPRESENT:
      return BackendMousePresent() ? 1 : 0;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 2 * kDoubleClickSlop;
    default:
      return 0;
  }
}

int32_t MessageBoxA(HWND owner, const char* text, const char* caption, uint32_t type) {
  // Over the game's screen the box is drawn in the window like any dialog; before there is a screen (or
  // after it failed) the desktop shows it.
  const HWND game = GameWindow();
  if (game != 0 && DisplayPrimary()) {
    return DialogMessageBox(owner != 0 ? owner : game, text ? text : "", caption ? caption : "Error", type);
  }
  return BackendMessageBox(text ? text : "", caption ? caption : "Error", type);
}
