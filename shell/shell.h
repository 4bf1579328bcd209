// The application shell: program entry, the main window procedure, the message loop's idle tick, the
// application states, the frame timer, the cursor helpers and the shared pseudo-random generator.
#pragma once

#include <cstdint>

#include "platform/win.h"

// Application states: one value per screen of the game.
constexpr uint32_t kStateStart = 0;
constexpr uint32_t kStateTitleMenu = 10;
constexpr uint32_t kStatePlay = 20;
constexpr uint32_t kStateDemo = 30;
constexpr uint32_t kStateBestScores = 40;
constexpr uint32_t kStateAbout = 50;
constexpr uint32_t kStateMusicOptions = 70;
constexpr uint32_t kStateQuitting = 99999;

struct ShellState {
  uint32_t applicationState = kStateStart;
  uint8_t quitFlag = 0;
  int32_t activeFlag = 0;  // last wParam of WM_ACTIVATEAPP
  HWND mainWindow = 0;
  char startDirectory[256] = {};
  uint32_t frameDeadline = 0;
  uint32_t frameBase = 0;
  uint32_t randomState = 1;
  // Idle pacing: when the last tick began, and the application state and play phase it began with.
  uint32_t lastTick = 0;
  uint32_t tickedState = 0xFFFFFFFFu;
  int32_t tickedPhase = -1;
};

extern ShellState gShell;

// Program entry: start-up, message loop; returns the exit code.
int32_t WinMain();
int32_t InitApplication(HWND window);
void StateTick();
// One pass of the message loop with no message waiting: a tick when one is due, else a rest until it is.
void IdleTick();
// Milliseconds between idle ticks: one refresh of the display, 60 a second when it does not say.
uint32_t IdleTickMs();
LRESULT MainWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);
void SetApplicationState(uint32_t state);

// A mouse message as the round sees it: position limited to the screen, button code 1 left up,
// 3 right down, 2 right up.
struct MouseEvent {
  int32_t x;
  int32_t y;
  int32_t code;
};
MouseEvent MouseEventFromMessage(uint32_t message, LPARAM lParam);

// 0 resets the timer; n waits until n more milliseconds have passed since the last deadline and returns
// the milliseconds scheduled since the reset, or 9999 at once when that deadline had already passed.
uint32_t FrameWait(uint32_t ms);
void ShowMouseCursor();
void HideMouseCursor();
void FlushMouseMessages();
void SeedRandom(uint32_t seed);
int32_t Random();

void ResetShellForTest();
