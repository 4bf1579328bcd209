// The Windows side of the display and input: one borderless desktop-size window with a 640x480 RGB565 DIB
// section stretched into it (aspect kept, nearest pixel), the real message loop, the multimedia clock at a
// 1 ms period, the cursor, message boxes, the single-instance mutex and the DirectX probe.

// <windows.h> comes first: the other Windows headers build on it.
// clang-format off
#include <windows.h>
#include <ddraw.h>
// clang-format on
#include <cstring>

#include "platform/win32/win32_bridge.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr const char* kClassName = "Quillmere1";

struct Window {
  HWND hwnd = nullptr;
  HBITMAP dib = nullptr;
  uint16_t* bits = nullptr;  // the DIB section's pixels, top row first
  RECT picture{};            // where the picture lands in the client area
  bool cursorVisible = true;
  bool active = true;  // what the game was last told
};
Window gWindow;

struct Dib565 {
  BITMAPINFOHEADER header;
  DWORD masks[3];
};

Dib565 DibFormat() {
  Dib565 f{};
  f.header.biSize = sizeof f.header;
  f.header.biWidth = kWidth;
  f.header.biHeight = -kHeight;  // top-down
  f.header.biPlanes = 1;
  f.header.biBitCount = 16;
  f.header.biCompression = BI_BITFIELDS;
  f.masks[0] = 0xF800;
  f.masks[1] = 0x07E0;
  f.masks[2] = 0x001F;
  return f;
}

void Paint(HDC dc) {
  RECT client{};
  GetClientRect(gWindow.hwnd, &client);
  const RECT& p = gWindow.picture;
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const RECT bars[4] = {{0, 0, client.right, p.top},
                        {0, p.bottom, client.right, client.bottom},
                        {0, p.top, p.left, p.bottom},
                        {p.right, p.top, client.right, p.bottom}};
  for (const RECT& bar : bars) {
    if (bar.right > bar.left && bar.bottom > bar.top) FillRect(dc, &bar, black);
  }
  if (!gWindow.bits) return;
  Dib565 format = DibFormat();
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, p.left, p.top, p.right - p.left, p.bottom - p.top, 0, 0, kWidth, kHeight, gWindow.bits,
                reinterpret_cast<BITMAPINFO*>(&format), DIB_RGB_COLORS, SRCCOPY);
}

void Point(LPARAM lParam, int32_t* x, int32_t* y) {
  W32WindowToGame(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)), x, y);
}

void Mouse(bool right, bool down, LPARAM lParam) {
  int32_t x = 0, y = 0;
  Point(lParam, &x, &y);
  QueueMouseButton(right, down, x, y);
  if (down) {
    SetCapture(gWindow.hwnd);
  } else {
    ReleaseCapture();
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE: {
      int32_t x = 0, y = 0;
      Point(lParam, &x, &y);
      QueueMouseMove(x, y);
      return 0;
    }
    case WM_LBUTTONDOWN:
      Mouse(false, true, lParam);
      return 0;
    case WM_LBUTTONUP:
      Mouse(false, false, lParam);
      return 0;
    case WM_RBUTTONDOWN:
      Mouse(true, true, lParam);
      return 0;
    case WM_RBUTTONUP:
      Mouse(true, false, lParam);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      QueueKey(static_cast<uint32_t>(wParam), message == WM_KEYDOWN);
      return 0;
    case WM_CHAR:
      QueueChar(static_cast<uint8_t>(wParam));
      return 0;
    case WM_ACTIVATEAPP:
      if (W32DebugOn()) OutputDebugStringA(wParam ? "activated\n" : "deactivated\n");
      if ((wParam != 0) != gWindow.active) {
        gWindow.active = wParam != 0;
        QueueActivation(gWindow.active);
      }
      return 0;
    case WM_CLOSE:
      QueueClose();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) break;
      SetCursor(gWindow.cursorVisible ? LoadCursor(nullptr, IDC_ARROW) : nullptr);
      return TRUE;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      W32RedrawNeeded();
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      Paint(BeginPaint(hwnd, &ps));
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

uint32_t W32Clock() {
  static const bool fine = timeBeginPeriod(1) == TIMERR_NOERROR;
  (void)fine;
  return timeGetTime();
}

void W32RestUntil(uint32_t deadline, uint32_t mostMs) {
  const uint32_t start = W32Clock();
  for (uint32_t now = start; static_cast<int32_t>(now - deadline) <= 0 && now - start < mostMs; now = W32Clock()) {
    const uint32_t left = deadline - now + 1;
    Sleep(left > 1 ? left - 1 : 0);
  }
}

bool W32CreateWindow(const char* title) {
  if (gWindow.hwnd) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return false;
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  gWindow.hwnd = CreateWindowExA(WS_EX_APPWINDOW, kClassName, title, WS_POPUP, 0, 0, w > 0 ? w : kWidth,
                                 h > 0 ? h : kHeight, nullptr, nullptr, wc.hInstance, nullptr);
  if (!gWindow.hwnd) return false;
  Dib565 format = DibFormat();
  void* bits = nullptr;
  gWindow.dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&format), DIB_RGB_COLORS, &bits, nullptr, 0);
  gWindow.bits = static_cast<uint16_t*>(bits);
  ShowWindow(gWindow.hwnd, SW_SHOW);
  SetForegroundWindow(gWindow.hwnd);
  return gWindow.dib != nullptr;
}

