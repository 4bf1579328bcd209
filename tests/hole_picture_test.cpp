// The hole painter: sample holes that between them use every look, border and scenery kind are drawn the same
// every time in 16-bit colours, keep scenery off the green, give each ground its own colour family, and fit on
// the course sheet.
#include "tools/coursebuild/hole_picture.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "platform/draw/surface.h"

namespace {

SceneryItem Area(SceneryKind kind, std::vector<MapPt> points) { return {kind, std::move(points), 0}; }
SceneryItem Path(SceneryKind kind, std::vector<MapPt> points, int32_t width) {
  return {kind, std::move(points), width};
}
SceneryItem Thing(SceneryKind kind, int32_t x, int32_t y, int32_t size) { return {kind, {{x, y}}, size}; }

// An L of wooden-bordered felt with water, sand, slopes, strength strips, a rock, launch and return lines and a
// bumper, in heather and gorse with a brook, its bridge, a track, a dry-stone wall, trees, rocks and sheep.
HoleMap MoorHole() {
  HoleMap m;
  m.Rect(40, 60, 600, 200, 3, kFelt);
  m.Rect(420, 200, 600, 400, 3, kFelt);
  m.Ellipse(300, 130, 40, 25, 9, kWaterLook);
  m.Ellipse(500, 330, 40, 22, 10, kSand);
  m.Rect(160, 60, 220, 200, 0x80, kSlopeLook);
  m.Rect(420, 230, 600, 280, 0x84, kSlopeLook);
  m.Rect(240, 60, 244, 200, 122, kStrength);
  m.Rect(380, 60, 384, 200, 127, kStrength);
  m.Disc(560, 60, 18, 4, kRock);
  m.Rect(110, 60, 111, 200, 21, kLaunchLook);
  for (int32_t t = 0; t < 8; ++t) {
    m.Rect(116 + t, 122 + t, 118 + t, 123 + t, 3, kArrow);
    m.Rect(116 + t, 138 - t, 118 + t, 139 - t, 3, kArrow);
  }
  m.Rect(140, 60, 146, 200, 22, kReturnLook);
  m.Disc(460, 380, 10, 26, kBumper);
  m.Pad(50, 110, 80, 150);
  m.Cup(540, 370, 0);
  m.Walls();
  m.scenery = {Area(SceneryKind::Heather, {{0, 0}, {640, 0}, {640, 40}, {300, 52}, {0, 45}}),
               Area(SceneryKind::Gorse, {{0, 210}, {90, 215}, {120, 260}, {60, 300}, {0, 290}}),
               Path(SceneryKind::DryStone, {{0, 228}, {200, 222}, {400, 226}}, 7),
               Path(SceneryKind::Brook, {{100, 480}, {160, 380}, {260, 330}, {410, 300}}, 14),
               Thing(SceneryKind::Bridge, 200, 355, 36),
               Path(SceneryKind::Track, {{0, 430}, {120, 420}, {300, 460}, {410, 440}}, 10),
               Thing(SceneryKind::Tree, 60, 360, 22),
               Thing(SceneryKind::Tree, 340, 395, 15),
               Thing(SceneryKind::Tree, 622, 440, 14),  // its crown would reach the wall: it is cut there
               Thing(SceneryKind::Rock, 380, 262, 6),
               Thing(SceneryKind::Rock, 620, 240, 9),
               Thing(SceneryKind::Sheep, 250, 420, 0),
               Thing(SceneryKind::Sheep, 280, 400, 1)};
  return m;
}

// Two stone-bordered rooms joined by a tunnel, with a teleport pad, an outlet, a planked glide over water, ice,
// a flower bed, a glide pipe and its gate, the chute, centre switches round a bowl, a hump, and the butterfly's bed;
// around them a pool, scree, bracken, wild flowers, a mill and a cottage.
HoleMap TunnelHole() {
  HoleMap m;
  m.border = Border::Stone;
  m.Rect(40, 40, 300, 400, 3, kFelt);
  m.Rect(340, 40, 600, 400, 3, kFelt);
  m.Rect(290, 60, 300, 100, 0xC0, kMouth);
  m.Rect(340, 300, 350, 340, 0xE4, kMouth);
  m.Rect(470, 60, 500, 90, 3, kTeleportPad);
  m.Rect(560, 200, 569, 221, 3, kOutlet);
  m.Rect(40, 180, 300, 240, 9, kWaterLook);
  m.Rect(140, 180, 180, 186, 24, kBridge);
  m.Rect(140, 186, 180, 234, 9, kBridge);
  m.Rect(140, 234, 180, 240, 25, kBridge);
  m.Rect(60, 280, 160, 380, 23, kIce);
  m.Ellipse(230, 320, 40, 25, 5, kFlowers);
  m.Rect(360, 123, 580, 130, 0xA3, kPipeWall);
  m.Rect(360, 130, 580, 160, 3, kPipe);
  m.Rect(360, 160, 580, 167, 0xA1, kPipeWall);
  m.Rect(580, 140, 584, 160, 0xA0, kGate);
  m.Rect(560, 300, 570, 340, 20, kChuteLook);
  m.Rect(285, 4, 346, 30, 0, kBed);
  m.Rect(420, 250, 426, 400, 14, kSwitchOn);
  m.Rect(440, 250, 446, 400, 13, kSwitchOff);
  m.Disc(510, 330, 45, 0xB0, kBowlLook);
  m.centre[0] = {510, 330};
  m.Disc(500, 220, 24, 0xB1, kHumpLook);
  m.centre[1] = {500, 220};
  m.Pad(60, 100, 90, 130);
  m.Cup(200, 80, 0);
  m.Walls();
  m.scenery = {Area(SceneryKind::Pool, {{60, 420}, {200, 412}, {260, 440}, {180, 470}, {70, 462}}),
               Area(SceneryKind::Scree, {{520, 0}, {640, 0}, {640, 120}, {610, 60}}),
               Area(SceneryKind::Bracken, {{0, 40}, {30, 60}, {30, 400}, {0, 420}}),
               Area(SceneryKind::Flowers, {{270, 412}, {400, 412}, {420, 470}, {280, 475}}),
               Thing(SceneryKind::Mill, 470, 445, 30),
               Thing(SceneryKind::Cottage, 580, 450, 48)};
  return m;
}

// Brick-bordered stadium with curved ends round a grid of all sixteen slopes.
HoleMap SlopeHole() {
  HoleMap m;
  m.border = Border::Brick;
  m.Rect(160, 60, 480, 380, 3, kFelt);
  m.Disc(160, 220, 160, 3, kFelt);
  m.Disc(480, 220, 160, 3, kFelt);
  for (int32_t j = 0; j < 4; ++j)
    for (int32_t i = 0; i < 4; ++i)
      m.Rect(200 + 60 * i, 100 + 60 * j, 260 + 60 * i, 160 + 60 * j, static_cast<uint8_t>(0x80 + 4 * j + i),
             kSlopeLook);
  m.Pad(20, 200, 50, 240);
  m.Cup(600, 220, 0);
  m.Walls();
  m.CurvedWalls(160, 220, 0, [](int32_t x, int32_t) { return x < 160; });
  m.CurvedWalls(480, 220, 1, [](int32_t x, int32_t) { return x >= 480; });
  return m;
}

const Bitmap& Picture(int32_t sample) {
  static const std::array<Bitmap, 3> pictures = {DrawHolePicture(MoorHole()), DrawHolePicture(TunnelHole()),
                                                 DrawHolePicture(SlopeHole())};
  return pictures[static_cast<size_t>(sample)];
}

uint32_t At(const Bitmap& b, int32_t x, int32_t y) { return b.rgb[static_cast<size_t>(y) * b.width + x]; }

TEST(HolePicture, SameBytesEveryTimeInSixteenBitColours) {
  const Bitmap again = DrawHolePicture(TunnelHole());
  ASSERT_EQ(again.width, 640);
  ASSERT_EQ(again.height, 480);
  EXPECT_EQ(again.rgb, Picture(1).rgb);
  for (const uint32_t p : again.rgb) ASSERT_EQ(p, Color565ToRgb(ColorTo565(p)));
}

TEST(HolePicture, SceneryOnlyBeyondTheGreen) {
  HoleMap bare = MoorHole();
  bare.scenery.clear();
  const Bitmap without = DrawHolePicture(bare);
  int32_t changed = 0;
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kMapW; ++x) {
      if (At(without, x, y) == At(Picture(0), x, y)) continue;
      ++changed;
      ASSERT_EQ(bare.LookAt(x, y), kVoid) << "scenery painted at (" << x << ", " << y << ")";
    }
  EXPECT_GT(changed, 20000);  // the scenery is there
}

