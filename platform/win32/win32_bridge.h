// Between the two halves of the win32 backend. Files that include <windows.h> cannot also see the game's
// own Windows-like names (platform/win.h), so each call to the real API is made on the Windows side and
// reached from the game side through these plain-typed functions.
#pragma once

#include <cstdint>
#include <string>

// ---- Shell (win32_shell_link.cpp) ---------------------------------------------------------------------
// The user's desktop folder as the shell names it; false when the shell has none.
bool W32DesktopFolder(std::string* folder);
// A shell link at linkPath starting program in folder; false on any failure.
bool W32WriteShellLink(const std::string& linkPath, const std::string& program, const std::string& folder);
bool W32DeleteFile(const std::string& path);

// ---- Window, input, clock (win32_window.cpp) ----------------------------------------------------------
uint32_t W32Clock();  // timeGetTime at a 1 ms period
// Rests until the clock has passed deadline: sleeps to about a millisecond before, then yields.
void W32RestUntil(uint32_t deadline, uint32_t mostMs);
// The borderless window covering the desktop; its procedure turns real input into the game's queued messages.
bool W32CreateWindow(const char* title);
bool W32HasWindow();
void W32ClientSize(int32_t* width, int32_t* height);
// Shows a 640x480 RGB565 picture in the window at (x, y), scaled to width x height, black around it.
void W32Present(const uint16_t* pixels, int32_t x, int32_t y, int32_t width, int32_t height);
void W32Pump();
void W32WaitInput(uint32_t ms);
void W32SetCursorVisible(bool visible);
void W32WarpCursor(int32_t clientX, int32_t clientY);
int32_t W32MessageBox(const char* text, const char* caption, uint32_t type);
void W32Minimize();
int32_t W32RefreshRate();
bool W32ClaimInstance(const char* name);
void W32DebugString(const char* text);
bool W32DebugOn();

// What the system says of itself and of DirectDraw and DirectInput, asked of the real libraries.
struct W32Report {
  uint32_t platformId = 0;
  uint32_t majorVersion = 0;
  uint32_t buildNumber = 0;
  bool ddrawLoads = false, ddrawHasCreate = false, ddrawCreates = false, hasDirectDraw2 = false;
  bool dinputLoads = false, dinputHasCreate = false;
  bool normalCooperative = false, primaryCreates = false, hasSurface3 = false;
};
W32Report W32Probe();

// The game side's answers to the window procedure (win32_system.cpp).
void W32WindowToGame(int32_t clientX, int32_t clientY, int32_t* x, int32_t* y);
void W32RedrawNeeded();

// The game's input queue (platform/window/messages.cpp), as the window procedure feeds it.
void QueueMouseMove(int32_t x, int32_t y);
void QueueMouseButton(bool right, bool down, int32_t x, int32_t y);
void QueueKey(uint32_t virtualKey, bool down);
void QueueChar(uint8_t ch);
void QueueActivation(bool active);
bool QueueClose();

// ---- MIDI streams on the system synthesizer (win32_midi_out.cpp) --------------------------------------
// Windows packs its stream header, so each of the game's headers is shadowed by a real one, made when the
// game prepares it (its handle kept where the driver keeps its own, in the header's reserved field). The
// header flags travel back with every call and every done-callback.
using W32MidiDone = void (*)(uintptr_t stream, uint32_t message, uintptr_t instance, void* gameHeader, uint32_t flags);
uint32_t W32MidiStreamOpen(uintptr_t* stream, uint32_t* deviceId, W32MidiDone done, uintptr_t instance);
uint32_t W32MidiStreamClose(uintptr_t stream);
uint32_t W32MidiPrepare(uintptr_t out, void* gameHeader, char* data, uint32_t length, uintptr_t user, uintptr_t* shadow,
                        uint32_t* flags);
// Frees the shadow when it succeeds.
uint32_t W32MidiUnprepare(uintptr_t out, uintptr_t shadow, uint32_t* flags);
uint32_t W32MidiStreamOut(uintptr_t stream, uintptr_t shadow, uint32_t bytesRecorded, uint32_t* flags);
uint32_t W32MidiStreamRestart(uintptr_t stream);
uint32_t W32MidiStreamStop(uintptr_t stream);
uint32_t W32MidiStreamProperty(uintptr_t stream, uint8_t* data, uint32_t property);
uint32_t W32MidiOutReset(uintptr_t out);
uint32_t W32MidiOutShortMsg(uintptr_t out, uint32_t message);
// Runs run(arg) once, ms milliseconds from now, on the multimedia timer's thread.
void W32RunLater(uint32_t ms, void (*run)(void*), void* arg);