bool W32HasWindow() { return gWindow.hwnd != nullptr; }

void W32ClientSize(int32_t* width, int32_t* height) {
  RECT r{};
  if (gWindow.hwnd) GetClientRect(gWindow.hwnd, &r);
  *width = r.right;
  *height = r.bottom;
}

void W32Present(const uint16_t* pixels, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!gWindow.hwnd || !gWindow.bits) return;
  GdiFlush();
  std::memcpy(gWindow.bits, pixels, sizeof(uint16_t) * kWidth * kHeight);
  gWindow.picture = RECT{x, y, x + width, y + height};
  HDC dc = GetDC(gWindow.hwnd);
  Paint(dc);
  ReleaseDC(gWindow.hwnd, dc);
}

void W32Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void W32WaitInput(uint32_t ms) { MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT); }

void W32SetCursorVisible(bool visible) {
  gWindow.cursorVisible = visible;
  POINT p;
  if (gWindow.hwnd && GetCursorPos(&p) && WindowFromPoint(p) == gWindow.hwnd) {
    SetCursor(visible ? LoadCursor(nullptr, IDC_ARROW) : nullptr);
  }
}

void W32WarpCursor(int32_t clientX, int32_t clientY) {
  POINT p{clientX, clientY};
  if (gWindow.hwnd && ClientToScreen(gWindow.hwnd, &p)) SetCursorPos(p.x, p.y);
}

int32_t W32MessageBox(const char* text, const char* caption, uint32_t type) {
  const int answer = MessageBoxA(gWindow.hwnd, text, caption, type | MB_SETFOREGROUND);
  if (gWindow.hwnd) InvalidateRect(gWindow.hwnd, nullptr, FALSE);
  if (answer == IDOK || answer == IDYES || answer == IDNO) return answer;
  return (type & 0x0F) == MB_YESNO ? IDNO : IDOK;  // closed some other way: the Escape answer
}

void W32Minimize() {
  if (gWindow.hwnd) ShowWindow(gWindow.hwnd, SW_MINIMIZE);
}

int32_t W32RefreshRate() {
  HDC dc = GetDC(nullptr);
  const int hz = dc ? GetDeviceCaps(dc, VREFRESH) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return hz > 1 ? hz : 0;  // 0 and 1 mean the hardware's default
}

// A named mutex lives as long as the first copy runs; the second finds it.
bool W32ClaimInstance(const char* name) {
  static HANDLE mutex = nullptr;
  if (mutex) return true;
  HANDLE m = CreateMutexA(nullptr, FALSE, name);
  if (m && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(m);
    return false;
  }
  mutex = m;
  return true;
}

bool W32DebugOn() { return GetEnvironmentVariableA("QUILL_DEBUG", nullptr, 0) > 0; }

void W32DebugString(const char* text) { OutputDebugStringA(text); }

namespace {

using DirectDrawCreateProc = HRESULT(WINAPI*)(GUID*, LPDIRECTDRAW*, IUnknown*);

// DirectDraw as the game's start-up check asks of it: the library, its entry point, an object, its second
// interface, the normal cooperative level and a primary surface with the third surface interface.
void ProbeDirectDraw(W32Report* r) {
  HMODULE ddraw = LoadLibraryA("ddraw.dll");
  r->ddrawLoads = ddraw != nullptr;
  if (!ddraw) return;
  auto create =
      reinterpret_cast<DirectDrawCreateProc>(reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreate")));
  r->ddrawHasCreate = create != nullptr;
  IDirectDraw* dd = nullptr;
  r->ddrawCreates = create && SUCCEEDED(create(nullptr, &dd, nullptr)) && dd;
  if (!r->ddrawCreates) return;
  IDirectDraw2* dd2 = nullptr;
  r->hasDirectDraw2 = SUCCEEDED(dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd2)));
  r->normalCooperative = SUCCEEDED(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL));
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  r->primaryCreates = r->normalCooperative && SUCCEEDED(dd->CreateSurface(&desc, &primary, nullptr));
  if (primary) {
    IDirectDrawSurface3* s3 = nullptr;
    r->hasSurface3 = SUCCEEDED(primary->QueryInterface(IID_IDirectDrawSurface3, reinterpret_cast<void**>(&s3)));
    if (s3) s3->Release();
    primary->Release();
  }
  if (dd2) dd2->Release();
  dd->Release();
}

}  // namespace

W32Report W32Probe() {
  W32Report r;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExA(&version)) {
#pragma GCC diagnostic pop
    r.platformId = version.dwPlatformId;
    r.majorVersion = version.dwMajorVersion;
    r.buildNumber = version.dwBuildNumber;
  }
  ProbeDirectDraw(&r);
  HMODULE dinput = LoadLibraryA("dinput.dll");
  r.dinputLoads = dinput != nullptr;
  r.dinputHasCreate = dinput && GetProcAddress(dinput, "DirectInputCreateA") != nullptr;
  return r;
}
