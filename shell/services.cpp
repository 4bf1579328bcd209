// Small services of the shell that every module uses: the frame timer, the cursor helpers, dropping stale
// mouse input, and the shared pseudo-random generator.
#include "shell/shell.h"

#include <atomic>

#include "platform/system.h"

namespace {

// Compared by their difference, so a deadline just below the clock's wrap is still passed once the clock
// wraps, instead of spinning for ever.
bool IsPast(uint32_t now, uint32_t deadline) { return static_cast<int32_t>(now - deadline) > 0; }

}  // namespace

uint32_t FrameWait(uint32_t ms) {
  ShellState& s = gShell;
  uint32_t now = timeGetTime();
  if (ms == 0) {
    s.frameDeadline = now;
    s.frameBase = now;
    return 0;
  }
  s.frameDeadline += ms;
  if (now < s.frameBase) {  // the clock wrapped since the reset
    s.frameDeadline = now + ms;
    s.frameBase = now;
  }
  // A late step returns at once and leaves the deadline where it is, so the steps after it catch up.
  if (IsPast(now, s.frameDeadline)) return 9999;
  while (!IsPast(now, s.frameDeadline)) now = WaitClockTick(now, s.frameDeadline);
  return s.frameDeadline - s.frameBase;
}

void ShowMouseCursor() {
  while (ShowCursor(true) < 0) {
  }
}

void HideMouseCursor() {
  while (ShowCursor(false) > 0) {
  }
}

void FlushMouseMessages() {
  MSG msg;
  while (PeekMessageA(&msg, gShell.mainWindow, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

// The music player may pick its next piece on another thread, so the state is stepped atomically.
void SeedRandom(uint32_t seed) { std::atomic_ref<uint32_t>(gShell.randomState).store(seed); }

int32_t Random() {
  std::atomic_ref<uint32_t> state(gShell.randomState);
  uint32_t old = state.load();
  uint32_t next = 0;
  do {
    next = old * 214013u + 2531011u;
  } while (!state.compare_exchange_weak(old, next));
  return static_cast<int32_t>((next >> 16) & 0x7FFF);
}
