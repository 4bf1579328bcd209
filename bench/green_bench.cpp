// One frame of aiming on hole 1: the green rebuilt from the hole picture with its status strip, the cursor
// ball, a 200-pixel aim line, and the copy to the screen; next to a plain copy of a 640x480 16-bit screen, the
// yardstick it is held to (at most five of them).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/screen_memcpy.h"
#include "green/hole.h"
#include "green/sprites.h"
#include "green/status.h"
#include "media/picture.h"
#include "platform/draw/gdi.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "shell/display.h"

namespace {

bool LoadTestHole() {
  HeadlessReset(HeadlessConfig{});
  if (!SetCurrentDirectoryA(QUILL_GAME_DIR) || !InitDisplay(0)) return false;
  gRound.currentHole = 1;
  LoadHole();
  gRound.ballPicture = LoadKeyedSurface("Balls\\Ball1.bmp");
  gRound.flagPicture = LoadKeyedSurface("Balls\\Flag.bmp");
  gRound.playerCount = 1;
  gRound.currentPlayer = 1;
  gRound.strokeCounter = 1;
  gRound.ball = BallState{85, 220, 0, 0, 1, 1};
  SetPlayPhase(kPhaseAiming);
  return gHole.holePicture != nullptr;
}

// The aim line as the putting input draws it: a pen line from the ball toward the pointer.
void DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  DC dc;
  if (!SurfaceGetDC(gDisplay.backBuffer.get(), &dc)) return;
  SelectPen(&dc, WHITE_PEN);
  MoveToEx(&dc, x0, y0, nullptr);
  LineTo(&dc, x1, y1);
  SurfaceReleaseDC(gDisplay.backBuffer.get(), &dc);
}

void BM_AimingFrame(benchmark::State& state) {
  if (!LoadTestHole()) {
    state.SkipWithError("hole 1 is not in the game folder");
    return;
  }
  SetCursorPos(285, 220);
  for (auto _ : state) {
    RedrawGreen();
    DrawCursorBall();
    DrawBall(8, 1);
    DrawLine(85, 220, 285, 220);
    PresentFrame();
    benchmark::DoNotOptimize(gDisplay.primary->pixels.data());
  }
}
BENCHMARK(BM_AimingFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
