// Hole 1's pad and cup and the title picture's colours, read with the game's own modules on the headless
// backend, so the profile follows whatever course the game folder holds.
#include "bench/profile_hole.h"

#include <cstdlib>

#include "green/features.h"
#include "green/hole.h"
#include "green/mapcodes.h"
#include "media/picture.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "round/round_data.h"

namespace {

bool EnterGameFolder(const std::string& gameDir) {
  HeadlessReset(HeadlessConfig{});
  return SetCurrentDirectoryA(gameDir);
}

}  // namespace

bool ReadHoleOne(const std::string& gameDir, ProfileHole* hole, std::string* error) {
  if (!EnterGameFolder(gameDir)) {
    *error = "cannot enter the game folder " + gameDir;
    return false;
  }
  gRound.currentHole = 1;
  LoadHole();
  if (!gHole.holePicture) {
    *error = gameDir + "/Holes: hole 1 cannot be loaded";
    return false;
  }
  int64_t sumX = 0, sumY = 0, count = 0;
  for (int32_t y = 0; y < 440; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      if (MapCodeAt(x, y) != kCodeStartPad) continue;
      sumX += x;
      sumY += y;
      ++count;
    }
  }
  if (count == 0) {
    *error = gameDir + "/Holes: hole 1 has no start pad";
    return false;
  }
  // The pad pixel nearest the pad's centre of mass: a ring-shaped pad may not hold its own centre.
  const int64_t cx = sumX / count, cy = sumY / count;
  int64_t best = -1;
  for (int32_t y = 0; y < 440; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      if (MapCodeAt(x, y) != kCodeStartPad) continue;
      const int64_t d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      if (best < 0 || d < best) {
        best = d;
        hole->pad = {x, y};
      }
    }
  }
  CupPoint(&hole->cup.x, &hole->cup.y);
  return true;
}

int64_t TitleColorAt(const std::string& gameDir, int32_t x, int32_t y) {
  static SurfacePtr title;
  if (!title) {
    if (!EnterGameFolder(gameDir)) return -1;
    title = LoadKeyedSurface("Data\\Title.bmp");
  }
  if (!title || x < 0 || y < 0 || x >= title->width || y >= title->height) return -1;
  const COLORREF c = Color565ToRgb(SurfaceRow(title.get(), y)[x]);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
