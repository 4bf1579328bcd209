// Map codes: family tests, names, and the direction toward a point.
#include <gtest/gtest.h>

#include "green/hole.h"
#include "green/mapcodes.h"

TEST(MapCodesTest, FamiliesAndNames) {
  for (int32_t code = 0; code < 256; ++code) {
    const auto c = static_cast<uint8_t>(code);
    const bool funnel = code >= 0x90 && code <= 0x9F;
    EXPECT_EQ(IsRestingPlace(c), code == 1 || code == 2 || code == 3 || code == 10 || funnel) << code;
    EXPECT_EQ(IsHoled(c), code == 2 || funnel) << code;
    EXPECT_EQ(IsWallForNormal(c), code == 4 || (code >= 0xA0 && code <= 0xAF)) << code;
  }
  gHole.holeSlopeStrength = 3;
  EXPECT_EQ(MapCodeName(0x80), "Down East 45");
  EXPECT_EQ(MapCodeName(0x83), "Down SE 45");  // (code >> 1) & 7 picks the name
  EXPECT_EQ(MapCodeName(0x8E), "Down NE 45");
  EXPECT_EQ(MapCodeName(1), "STARTING PAD");
  EXPECT_EQ(MapCodeName(9), "WATER");
  EXPECT_EQ(MapCodeName(0x97), "HOLE");
  EXPECT_EQ(MapCodeName(0xB2), "TRY IT!");
  EXPECT_EQ(MapCodeName(3), "");
  EXPECT_EQ(MapCodeName(0xC5), "");
  gHole.holeSlopeStrength = 12;  // out of range counts as 1
  EXPECT_EQ(MapCodeName(0x88), "Down West 15");
  gHole.holeSlopeStrength = -1;
  EXPECT_EQ(MapCodeName(0x8C), "Down North 15");
  gHole.holeSlopeStrength = 0;
  EXPECT_EQ(MapCodeName(0x84), "Down South 0");  // (0x84 >> 1) & 7 is 2
}

TEST(MapCodesTest, DirectionTowardAPoint) {
  EXPECT_EQ(DirectionToward(100, 100, 200, 100), 0);    // east
  EXPECT_EQ(DirectionToward(100, 100, 200, 190), 2);    // south-east
  EXPECT_EQ(DirectionToward(100, 100, 100, 200), 4);    // south
  EXPECT_EQ(DirectionToward(100, 100, 0, 100), 8);      // west
  EXPECT_EQ(DirectionToward(100, 100, 20, 30), 10);     // north-west
  EXPECT_EQ(DirectionToward(100, 100, 100, 0), 12);     // north
  EXPECT_EQ(DirectionToward(100, 100, 190, 20), 14);    // north-east
  EXPECT_EQ(DirectionToward(100, 100, 150, 0), 12);     // 2 x 50 is not above 100: mostly vertical
  EXPECT_EQ(DirectionToward(100, 100, 104, 100), 16);   // 4 east: close
  EXPECT_EQ(DirectionToward(100, 100, 105, 100), 0);    // 5 east: not close
  EXPECT_EQ(DirectionToward(100, 100, 98, 98), 10 + 16);
}
