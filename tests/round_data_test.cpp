// The round's records: the course's pars and the values the program starts with.
#include "round/round_data.h"

#include <gtest/gtest.h>

#include "tests/fixture.h"

TEST(RoundDataTest, CourseParsAndStartValues) {
  ResetAllForTest();
  int32_t front = 0, back = 0;
  for (int32_t hole = 1; hole <= 18; ++hole) (hole <= 9 ? front : back) += HolePar(hole);
  EXPECT_EQ(front, 20);
  EXPECT_EQ(back, 22);
  EXPECT_EQ(HolePar(11), 4);
  EXPECT_EQ(HolePar(0), 0);
  EXPECT_EQ(HolePar(19), 0);
  EXPECT_STREQ(gRound.course.name, "Brindlemoor");
  EXPECT_STREQ(gRound.course.holes[17].name, "Hole 18");
  EXPECT_STREQ(gRound.players[7].name, "Player 8");
  EXPECT_EQ(gRound.playerCount, 0);
  EXPECT_EQ(gRound.playPhase, kPhaseNewRound);
  EXPECT_EQ(gRound.lastCursor.x, kNoPosition);
  EXPECT_EQ(gRound.padPosition.y, kNoPosition);
  EXPECT_EQ(gRound.aimPoint.x, 0);
}

TEST(RoundDataTest, PhaseChangesAreTraced) {
  ResetAllForTest();
  SetPlayPhase(kPhasePlacing);
  SetPlayPhase(kPhasePlacing);
  SetPlayPhase(kPhaseAiming);
  ASSERT_EQ(HeadlessTraces().size(), 2u);
  EXPECT_EQ(HeadlessTraces()[0].what, "phase");
  EXPECT_EQ(HeadlessTraces()[1].value, kPhaseAiming);
}
