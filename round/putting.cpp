// Putting input: what a click means in each play phase, the six on-screen buttons, the information label
// and the aim line.
#include "round/putting.h"

#include <algorithm>
#include <cstdio>

#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/status.h"
#include "media/picture.h"
#include "media/sound.h"
#include "media/text.h"
#include "platform/draw/gdi.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "round/round_flow.h"
#include "shell/display.h"
#include "shell/shell.h"

namespace {

constexpr int32_t kAimLimit = 200;
constexpr int32_t kLastAimRow = 439;

bool ReplayOrRetryAllowedNow() {
  return gRound.playPhase == kPhaseAiming || gRound.playPhase == kPhaseHoleOver;
}

// Clicks queued behind a held panel or label can press these buttons twice before the first screen is
// drawn; a screen already asked for keeps the phase it returns to, or the score screen would return to itself.
void SaveAndShow(int32_t phase) {
  if (gRound.playPhase == kPhaseCourseInfo || gRound.playPhase == kPhaseScoreCard) return;
  gRound.savedPhase = gRound.playPhase;
  SetPlayPhase(phase);
}

void BottomButton(int32_t x) {
  switch (x / 160) {
    case 0: SaveAndShow(kPhaseCourseInfo); break;
    case 1: SaveAndShow(kPhaseScoreCard); break;
    case 2: if (ReplayOrRetryAllowedNow()) SetPlayPhase(kPhaseReplay); break;
    default: if (ReplayOrRetryAllowedNow()) SetPlayPhase(kPhaseRetry); break;
  }
}

void ReloadHolePicture() {
  ReleaseInterface(gHole.holePicture);
  char path[32];
  std::snprintf(path, sizeof path, "Holes\\Hole%02d.HIO", gRound.currentHole);
  gHole.holePicture = LoadKeyedSurface(path);
}

// The ball goes where the pointer last crossed the pad, wherever the click itself is.
void ClickWhilePlacing() {
  gRound.lastCursor = gRound.padPosition;
  if (MapCodeAt(gRound.lastCursor.x, gRound.lastCursor.y) == kCodeStartPad) {
    StopEffect(gRound.effects[kEffectFlagLap].get());
    PlaceBall();
    return;
  }
  RedrawGreen();
  ShowRoundPanel(2, kPlaceOnPad, kWideRect);
  FlushMouseMessages();
}

void LeftRelease(int32_t x, int32_t y) {
  if (gRound.playPhase == kPhaseScoreShowing) {
    ReloadHolePicture();
    SetPlayPhase(gRound.savedPhase);
  } else if (gRound.playPhase == kPhaseCelebration) {
    EndCelebration();
    LoadHole();
    SetPlayPhase(gRound.savedPhase);
  } else if (y > 440) {
    BottomButton(x);
  } else if (y < 16 && x > 624) {
    SetPlayPhase(kPhaseEndRound);
  } else if (y < 16 && x > 608) {
    ShowWindow(gShell.mainWindow, SW_MINIMIZE);
  } else if (gRound.playPhase == kPhasePlacing) {
    ClickWhilePlacing();
  } else if (gRound.playPhase == kPhaseAiming) {
    SetPlayPhase(kPhaseStrike);
  } else if (gRound.playPhase == kPhaseHoleOver) {
    SetPlayPhase(gRound.currentHole == 18 ? kPhaseBestCheck : kPhaseNextPlayer);
  }
}

void RightPress(int32_t x, int32_t y) {
  const std::string label = MapCodeName(MapCodeAt(x, y));
  if (label.empty()) return;
  gRound.pauseFlag = 1;
  const int32_t n = static_cast<int32_t>(label.size());
  // Near the right edge the label opens to the left of the pointer.
  if (x <= 480) {
    ShowPanel(kTextRaised, 1, label.c_str(), x + 8, y + 8, x + 8 * n + 24, y + 30);
  } else {
    ShowPanel(kTextRaised, 1, label.c_str(), x - 8 * n - 24, y + 8, x - 8, y + 30);
  }
}

}  // namespace

void PlayMouse(int32_t x, int32_t y, int32_t code) {
  switch (code) {
    case kMouseLeftUp: LeftRelease(x, y); break;
    case kMouseRightUp:
      gRound.pauseFlag = 0;
      PlayTick();
      break;
    case kMouseRightDown: RightPress(x, y); break;
    default: break;
  }
}

int32_t IntegerSquareRoot(int32_t v) {
  if (v < 1) return 0;
  int32_t r = 1;
  for (int32_t rest = v >> 2; rest != 0; rest >>= 2) r <<= 1;
  for (int round = 0; round < 5; ++round) {
    const int32_t next = (v / r + r) >> 1;
    if (next == r) break;
    r = next;
  }
  return r;
}

void AimEnd(int32_t ballX, int32_t ballY, int32_t x, int32_t y, int32_t* endX, int32_t* endY) {
  const int32_t dx = x - ballX;
  const int32_t dy = y - ballY;
  *endX = x;
  *endY = y;
  const int32_t distanceSquared = dx * dx + dy * dy;
  if (distanceSquared > kAimLimit * kAimLimit) {
    const int32_t n = IntegerSquareRoot(distanceSquared);
    *endX = ballX + kAimLimit * dx / n;
    *endY = ballY + kAimLimit * dy / n;
  }
}

void DrawAimLine() {
  POINT pointer{};
  GetCursorPos(&pointer);
  const int32_t x = std::clamp<int32_t>(pointer.x, 0, 639);
  const int32_t y = std::clamp<int32_t>(pointer.y, 0, kLastAimRow);
  int32_t endX = 0;
  int32_t endY = 0;
  AimEnd(gRound.ball.x, gRound.ball.y, x, y, &endX, &endY);
  gRound.aimPoint = POINT{endX, endY};
  DC dc;
  if (!SurfaceGetDC(gDisplay.backBuffer.get(), &dc)) return;
  SelectPen(&dc, WHITE_PEN);
  MoveToEx(&dc, gRound.ball.x, gRound.ball.y, nullptr);
  LineTo(&dc, endX, endY);
  SurfaceReleaseDC(gDisplay.backBuffer.get(), &dc);
}
