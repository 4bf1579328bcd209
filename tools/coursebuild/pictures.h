// The pictures coursebuild draws for the game folder. Pure functions: the same words give the same pixels,
// on every machine and build type.
#pragma once

#include <cstdint>
#include <string>

#include "platform/draw/bmp.h"

constexpr int32_t kTitleWidth = 640;
constexpr int32_t kTitleHeight = 480;
constexpr int32_t kGrassSide = 64;

// The two names lettered on the title picture.
struct TitleWords {
  std::string product = "Quillmere";
  std::string course = "Brindlemoor";
};

// The lettering stays above this row, leaving the middle of the screen to the menus drawn over it.
constexpr int32_t kLetteringBottom = 160;

// The 640x480 title screen: a day-lit miniature-golf scene with the product name large across the top and
// the course name below it. An empty bitmap if the lettering font cannot be opened or a name is too wide
// for the screen.
Bitmap DrawTitlePicture(const TitleWords& words);
inline Bitmap DrawTitlePicture() { return DrawTitlePicture(TitleWords{}); }

// The 64x64 lawn behind the score screens; it tiles without seams.
Bitmap DrawGrassTile();
