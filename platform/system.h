// What the game asks of the machine: clock, windows and messages, cursor, display, sound device, message
// boxes, the single-instance lock and files. Both backends serve this one interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/draw/surface.h"
#include "platform/win.h"

// ---- Clock -------------------------------------------------------------------------------------------
uint32_t timeGetTime();  // milliseconds, wrapping at 2^32
// Rests until the clock passes deadline (or wakes earlier to show a frame) and returns the clock's reading,
// which differs from now unless it woke early. A pause ends on its exact millisecond without holding a core.
uint32_t WaitClockTick(uint32_t now, uint32_t deadline);

// ---- Windows and messages ----------------------------------------------------------------------------
// A registered class; dblclks turns a quick second left or right press into its DBLCLK message.
bool RegisterWindowClass(const char* className, WNDPROC proc, bool dblclks);
// The one top-level game window; 0 on failure.
HWND CreateGameWindow(const char* className, const char* title);
// Showing the window makes the game the active application (WM_ACTIVATEAPP 1 is sent at once).
void ShowGameWindow(HWND window);
// SW_MINIMIZE hands the screen back to the desktop; the game then loses the foreground.
bool ShowWindow(HWND window, int32_t command);
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);

bool PeekMessageA(MSG* msg, HWND window, uint32_t filterMin, uint32_t filterMax, uint32_t removeFlags);
int32_t GetMessageA(MSG* msg, HWND window, uint32_t filterMin, uint32_t filterMax);
void WaitMessage();
// Like WaitMessage, but for ms milliseconds at most; true when a message may be waiting.
bool WaitMessageTimeout(uint32_t ms);
void TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT SendMessageA(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);
bool PostMessageA(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int32_t exitCode);
LRESULT DefWindowProcA(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);

// ---- Cursor and system facts -------------------------------------------------------------------------
bool GetCursorPos(POINT* point);  // in 640x480 game coordinates
bool SetCursorPos(int32_t x, int32_t y);
int32_t ShowCursor(bool show);  // returns the new display counter; the cursor shows while it is 0 or more
int32_t GetSystemMetrics(int32_t index);

// ---- Message boxes -----------------------------------------------------------------------------------
// Works with or without a game window; returns IDOK, IDYES or IDNO.
int32_t MessageBoxA(HWND owner, const char* text, const char* caption, uint32_t type);

// ---- Display -----------------------------------------------------------------------------------------
// The steps of taking the screen, in order; each may fail on its own.
enum class DisplayStep : uint8_t {
  CreateDevice,    // the video subsystem
  QueryInterface,  // the device's drawing interface
  Cooperative,     // the full-screen window
  DisplayMode,     // 640x480 at 16 bits through a renderer
  PrimarySurface,  // the visible surface
};
bool DisplayDo(DisplayStep step, HWND window);
Surface* DisplayPrimary();  // the primary surface once created, else null; 640x480
// How many times a second the display shows a new picture; 0 when it does not say.
int32_t DisplayRefreshRate();

// What the machine reports for the DirectX probe.
struct PlatformReport {
  bool versionKnown = false;
  uint32_t platformId = 0;  // 1 Windows 95 family, 2 NT
  uint32_t majorVersion = 0;
  uint32_t buildNumber = 0;
  bool ddrawLoads = false;
  bool ddrawHasCreate = false;
  bool ddrawCreates = false;
  bool hasDirectDraw2 = false;
  bool dinputLoads = false;
  bool dinputHasCreate = false;
  bool normalCooperative = false;
  bool primaryCreates = false;
  bool hasSurface3 = false;
};
PlatformReport GetPlatformReport();
void OutputDebugStringA(const char* text);

// ---- Sound device ------------------------------------------------------------------------------------
// Opens the output at the given format; false leaves the game silent.
bool AudioOpen(int32_t samplesPerSecond, int32_t channels, int32_t bitsPerSample);
bool AudioIsOpen();

// ---- Program ----------------------------------------------------------------------------------------
// Takes the lock named name; false when another running copy holds it.
bool ClaimSingleInstance(const char* name);
// Records a change of a game state word for whoever watches (the headless driver prints it).
void TraceState(const char* what, int64_t value);

// ---- Files ------------------------------------------------------------------------------------------
// Current directory in native form (no trailing slash).
std::string GetCurrentDirectoryA();
bool SetCurrentDirectoryA(const std::string& path);
// "Holes\Hole01.HIO" relative to the current directory: backslashes become slashes and each component is
// matched case-insensitively. Returns the native path (the literal one when nothing matches).
std::string ResolveGamePath(const std::string& windowsPath);
// Reads a whole file found by ResolveGamePath; false when it cannot be read.
bool ReadGameFile(const std::string& windowsPath, std::vector<uint8_t>* bytes);
// The names of the files in a folder that match a pattern such as "Music\*.mid" (relative to the current
// directory or absolute; '*' and '?' wildcards), ignoring case as the game's file system did, sorted by name
// ignoring case. Empty when the folder cannot be read.
std::vector<std::string> FindGameFiles(const std::string& windowsPattern);