// Pools beyond the green freeze on a hole whose green has ice: pale ice instead of dark water.
TEST(HolePicture, PoolsFreezeWhereTheGreenHasIce) {
  HoleMap m = MoorHole();
  m.scenery = {Area(SceneryKind::Pool, {{210, 250}, {330, 250}, {330, 300}, {210, 300}})};
  const Bitmap open = DrawHolePicture(m);
  m.Rect(450, 80, 500, 120, 23, kIce);
  const Bitmap frozen = DrawHolePicture(m);
  auto brightness = [](const Bitmap& b) {
    int64_t sum = 0;
    for (int32_t y = 270; y < 290; ++y)
      for (int32_t x = 250; x < 300; ++x) {
        const uint32_t p = At(b, x, y);
        sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
      }
    return sum / 1000;
  };
  EXPECT_LT(brightness(open), 350);
  EXPECT_GT(brightness(frozen), 500);
}

// Each ground reads as its kind: the mean colour of its pixels over the three samples.
TEST(HolePicture, EachLookKeepsItsColourFamily) {
  const std::array<HoleMap, 3> maps = {MoorHole(), TunnelHole(), SlopeHole()};
  std::array<std::array<int64_t, 4>, kLookCount> sum{};
  for (size_t s = 0; s < maps.size(); ++s)
    for (int32_t y = 0; y < kFieldRows; ++y)
      for (int32_t x = 0; x < kMapW; ++x) {
        const uint32_t p = At(Picture(static_cast<int32_t>(s)), x, y);
        auto& t = sum[maps[s].LookAt(x, y)];
        t[0] += (p >> 16) & 0xFF, t[1] += (p >> 8) & 0xFF, t[2] += p & 0xFF, t[3] += 1;
      }
  for (int32_t look = 0; look < kLookCount; ++look) ASSERT_GT(sum[look][3], 0) << "look " << look << " unused";
  auto mean = [&](int32_t look, int32_t channel) { return sum[look][channel] / sum[look][3]; };
  auto brightness = [&](int32_t look) { return mean(look, 0) + mean(look, 1) + mean(look, 2); };
  for (const int32_t look : {kFelt, kSlopeLook, kBowlLook, kHumpLook, kFunnelLip})
    EXPECT_GT(mean(look, 1), mean(look, 0) + 30) << "look " << look << " is not green";
  EXPECT_GT(mean(kWaterLook, 2), mean(kWaterLook, 0) + 40);
  EXPECT_GT(mean(kSand, 0), mean(kSand, 2) + 40);
  EXPECT_GT(mean(kSand, 1), mean(kFelt, 1));
  EXPECT_GT(mean(kWall, 0), mean(kWall, 1));  // wood, stone and brick are all warm
  EXPECT_LT(brightness(kCupHole), brightness(kFelt));
  EXPECT_LT(brightness(kMouth), 150);
  EXPECT_LT(brightness(kPadMat), brightness(kFelt));
  EXPECT_GT(mean(kIce, 2), 200);
  EXPECT_GT(mean(kSwitchOn, 0), mean(kSwitchOn, 2));
  EXPECT_GT(mean(kSwitchOff, 2), mean(kSwitchOff, 0));
}

TEST(HolePicture, CourseSheetHoldsEveryHole) {
  char folder[] = "/tmp/hole_picture_test_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::filesystem::path sheet = std::filesystem::path(folder) / "course-sheet.png";
  std::string error;
  ASSERT_TRUE(WriteCourseSheet(std::vector<Bitmap>(18, Picture(0)), sheet, &error)) << error;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, sheet.c_str()));
  EXPECT_EQ(image.width, 6u + 6 * (213 + 6));  // six a row at a third of the size
  EXPECT_EQ(image.height, 6u + 3 * (14 + 147 + 6));
  png_image_free(&image);
  EXPECT_FALSE(WriteCourseSheet({}, sheet, &error));
  EXPECT_FALSE(WriteCourseSheet({Picture(0)}, sheet / "sheet.png", &error));  // a file, not a folder
  std::filesystem::remove_all(folder);
}

}  // namespace
