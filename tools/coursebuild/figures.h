// The Brindlemoor figures: the players' ball sheets, the waving flag, the butterfly basking on hole 16's flower
// bed and the duck that carries the ball through hole 18's chute, with the two duck tubs at the chute's ends.
// Painted like the greens (float colour, light from the top left, the 16-bit ordered dither), deterministic.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/draw/bmp.h"

// Where the game copies the butterfly's frames, and where hole 18 draws its tubs.
constexpr int32_t kButterflyLeft = 295, kButterflyTop = 21, kButterflySide = 40, kButterflyFrames = 16;
constexpr int32_t kTubLeft = 499, kTopTubTop = 104, kBottomTubTop = 304, kDuckSide = 32;
// The duck sheet's single sprites: the top tub once the duck has left it, the top tub with the duck waiting,
// the bottom tub still calm, the bottom tub with the duck just arrived.
constexpr int32_t kTopTubEmpty = 512, kTopTubDuck = 544, kBottomTubEmpty = 576, kBottomTubDuck = 608;

// Player 1..8's ball: 9 x 9 frames of 11 x 11 (rolling rows 0..7, then cursor, rest, sinking and teleporting),
// magenta where transparent.
Bitmap DrawBallSheet(int32_t player);
// Eight 64 x 64 frames of the flag waving, its pole's foot at (1, 63) of each frame; magenta where transparent.
Bitmap DrawFlagSheet();
// Sixteen frames of the butterfly at (left, top) of `bed`: frame 0 and frame 15 at rest with open wings, 1..14
// two wing beats. The game copies them without key, so every frame is painted over bed's own pixels there.
Bitmap DrawButterflySheet(const Bitmap& bed, int32_t left = kButterflyLeft, int32_t top = kButterflyTop);
// The duck facing 8-step direction d at x = 64 d (the ball rides on its back, at the frame's centre), and the
// four tub sprites at x = 512, 544, 576 and 608; magenta where transparent.
Bitmap DrawDuckSheet();

// What a hole's picture shows of its figure at rest, painted into the picture: the butterfly on hole 16 (frame
// 0, over the picture's own bed), the tubs on hole 18 as the game shows them whenever the flag is drawn. Other
// holes are left alone.
void PlaceFigureAtRest(int32_t hole, Bitmap& picture);

// Writes Holes/buttfly.bmp (over hole16Bed, hole 16's picture before PlaceFigureAtRest), Holes/ducky.bmp,
// Balls/Ball1..8.bmp and Balls/Flag.bmp under gameDir; false with the reason in *error.
bool WriteCourseSprites(const std::filesystem::path& gameDir, const Bitmap& hole16Bed, std::string* error);
