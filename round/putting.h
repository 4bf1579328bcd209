// Putting input: the mouse during a round (placing, striking, continuing, the on-screen buttons, the
// right-button information label) and the aim line from the ball to the pointer.
#pragma once

#include <cstdint>

// Button codes of PlayMouse.
constexpr int32_t kMouseLeftUp = 1;
constexpr int32_t kMouseRightUp = 2;
constexpr int32_t kMouseRightDown = 3;

void PlayMouse(int32_t x, int32_t y, int32_t code);
void DrawAimLine();
int32_t IntegerSquareRoot(int32_t v);

// The aim line's end: the pointer, or 200 pixels toward it when it is further away.
void AimEnd(int32_t ballX, int32_t ballY, int32_t x, int32_t y, int32_t* endX, int32_t* endY);
