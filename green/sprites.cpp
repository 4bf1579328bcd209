// The ball's sprites and the green's animations. A rolling ball is drawn straight onto the screen through a
// 32x32 patch at the back buffer's top-left corner, so a pixel step never rebuilds the whole frame.
#include "green/sprites.h"

#include "green/features.h"
#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/physics.h"
#include "media/picture.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"

SpriteState gSprites;

namespace {

// Ball sheet: 11x11 frames, rows 0..7 rolling by direction class, row 8 the single pictures.
constexpr int32_t kFrame = 11;
constexpr int32_t kSingles = 8;
constexpr int32_t kCursorColumn = 0;
constexpr int32_t kRestColumn = 1;
constexpr int32_t kSinkColumn = 2;      // 2, 3, 4: dropping, also the splash
constexpr int32_t kTeleportColumn = 5;  // 5, 6, 7
constexpr int32_t kLastRollPhase = 8;

constexpr int32_t kPatch = 32;
constexpr int32_t kPatchHalf = 16;
constexpr int32_t kBallInPatch = 11;   // centres the 11x11 frame in the patch
constexpr int32_t kFigureStride = 64;  // hole 18's figure: one 32x32 heading every 64 pixels

constexpr int32_t kFlagSize = 64;
constexpr int32_t kFlagFrames = 8;
constexpr uint32_t kFlagFrameMs = 60;
constexpr uint32_t kFlagClockSlack = 1000;

constexpr int32_t kButterflySize = 40;
constexpr int32_t kButterflyX = 295, kButterflyY = 21;
constexpr int32_t kButterflyFlaps = 16;  // frames 1..15 flap; from 16 on it rests
constexpr uint32_t kButterflyFrameMs = 110;
constexpr int32_t kButterflyClockSlack = 440;

constexpr int32_t kScreenWidth = 640, kScreenHeight = 480;

constexpr uint32_t kSinkMs = 20, kSplashMs = 200, kTeleportMs = 60;

// The row of the rolling frames for the ball's motion: 0 horizontal, 4 vertical, 22.5 degrees apart, the
// rows beyond 4 for motion whose two directions differ. The limits are 65,536 x tan(78.75, 56.25, 33.75,
// 11.25 degrees).
int32_t DirectionClass(const BallState& b) {
  const int32_t r = b.speedX == 0 ? 400000 : (int32_t{b.speedY} * 65536) / b.speedX;
  const bool same = Sign(b.dirX) == Sign(b.dirY);
  if (r > 330000) return 4;
  if (r > 98080) return same ? 3 : 5;
  if (r > 43790) return same ? 2 : 6;
  if (r > 13036) return same ? 1 : 7;
  return 0;
}

// The hole picture under the ball, an optional figure behind it, the ball frame, then the patch onto the
// screen where the ball is.
void ShowInPatch(int32_t row, int32_t column, int32_t figureRow) {
  Surface* patch = gDisplay.backBuffer.get();
  if (!patch) return;
  const int32_t x = gRound.ball.x - kPatchHalf;
  const int32_t y = gRound.ball.y - kPatchHalf;
  BlitRect(patch, 0, 0, kPatch, kPatch, x, y, gHole.holePicture.get(), 0);
  if (figureRow >= 0) BlitRect(patch, 0, 0, kPatch, kPatch, kFigureStride * figureRow, 0, gHole.figurePicture.get(), 1);
  BlitRect(patch, kBallInPatch, kBallInPatch, kFrame, kFrame, kFrame * column, kFrame * row, gRound.ballPicture.get(),
           1);
  BlitRect(gDisplay.primary, x, y, kPatch, kPatch, 0, 0, patch, 0);
}

// The ball drops out of sight in three frames, each shown for delay ms; a settling pause follows the sink
// and the splash but not the teleport, whose ball reappears elsewhere at once.
void Vanish(int32_t firstColumn, uint32_t delay, bool settle) {
  DrawBall(kSingles, kRestColumn);
  for (int32_t i = 0; i < 3; ++i) {
    FrameWait(delay);
    ShowInPatch(kSingles, firstColumn + i, -1);
  }
  FrameWait(delay);
  RestoreUnderBall();
  if (settle) FrameWait(delay);
}

}  // namespace

void DrawBall(int32_t row, int32_t column) {
  if (gRound.playPhase != kPhaseRolling) {
    BlitRect(gDisplay.backBuffer.get(), gRound.ball.x - 5, gRound.ball.y - 5, kFrame, kFrame, kFrame * column,
             kFrame * row, gRound.ballPicture.get(), 1);
    return;
  }
  // In the chute the figure carries the ball: the row names the figure's heading, the ball sits still on it.
  if (gMotion.chutePath) {
    ShowInPatch(kSingles, kRestColumn, row);
  } else {
    ShowInPatch(row, column, -1);
  }
  if (gRound.currentHole == 16) AnimateButterfly();
}

