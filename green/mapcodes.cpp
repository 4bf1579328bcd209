// Map codes: the code under a point, the family tests, the names shown under the pointer, and the
// direction toward a point that funnels and centre slopes push along.
#include "green/mapcodes.h"

#include <cstdio>
#include <cstdlib>

#include "green/hole.h"

uint8_t MapCodeAt(int32_t x, int32_t y) { return gHole.codeTable[MapRawValue(x, y)]; }

bool IsRestingPlace(uint8_t code) {
  return code == kCodeStartPad || code == kCodeCup || code == kCodeGreen || code == kCodeHeavy ||
         (code & 0xF0) == kCodeFunnel;
}

bool IsHoled(uint8_t code) { return code == kCodeCup || (code & 0xF0) == kCodeFunnel; }

bool IsWallForNormal(uint8_t code) { return code == kCodeRoughWall || (code & 0xF0) == kCodeWall; }

std::string MapCodeName(uint8_t code) {
  static const char* const kDown[8] = {"Down East %d", "Down SE %d",   "Down South %d", "Down SW %d",
                                       "Down West %d", "Down NW %d",   "Down North %d", "Down NE %d"};
  if (code == kCodeStartPad) return "STARTING PAD";
  if (code == kCodeWater) return "WATER";
  switch (code & 0xF0) {
    case kCodeSlope: {
      // A strength outside 0..9 counts as 1, as it does for the slopes themselves.
      const int32_t strength = gHole.holeSlopeStrength >= 0 && gHole.holeSlopeStrength <= 9 ? gHole.holeSlopeStrength : 1;
      char text[32];
      std::snprintf(text, sizeof text, kDown[(code >> 1) & 7], strength * 15);
      return text;
    }
    case kCodeFunnel: return "HOLE";
    case kCodeCentreSlope: return "TRY IT!";
    default: return "";
  }
}

int32_t DirectionToward(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
  // 8-step directions by quadrant and by column (mostly horizontal, diagonal, mostly vertical).
  static const int32_t kByQuadrant[4][3] = {{0, 1, 2}, {4, 3, 2}, {4, 5, 6}, {0, 7, 6}};
  int32_t dx = toX - fromX;
  int32_t dy = toY - fromY;
  const int32_t quadrant = dy < 0 ? (dx < 0 ? 2 : 3) : (dx < 0 ? 1 : 0);
  dx = std::abs(dx);
  dy = std::abs(dy);
  const int32_t column = 2 * dy < dx ? 0 : (2 * dx > dy ? 1 : 2);
  const int32_t direction = 2 * kByQuadrant[quadrant][column];
  return dx + dy < 5 ? direction + 16 : direction;
}
