// The Brindlemoor figures: sheet sizes and keys, a figure in every frame, and a butterfly that blends into
// whatever flower bed it is copied over.
#include "tools/coursebuild/figures.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/coursebuild/raster.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF;

uint32_t Pixel(const Bitmap& b, int32_t x, int32_t y) { return b.rgb[static_cast<size_t>(y) * b.width + x]; }

// Key pixels in the side x side frame at (left, top).
int32_t KeyPixels(const Bitmap& sheet, int32_t left, int32_t side, int32_t top = 0) {
  int32_t keys = 0;
  for (int32_t y = 0; y < side; ++y)
    for (int32_t x = 0; x < side; ++x) keys += Pixel(sheet, left + x, top + y) == kKey;
  return keys;
}

TEST(Figures, KeyedSheetsHaveTheirSizesKeysAndAFigureInEveryFrame) {
  for (int32_t player = 1; player <= 8; ++player) {
    const Bitmap ball = DrawBallSheet(player);
    ASSERT_EQ(ball.width * 1000 + ball.height, 99099);
    EXPECT_EQ(ball.rgb, DrawBallSheet(player).rgb);
    EXPECT_EQ(ball.rgb[0], kKey);
    for (int32_t frame = 0; frame < 81; ++frame)  // the last teleport frame is only glints
      EXPECT_LE(KeyPixels(ball, 11 * (frame % 9), 11, 11 * (frame / 9)), frame == 79 ? 116 : 112)
          << "player " << player << " frame " << frame;
    EXPECT_NE(Pixel(DrawBallSheet(player % 8 + 1), 16, 93), Pixel(ball, 16, 93));  // each player's own colour
  }
  const Bitmap flag = DrawFlagSheet();
  ASSERT_EQ(flag.width * 1000 + flag.height, 512064);
  EXPECT_EQ(flag.rgb[0], kKey);
  for (int32_t k = 0; k < 8; ++k) {
    EXPECT_NE(Pixel(flag, 64 * k + 1, 63), kKey) << k;  // the pole stands in the cup
    EXPECT_LT(KeyPixels(flag, 64 * k, 64), 64 * 64 - 500) << k;
  }
  const Bitmap ducks = DrawDuckSheet();
  ASSERT_EQ(ducks.width * 1000 + ducks.height, 640032);
  EXPECT_EQ(ducks.rgb, DrawDuckSheet().rgb);
  EXPECT_EQ(ducks.rgb[0], kKey);
  for (int32_t d = 0; d < 8; ++d) {
    EXPECT_LT(KeyPixels(ducks, 64 * d, kDuckSide), 32 * 32 - 250) << d;
    EXPECT_NE(Pixel(ducks, 64 * d + 16, 16), kKey) << d;                // the back the ball rides on
    EXPECT_EQ(KeyPixels(ducks, 64 * d + 32, kDuckSide), 32 * 32) << d;  // nothing between the frames
  }
  // The tubs are copied without key and must cover what is below them entirely.
  for (const int32_t tub : {kTopTubEmpty, kTopTubDuck, kBottomTubEmpty, kBottomTubDuck})
    EXPECT_EQ(KeyPixels(ducks, tub, kDuckSide), 0) << tub;
}

TEST(Figures, ButterflyFramesAreTheBedTheyAreCopiedOver) {
  Bitmap bed{640, 480, std::vector<uint32_t>(640 * 480)};
  for (int32_t y = 0; y < 480; ++y)
    for (int32_t x = 0; x < 640; ++x) bed.rgb[static_cast<size_t>(y) * 640 + x] = raster::Hash2(x, y, 16) & 0xF8FCF8;
  const Bitmap sheet = DrawButterflySheet(bed);
  ASSERT_EQ(sheet.width * 1000 + sheet.height, 640040);
  EXPECT_EQ(sheet.rgb, DrawButterflySheet(bed).rgb);
  for (int32_t i = 0; i < kButterflyFrames; ++i) {
    int32_t changed = 0, border = 0;
    for (int32_t y = 0; y < kButterflySide; ++y)
      for (int32_t x = 0; x < kButterflySide; ++x) {
        const bool same = Pixel(sheet, 40 * i + x, y) == Pixel(bed, kButterflyLeft + x, kButterflyTop + y);
        changed += !same;
        if (x == 0 || y == 0 || x == kButterflySide - 1 || y == kButterflySide - 1) border += !same;
      }
    EXPECT_EQ(border, 0) << "frame " << i << " shows its edge on the bed";
    EXPECT_GT(changed, 40) << "frame " << i;
    bool likeRest = true;
    for (int32_t y = 0; y < kButterflySide; ++y)
      for (int32_t x = 0; x < kButterflySide; ++x) likeRest &= Pixel(sheet, 40 * i + x, y) == Pixel(sheet, x, y);
    EXPECT_EQ(likeRest, i == 0 || i == 15) << "frame " << i;  // it settles as it started, beating between
  }
  // The picture shows frame 0, so the screen looks the same whether it was rebuilt or the beat just ended.
  Bitmap picture = bed;
  PlaceFigureAtRest(16, picture);
  for (int32_t y = 0; y < 480; ++y)
    for (int32_t x = 0; x < 640; ++x) {
      const int32_t fx = x - kButterflyLeft, fy = y - kButterflyTop;
      const bool inPatch = fx >= 0 && fy >= 0 && fx < kButterflySide && fy < kButterflySide;
      ASSERT_EQ(Pixel(picture, x, y), inPatch ? Pixel(sheet, fx, fy) : Pixel(bed, x, y)) << x << "," << y;
    }
}

TEST(Figures, ATooSmallHoleSixteenPictureIsRefusedByName) {
  std::string error;
  EXPECT_FALSE(WriteCourseSprites(testing::TempDir(), Bitmap{320, 40, std::vector<uint32_t>(320 * 40)}, &error));
  EXPECT_NE(error.find("hole 16's picture is 320 x 40"), std::string::npos) << error;
}

}  // namespace