void DrawRollingBall() {
  if (gMotion.glideMode == 3) return;  // hidden under a glide stretch
  const BallState& b = gRound.ball;
  const int32_t row = DirectionClass(b);
  const int16_t step = static_cast<int16_t>(row == 0 ? Sign(b.dirX) : Sign(b.dirY));
  SpriteState& s = gSprites;
  // The ball turns at half the drawing rate, or it would spin faster than it rolls.
  if (s.halfRateToggle == 0) {
    DrawBall(row, s.rollPhase);
    s.halfRateToggle = 1;
    return;
  }
  s.rollPhase = static_cast<int16_t>(s.rollPhase - step);
  if (s.rollPhase < 0) {
    s.rollPhase = kLastRollPhase;
    DrawBall(kSingles, kRestColumn);
  } else if (s.rollPhase > kLastRollPhase) {
    s.rollPhase = 0;
    DrawBall(kSingles, kRestColumn);
  } else {
    DrawBall(row, s.rollPhase);
  }
  s.halfRateToggle = 0;
}

void RestoreUnderBall() {
  const int32_t x = gRound.ball.x - kPatchHalf;
  const int32_t y = gRound.ball.y - kPatchHalf;
  BlitRect(gDisplay.primary, x, y, kPatch, kPatch, x, y, gHole.holePicture.get(), 0);
}

void SinkBall() { Vanish(kSinkColumn, kSinkMs, true); }
void SplashBall() { Vanish(kSinkColumn, kSplashMs, true); }
void TeleportBall() { Vanish(kTeleportColumn, kTeleportMs, false); }

void DrawCursorBall() {
  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  // The whole frame stays on the screen, however close to an edge the pointer goes.
  int32_t x = cursor.x - 5;
  int32_t y = cursor.y - 5;
  if (x < 0) x = 0;
  if (x + kFrame > kScreenWidth) x = kScreenWidth - kFrame;
  if (y < 0) y = 0;
  if (y + kFrame > kScreenHeight) y = kScreenHeight - kFrame;
  BlitRect(gDisplay.backBuffer.get(), x, y, kFrame, kFrame, kFrame * kCursorColumn, kFrame * kSingles,
           gRound.ballPicture.get(), 1);
  gRound.lastCursor = cursor;
  if (gRound.playPhase == kPhasePlacing && MapCodeAt(cursor.x, cursor.y) == kCodeStartPad) {
    gRound.padPosition = cursor;
  }
}

void DrawFlag() {
  int32_t hx = 0;
  int32_t hy = 0;
  CupPoint(&hx, &hy);
  const int32_t left = hx - 1;
  int32_t width = kFlagSize;
  if (left + kFlagSize >= kScreenWidth) width = kScreenWidth - left;
  // A cup at x 641 or beyond leaves no flag on the screen; a width of 0 would copy the whole flag sheet.
  if (width > 0) {
    BlitRect(gDisplay.backBuffer.get(), left, hy - 63, width, kFlagSize, kFlagSize * gSprites.flagFrame, 0,
             gRound.flagPicture.get(), 1);
  }

  // A deadline far ahead can only come from a clock that was reset or wrapped: wave on from now.
  const uint32_t now = timeGetTime();
  SpriteState& s = gSprites;
  const bool passed = static_cast<int32_t>(now - s.flagDeadline) > 0;
  const bool farAhead = static_cast<int32_t>(s.flagDeadline - now) > static_cast<int32_t>(kFlagClockSlack);
  if (passed || farAhead) {
    s.flagDeadline = now + kFlagFrameMs;
    s.flagFrame = (s.flagFrame + 1) % kFlagFrames;
  }

  if (gRound.currentHole == 18) {
    // After a ride the figure has to be put back at the top of the chute before the next player.
    if (gMotion.quackCounter != 0) {
      ResetChuteFigure();
    } else {
      BlitRect(gHole.holePicture.get(), kFigureTopX, kFigureTopY, 32, 32, kFigureSpriteIdle, 0,
               gHole.figurePicture.get(), 0);
    }
  }
}

void AnimateButterfly() {
  if (gRound.currentHole != 16 || gRound.playPhase != kPhaseRolling) return;
  SpriteState& s = gSprites;
  const uint32_t now = timeGetTime();
  // Between rolls the deadline goes stale; start flapping afresh instead of catching up.
  const int32_t offset = static_cast<int32_t>(now - s.butterflyDeadline);
  if (offset > kButterflyClockSlack || offset < -kButterflyClockSlack) s.butterflyDeadline = now - 1;
  if (static_cast<int32_t>(now - s.butterflyDeadline) <= 0) return;
  s.butterflyDeadline += kButterflyFrameMs;
  s.butterflyFrame += 1;
  if (s.butterflyFrame < kButterflyFlaps) {
    BlitRect(gDisplay.primary, kButterflyX, kButterflyY, kButterflySize, kButterflySize,
             kButterflySize * s.butterflyFrame, 0, gHole.figurePicture.get(), 0);
  } else if (s.butterflyFrame >= s.butterflyLimit) {
    // Rest a random while before flapping again: the next round of flaps starts after 16 to 64 ticks.
    s.butterflyFrame = 0;
    s.butterflyLimit = kButterflyFlaps + (49 * Random()) / 32768;
  }
}

void ResetSpritesForTest() { gSprites = SpriteState{}; }
