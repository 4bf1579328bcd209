// What each backend implements beneath the shared message queue and cursor code (platform/window/messages.cpp).
#pragma once

#include <cstdint>

#include "platform/win.h"

// Turns pending device events into queued messages (QueueInput* below); shows a changed primary surface.
// Called by every peek and get.
void BackendPumpEvents();
// Blocks until some event may be pending, or for ms milliseconds at most (kWaitForever: no limit).
constexpr uint32_t kWaitForever = 0xFFFFFFFFu;
void BackendWaitEvents(uint32_t ms);
// A peek found nothing to do.
void BackendNothingPending();
void BackendShowCursor(bool visible);
void BackendWarpCursor(int32_t x, int32_t y);
int32_t BackendMessageBox(const char* text, const char* caption, uint32_t type);
// An in-window message box asks first whether its answer is already decided (a test's or a script's queued
// answer); false lets the player answer it. Every box shown in the window is then reported with its answer.
bool BackendPresetAnswer(uint32_t type, int32_t* answer);
void BackendRecordMessageBox(uint32_t time, const char* text, const char* caption, uint32_t type, int32_t answer);
bool BackendMousePresent();
// Puts the game window away; the desktop tells the game it lost the foreground.
void BackendMinimizeWindow();

// Shared input entry points for backends, positions in game coordinates.
void QueueMouseMove(int32_t x, int32_t y);
void QueueMouseButton(bool right, bool down, int32_t x, int32_t y);
void QueueKey(uint32_t virtualKey, bool down);
void QueueChar(uint8_t ch);  // Windows-1252
void QueueActivation(bool active);
// The desktop asks the game window to close; false when there is no window to ask.
bool QueueClose();
// A window for a dialog of the toolkit (platform/window/dialog.h); it gets the input while it is the newest.
HWND CreateDialogWindow(WNDPROC proc);
// While any dialog is up the system cursor shows, whatever the game's display counter says.
void SetDialogCursor(bool dialogUp);
// Forgets every window, message, class and cursor state (tests and the headless driver).
void ResetMessagesForTest();
