// What each backend implements beneath the shared message queue and cursor code (platform/messages.cpp).
#pragma once

#include <cstdint>

#include "platform/win.h"

// Turns pending device events into queued messages (QueueInput* below); shows a changed primary surface.
// Called by every peek and get.
void BackendPumpEvents();
// Blocks until some event may be pending.
void BackendWaitEvents();
// A peek found nothing to do: the game is idling between ticks.
void BackendNothingPending();
void BackendShowCursor(bool visible);
void BackendWarpCursor(int32_t x, int32_t y);
int32_t BackendMessageBox(const char* text, const char* caption, uint32_t type);
bool BackendMousePresent();
// Puts the game window away; the desktop tells the game it lost the foreground.
void BackendMinimizeWindow();

// Shared input entry points for backends, positions in game coordinates.
void QueueMouseMove(int32_t x, int32_t y);
void QueueMouseButton(bool right, bool down, int32_t x, int32_t y);
void QueueKey(uint32_t virtualKey, bool down);
void QueueChar(uint8_t ch);  // Windows-1252
void QueueActivation(bool active);
void QueueClose();
// Forgets every window, message, class and cursor state (tests and the headless driver).
void ResetMessagesForTest();
