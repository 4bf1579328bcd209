// How late the frame timer's pauses end on the real clock, in a real window: the title picture is shown and a
// 32x32 patch moves across the screen, drawn straight onto the screen before each 2 ms pause, as a rolling
// ball is. Prints one line: pauses, entries already late, mean, 95th percentile and worst lateness in ms.
//
//   pause_probe [game folder] [pauses]      (run under a display; the CPU profile runs it under Xvfb)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "media/picture.h"
#include "platform/system.h"
#include "shell/display.h"
#include "shell/shell.h"

namespace {

int64_t MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

// The real instant at which the game clock read 0: the smallest of a few readings taken just as the clock
// stepped to a new millisecond (each is late by the time it took to notice the step).
int64_t ClockEpochNs() {
  int64_t epoch = INT64_MAX;
  for (int i = 0; i < 8; ++i) {
    const uint32_t before = timeGetTime();
    uint32_t now = before;
    while ((now = timeGetTime()) == before) {
    }
    epoch = std::min(epoch, MonotonicNs() - int64_t{now} * 1'000'000);
  }
  return epoch;
}

bool TakeScreen() {
  for (DisplayStep step : {DisplayStep::CreateDevice, DisplayStep::QueryInterface, DisplayStep::Cooperative,
                           DisplayStep::DisplayMode, DisplayStep::PrimarySurface}) {
    if (!DisplayDo(step, 0)) return false;
  }
  gDisplay.primary = DisplayPrimary();
  gDisplay.backBuffer = LoadKeyedSurface("Data\\Title.bmp");
  return gDisplay.primary && gDisplay.backBuffer;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string game = argc > 1 ? argv[1] : QUILL_GAME_DIR;
  const int32_t count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1500;
  if (!SetCurrentDirectoryA(game) || !TakeScreen()) {
    std::fprintf(stderr, "pause_probe: no screen, or no %s/Data/Title.bmp\n", game.c_str());
    return 1;
  }
  CopyBitmapToSurface(gDisplay.primary, "Data\\Title.bmp");
  const int64_t epoch = ClockEpochNs();
  std::vector<double> late;
  int32_t lateEntries = 0;
  FrameWait(0);
  for (int32_t k = 0; k < count; ++k) {
    // The patch moves a pixel a step: what it covered is put back from the title picture's copy first.
    const int32_t x = 16 + k % 576;
    const RECT under{x - 1, 200, x + 31, 232};
    const RECT ball{0, 0, 32, 32};
    SurfaceBltFast(gDisplay.primary, x - 1, 200, gDisplay.backBuffer.get(), &under, DDBLTFAST_NOCOLORKEY);
    SurfaceBltFast(gDisplay.primary, x, 200, gDisplay.backBuffer.get(), &ball, DDBLTFAST_NOCOLORKEY);
    if (FrameWait(2) == 9999) ++lateEntries;
    const int64_t due = epoch + (int64_t{gShell.frameDeadline} + 1) * 1'000'000;
    late.push_back(static_cast<double>(MonotonicNs() - due) / 1e6);
  }
  std::sort(late.begin(), late.end());
  double sum = 0;
  for (double v : late) sum += v;
  const size_t p95 = std::min(late.size() - 1, late.size() * 95 / 100);
  std::printf("pauses=%d late_entries=%d mean_ms=%.3f p95_ms=%.3f max_ms=%.3f\n", count, lateEntries,
              sum / static_cast<double>(late.size()), late[p95], late.back());
  return 0;
}
