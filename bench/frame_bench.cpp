// What one frame of play costs: the hole picture to the back buffer, the status texts and buttons, and the
// copy to the screen; next to a plain copy of a 640x480 16-bit screen for scale.
#include <benchmark/benchmark.h>

#include "bench/screen_memcpy.h"
#include "media/picture.h"
#include "media/text.h"
#include "platform/headless/headless.h"
#include "shell/display.h"

namespace {

void SetUpDisplay() {
  HeadlessReset(HeadlessConfig{});
  DisplayDo(DisplayStep::PrimarySurface, 0);
  gDisplay.primary = DisplayPrimary();
  gDisplay.backBuffer = CreateSurface(640, 480);
}

void BM_ComposeFrame(benchmark::State& state) {
  SetUpDisplay();
  SurfacePtr hole = CreateSurface(640, 440);
  for (size_t i = 0; i < hole->pixels.size(); ++i) hole->pixels[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
  const char* buttons[] = {"Replay", "Retry", "Card", "Info", "Music", "Quit"};
  for (auto _ : state) {
    DrawToBackBuffer(hole.get(), 0, 0, 0);
    DrawFramedText(gDisplay.backBuffer.get(), kTextSunken, "Player 1  Putt 2", 4, 444, 160, 476);
    DrawFramedText(gDisplay.backBuffer.get(), kTextSunken, "Hole 7  Par 3", 164, 444, 300, 476);
    DrawFramedText(gDisplay.backBuffer.get(), kTextPlain, "Total +2", 304, 444, 380, 460);
    DrawFramedText(gDisplay.backBuffer.get(), kTextPlain, "Brindlemoor", 304, 460, 380, 476);
    for (int32_t i = 0; i < 6; ++i) {
      DrawFramedText(gDisplay.backBuffer.get(), kTextRaised, buttons[i], 384 + i * 42, 446, 424 + i * 42, 474);
    }
    PresentFrame();
    benchmark::DoNotOptimize(gDisplay.primary->pixels.data());
  }
}
BENCHMARK(BM_ComposeFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
