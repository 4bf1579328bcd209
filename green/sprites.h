// The ball's sprites and animations: at rest, rolling, under the cursor, sinking, splashing, teleporting;
// the waving flag and hole 16's butterfly. While the ball rolls it is drawn straight onto the screen
// through a 32x32 patch at the back buffer's top-left corner.
#pragma once

#include <cstdint>

struct SpriteState {
  int16_t rollPhase = 0;
  int16_t halfRateToggle = 0;
  int32_t flagFrame = 0;
  uint32_t flagDeadline = 0;
  int32_t butterflyFrame = 0;
  uint32_t butterflyDeadline = 0;
  int32_t butterflyLimit = 16;
};

extern SpriteState gSprites;

void DrawBall(int32_t row, int32_t column);
void DrawRollingBall();
void RestoreUnderBall();
void SinkBall();
void SplashBall();
void TeleportBall();
void DrawCursorBall();
void DrawFlag();
void AnimateButterfly();

void ResetSpritesForTest();
