// Ball physics: the strike, the pixel step and its pacing, pushes, friction, rebounds, the ground step and
// the rolling loop's time guard, on maps built in the test.
#include "green/physics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>

#include "green/hole.h"
#include "green/mapcodes.h"
#include "round/round_data.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

// A green of code 3, the code table as identity, the ball rolling on hole 1 at stroke 1.
class PhysicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAllForTest();
    for (int32_t i = 0; i < 256; ++i) gHole.codeTable[i] = static_cast<uint8_t>(i);
    FillMapCodes(0, 0, 639, 479, kCodeGreen);
    gRound.currentHole = 1;
    gRound.strokeCounter = 1;
    gRound.playPhase = kPhaseRolling;
  }
  // Strikes from (x, y) toward the aim point and rolls until the ball rests; the milliseconds scheduled.
  static uint32_t Stroke(int16_t x, int16_t y, int32_t aimX, int32_t aimY) {
    gRound.ball = B(x, y, 0, 0);
    gRound.aimPoint = {aimX, aimY};
    StrikeBall();
    gRound.playPhase = kPhaseRolling;
    RollBall();
    return gShell.frameDeadline - gShell.frameBase;
  }
  // One pixel step and its ground step.
  static std::string Step(const BallState& from, int16_t accumulator) {
    gRound.ball = from;
    gMotion.stepAccumulator = accumulator;
    PixelStep();
    ApplyGround();
    return S(gRound.ball);
  }
  // The ground step alone on a pixel of the given code.
  static std::string Ground(uint8_t code, const BallState& ball) {
    PutMapCode(ball.x, ball.y, code);
    gRound.ball = ball;
    ApplyGround();
    return S(gRound.ball);
  }
};

}  // namespace

// ---- Pure cores -------------------------------------------------------------------------------------------

TEST(PhysicsCoreTest, StrikeIsSixTimesTheAimOffsetIn16Bits) {
  EXPECT_EQ(S(StrikeFromAim(B(100, 100, 0, 0, -1, -1), 110, 100)), "100,100 60,0 1,1");  // 0 is forward
  EXPECT_EQ(FirstAccumulator(60, 0), -60);
  EXPECT_EQ(S(StrikeFromAim(B(100, 100, 0, 0), 90, 70)), "100,100 60,180 -1,-1");
  EXPECT_EQ(FirstAccumulator(60, 180), 180);
  EXPECT_EQ(FirstAccumulator(30, 30), 30);
  // 6 x 5461 = 32766 fits; 6 x 6000 = 36000 wraps to -29536; the offset itself is 16-bit.
  EXPECT_EQ(S(StrikeFromAim(B(0, 0, 0, 0), 5461, 0)), "0,0 32766,0 1,1");
  EXPECT_EQ(S(StrikeFromAim(B(0, 0, 0, 0), 6000, 0)), "0,0 29536,0 -1,1");
  EXPECT_EQ(S(StrikeFromAim(B(0, 0, 0, 0), 65546, 0)), "0,0 60,0 1,1");
}

TEST(PhysicsCoreTest, PixelStepsSpendOnePixelOfSpeedPerAxis) {
  StepCore s{B(100, 100, 60, 0), -60, 0};  // 10 pixels to the right: one pixel right per step
  for (int32_t i = 1; i <= 60; ++i) {
    s = StepPixel(s.ball, s.accumulator);
    ASSERT_EQ(std::tuple(s.ball.x, s.pace), std::tuple(100 + i, 60 - i));
  }
  s = {B(100, 100, 20, 20), 20, 0};  // (20, 20): twenty diagonal steps at half pace
  for (int32_t i = 1; i <= 20; ++i) {
    s = StepPixel(s.ball, s.accumulator);
    ASSERT_TRUE(s.ball.x == 100 + i && s.ball.y == 100 + i) << i;
  }
  EXPECT_EQ(S(s.ball), "120,120 0,0 1,1");
  EXPECT_EQ(StepPixel(B(0, 0, 20, 20), 20).pace, 19);  // (20 + 19) >> 1
  // (30, 10) up and left: three straight steps, then a diagonal one; 30 and 10 pixels in all.
  s = {B(300, 300, 30, 10, -1, -1), -30, 0};
  std::string kinds;
  while (s.ball.speedX + s.ball.speedY > 0) {
    const BallState before = s.ball;
    s = StepPixel(s.ball, s.accumulator);
    ASSERT_LE(std::abs(s.ball.x - before.x) + std::abs(s.ball.y - before.y), 2);
    kinds += s.ball.y != before.y ? (s.ball.x != before.x ? 'd' : 'v') : 'h';
  }
  EXPECT_EQ(S(s.ball) + " " + kinds.substr(0, 4), "270,290 0,0 -1,-1 hhhd");
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'd'), 10);
  EXPECT_EQ(StepPixel(B(50, 50, 5, 0, 0, 0), -5).ball.x, 51);  // direction 0 counts as +1
  // The pace is 16-bit with an arithmetic shift: 20000 + 19999 wraps to -25537, halved to -12769.
  EXPECT_EQ(StepPixel(B(0, 0, 20000, 20000), 20000).pace, -12769);
  // Delays: 1000 / pace within 2..64, none without pace or speed.
  EXPECT_EQ(StepDelay(1000, 500, 500), 2);
  EXPECT_EQ(StepDelay(10, 5, 5), 64);
  EXPECT_EQ(StepDelay(16, 8, 8), 62);
  EXPECT_EQ(StepDelay(-12769, 9, 9), 2);
  EXPECT_EQ(std::tuple(StepDelay(0, 5, 5), StepDelay(7, 0, 0)), std::tuple(0, 0));
}

TEST(PhysicsCoreTest, PushesAndFriction) {
  uint8_t toggle = 0;
  BallState b = PushCore(B(10, 10, 0, 0), 1, 3, &toggle);  // 0x81: east, then south-east
  EXPECT_EQ(S(b) + " " + S(PushCore(b, 1, 3, &toggle)), "10,10 3,0 1,1 10,10 6,3 1,1");
  b = PushCore(B(10, 10, 0, 0), 15, 2, &toggle);  // 0x8F: north-east, then east
  EXPECT_EQ(S(b) + " " + S(PushCore(b, 15, 2, &toggle)), "10,10 2,2 1,-1 10,10 4,2 1,-1");
  EXPECT_EQ(S(PushCore(B(0, 0, 2, 0, -1, 1), 0, 5, &toggle)), "0,0 3,0 1,1");     // turned round
  EXPECT_EQ(toggle, 0);                                                           // even: left alone
  EXPECT_EQ(S(PushCore(B(0, 0, 0, 0, -1, -1), 4, 0, &toggle)), "0,0 0,0 1,1");    // no velocity: forward
  EXPECT_EQ(S(PushCore(B(0, 0, 32767, 0), 0, 1, &toggle)), "0,0 -32768,0 -1,1");  // 16-bit velocity
  EXPECT_EQ(S(CupFrictionCore(B(1, 2, 40, 20))), "1,2 0,0 1,1");                  // 32 + 16 < 50
  EXPECT_EQ(S(CupFrictionCore(B(0, 0, 44, 22, -1, 1))), "0,0 35,17 -1,1");
  EXPECT_EQ(S(HeavyGroundCore(B(0, 0, 100, 15))), "0,0 93,14 1,1");
  EXPECT_EQ(HeavyGroundCore(B(0, 0, 3000, 0)).speedX, 2812);  // the product is not cut to 16 bits
}

TEST(PhysicsCoreTest, ReboundsOfTheThreeKinds) {
  const BallState moved = B(101, 101, 4, 1);
  auto r = [&moved](const BallState& prev, int32_t nx, int32_t ny, ReboundKind kind) {
    const ReboundCoreResult result = ReboundCore(moved, prev, nx, ny, kind);
    return S(result.ball) + " " + std::to_string(static_cast<int>(result.outcome));
  };
  using K = ReboundKind;
  // Outcomes: 0 bounced back, 1 stood, 2 halved, 3 held, 4 reflected (with a wall effect).
  EXPECT_EQ(r(B(100, 100, 5, 2), 1, 0, K::Straight), "100,100 5,2 -1,1 4");    // (5, 2) to (-5, 2)
  EXPECT_EQ(r(B(100, 100, 5, 2, -1, 1), 1, 0, K::Straight), S(moved) + " 1");  // moving away: the move stands
  EXPECT_EQ(r(B(100, 100, 0, 5), 1, 0, K::Straight), S(moved) + " 1");         // along the wall is not into it
  EXPECT_EQ(r(B(100, 100, 5, 2, -1, 1), 1, 0, K::Curved), "100,100 5,2 -1,1 3");
  EXPECT_EQ(r(B(100, 100, 5, 3, -1, 1), 1, 0, K::RoughEdge), "100,100 2,1 1,-1 2");
  EXPECT_EQ(r(B(100, 100, 5, 2), 0, 0, K::Curved), "100,100 5,2 -1,-1 0");
  EXPECT_EQ(S(BounceBackFrom(B(7, 8, 3, 4, 0, 1))), "7,8 3,4 0,-1");  // -0 is still forward
  // 45 degrees turns (4, 0) into (0, -4); divisions truncate: (3, 0) off (2, 1) is (-1.8, -2.4).
  EXPECT_EQ(r(B(100, 100, 4, 0), 1, 1, K::Straight), "100,100 0,4 1,-1 4");
  EXPECT_EQ(r(B(100, 100, 3, 0), 2, 1, K::Curved), "100,100 1,2 -1,-1 4");
  EXPECT_EQ(r(B(0, 0, 3000, 0), 30000, 30000, K::Curved).back(), '4');  // huge normals wrap, no fault
}

// ---- The ground step and the roll -------------------------------------------------------------------------

TEST_F(PhysicsTest, RollsExactlyItsBudgetWaitingEachStepsDelay) {
  std::string first;
  gMotion.stepHook = [&first](const StepRecord& r) {
    if (r.step == 1) first = S(r.ball) + " " + std::to_string(r.code);
  };
  const uint32_t scheduled = Stroke(100, 100, 110, 100);
  EXPECT_EQ(first, "101,100 59,0 1,1 3");
  EXPECT_EQ(S(gRound.ball) + " " + std::to_string(gMotion.pixelSteps), "160,100 0,0 1,1 60");
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  // Paces 59..16 wait 1000 / pace (16, 17, 17, ..., 58, 62: 1325 ms), paces 15..1 the 64 ms cap (960 ms).
  EXPECT_EQ(scheduled, 2285u);
  EXPECT_EQ(S(gRound.strokeHistory[1]), "100,100 60,0 1,1");
  // The strike clears the stroke's flags, keeps the turn's, and records nothing past the 16 entries.
  gMotion = MotionState{.resting = B(5, 6, 0, 0),
                        .oddToggle = 1,
                        .centreReversal = 1,
                        .glideMode = 3,
                        .previousCode = 25,
                        .tunnelGuard = 2};
  for (const int8_t counter : {16, -1}) {
    gRound.strokeCounter = counter;
    StrikeBall();
  }
  EXPECT_EQ(std::tuple(gMotion.oddToggle, gMotion.centreReversal, gMotion.glideMode, gMotion.previousCode),
            std::tuple(0, 0, 0, 0));
  EXPECT_EQ(std::tuple(gMotion.tunnelGuard, gMotion.resting.x), std::tuple(2, 5));
  EXPECT_EQ(std::tuple(gRound.strokeHistory[15].speedX, gRound.strokeHistory[0].speedX), std::tuple(0, 0));
}

TEST_F(PhysicsTest, RestsOnlyWhereItMayAndBouncesOffTheFieldEdges) {
  FillMapCodes(105, 0, 639, 479, kCodeOpen);
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(S(gRound.ball), "104,100 0,0 1,1");                // back to the last code 3
  EXPECT_EQ(Step(B(100, 440, 0, 5), 5), "100,440 0,5 -1,-1");  // to y 441
  EXPECT_EQ(Step(B(639, 10, 5, 0), -5), "639,10 5,0 -1,-1");
}

TEST_F(PhysicsTest, WallsReflect) {
  gHole.wallTable[0] = {1, 0};
  FillMapCodes(120, 0, 120, 479, kCodeWall);
  Stroke(100, 100, 110, 100);  // reflected on step 20 with the 41 pixels it had; 41 back
  EXPECT_EQ(S(gRound.ball) + " " + std::to_string(gMotion.pixelSteps), "78,100 0,0 -1,1 61");
  gRound.currentHole = 16;  // hole 16: rolled over, unless it glides or has just ended a glide
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(S(gRound.ball), "160,100 0,0 1,1");
  PutMapCode(119, 100, kCodeGlideEnd);
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(S(gRound.ball), "78,100 0,0 -1,-1");  // bounced back
  gMotion.glideMode = 3;                          // reflected, and the reflection is what the speeds go back to
  EXPECT_EQ(Step(B(119, 100, 50, 0), -50), "119,100 50,0 -1,1");
  EXPECT_EQ(S(gMotion.previous), "119,100 50,0 -1,1");
  EXPECT_EQ(gMotion.reboundSide, 0);  // two reflections: one effect of each side
  // A ring around (100, 100): off x 120 with 41 left, off x 80 with 3, out to 84.
  FillMapCodes(0, 0, 639, 479, kCodeGreen);
  gHole.wallTable[8] = {100, 100};
  for (int32_t y = 70; y < 131; ++y) {
    for (int32_t x = 70; x < 131; ++x) {
      const int32_t d2 = (x - 100) * (x - 100) + (y - 100) * (y - 100);
      if (d2 >= 400 && d2 < 500) PutMapCode(x, y, 0xA8);
    }
  }
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(S(gRound.ball), "84,100 0,0 1,1");
}

TEST_F(PhysicsTest, RoughEdgeWallsReflectHalveOrPutTheBallBack) {
  FillMapCodes(120, 0, 639, 479, kCodeRoughWall);
  int32_t nx = 0, ny = 0;
  RoughEdgeNormal(119, 100, &nx, &ny);  // the two wall columns within reach
  EXPECT_EQ(std::tuple(nx, ny), std::tuple(15, 0));
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(S(gRound.ball), "78,100 0,0 -1,1");
  // Wall pixels mostly behind the ball: (-9, 0) points away from the motion, so back at half speed.
  FillMapCodes(0, 0, 639, 479, kCodeGreen);
  FillMapCodes(117, 0, 117, 479, kCodeRoughWall);
  PutMapCode(120, 100, kCodeRoughWall);
  EXPECT_EQ(Step(B(119, 100, 40, 0), -40), "119,100 20,0 -1,-1");
  FillMapCodes(120, 0, 130, 479, kCodeRoughWall);  // still on code 4 after the step: to the resting position
  gMotion.resting = B(50, 60, 0, 0);
  EXPECT_EQ(Step(B(121, 100, 40, 0), -40), "50,60 40,0 -1,1");
  gHole.codeTable[0] = kCodeRoughWall;  // outside the map: two columns to the left, two rows above
  RoughEdgeNormal(0, 0, &nx, &ny);
  EXPECT_EQ(std::tuple(nx, ny), std::tuple(-9, -9));
}

TEST_F(PhysicsTest, SlopesAndCentreSlopesPushAndTheBallIsNotJudgedThere) {
  gMotion.slopeStrength = 3;
  EXPECT_EQ(Ground(0x80, B(100, 100, 0, 0)), "100,100 3,0 1,1");  // Down East
  gHole.centreTable[2] = {100, 50};
  EXPECT_EQ(Ground(0xB2, B(100, 100, 0, 0)), "100,100 0,3 1,-1");  // toward its centre
  for (const uint8_t code : {kCodeCentreOn, kCodeCentreOff, kCodeCentreOn}) Ground(code, B(100, 100, 5, 0));
  EXPECT_EQ(Ground(0xB2, B(100, 100, 0, 0)), "100,100 0,3 1,1");  // away from it
  gMotion.slopeStrength = 0;
  Ground(0x80, B(100, 100, 0, 0));  // no push, no speed, still rolling
  EXPECT_EQ(gRound.playPhase, kPhaseRolling);
  for (const uint8_t code : {123, 120, 126}) {
    Ground(code, B(100, 100, 5, 0));
    EXPECT_EQ(gMotion.slopeStrength, code - 120);
  }
  gHole.holeSlopeStrength = 12;  // out of range: replaced by 1 where it is kept
  Ground(127, B(100, 100, 5, 0));
  EXPECT_EQ(std::tuple(gMotion.slopeStrength, gHole.holeSlopeStrength), std::tuple(1, 1));
  gHole.holeSlopeStrength = 9;
  ResetSlopeStrength();
  EXPECT_EQ(gMotion.slopeStrength, 9);
}

TEST_F(PhysicsTest, FunnelsPullStopAfter51PushesAndActAsTheCupNearTheirPoint) {
  gHole.cupTable[0] = {300, 100};
  gMotion.slopeStrength = 4;
  for (int32_t i = 1; i <= 51; ++i) Ground(kCodeFunnel, B(100, 100, gRound.ball.speedX, 0));
  EXPECT_EQ(std::tuple(gRound.ball.speedX, gMotion.funnelCounter, gMotion.slopeStrength, gRound.playPhase),
            std::tuple(561, 51, 4, kPhaseRolling));
  Ground(kCodeFunnel, gRound.ball);  // the 52nd: stopped, on a resting place
  EXPECT_EQ(std::tuple(gRound.ball.speedX, gMotion.funnelCounter, gRound.playPhase), std::tuple(0, 0, kPhaseAtRest));
  gRound.playPhase = kPhaseRolling;
  gHole.cupTable[3] = {100, 100};  // 4 away: the cup's friction and resting state
  EXPECT_EQ(Ground(0x93, B(104, 100, 40, 20)), "104,100 0,0 1,1");
  EXPECT_EQ(S(gMotion.resting), "104,100 0,0 1,1");
  EXPECT_EQ(std::tuple(gMotion.previousCode, gMotion.currentCode), std::tuple(kCodeCup, 0x93));
  EXPECT_EQ(Ground(0x93, B(105, 100, 40, 20)), "105,100 29,20 1,1");  // 5 away: pushed west by 11
  gMotion.funnelCounter = 30;
  Ground(kCodeGreen, B(110, 100, 5, 0));  // any other code starts the count again
  EXPECT_EQ(gMotion.funnelCounter, 0);
  gRound.playPhase = kPhaseRolling;
  FillMapCodes(0, 0, 639, 440, kCodeFunnel);
  gHole.cupTable[0] = {600, 100};
  Stroke(300, 100, 199, 100);  // 606 west, 12 less a step (a pixel and a push), turned after 50 steps
  EXPECT_EQ(gMotion.pixelSteps, 52u);
}

TEST_F(PhysicsTest, ExactCodes) {
  EXPECT_EQ(Ground(kCodeHeavy, B(100, 100, 100, 15)), "100,100 93,14 1,1");
  EXPECT_EQ(S(gMotion.resting), "100,100 93,14 1,1");
  EXPECT_EQ(Ground(kCodeLaunch, B(100, 100, 7, 9, -1, -1)), "100,100 100,0 1,1");
  EXPECT_EQ(S(gMotion.launch), "100,100 7,9 -1,-1");
  EXPECT_EQ(Ground(kCodeReturn, gRound.ball), "100,100 7,9 1,-1");
  PutMapCode(101, 100, kCodeKeepSpeed);
  EXPECT_EQ(Step(B(100, 100, 30, 0), -30), "101,100 30,0 1,1");
  PutMapCode(102, 100, kCodeBounceBack);
  EXPECT_EQ(Step(gRound.ball, -30), "101,100 30,0 -1,-1");
}

TEST_F(PhysicsTest, GlidesNeedTwentyKeepTheSpeedAndEndAtTheRestingState) {
  Ground(kCodeGlideStart, B(100, 100, 10, 9));  // a sum of 19 stops the ball
  EXPECT_EQ(std::tuple(gRound.ball.speedX, gRound.ball.speedY, gMotion.glideMode, gRound.playPhase),
            std::tuple(0, 0, 0, kPhaseAtRest));
  Ground(kCodeGlideStart, B(100, 100, 10, 10));
  EXPECT_EQ(gMotion.glideMode, 3);
  FillMapCodes(101, 100, 110, 100, kCodeWater);  // gliding, water and heavy ground are code 23
  FillMapCodes(111, 100, 115, 100, kCodeHeavy);
  PutMapCode(116, 100, kCodeGlideEnd);
  gRound.ball = B(100, 100, 40, 0);
  for (int32_t i = 0; i < 15; ++i) Step(gRound.ball, -40);
  EXPECT_EQ(S(gRound.ball) + " " + std::to_string(gRound.strokeCounter), "115,100 40,0 1,1 1");
  Step(gRound.ball, -40);
  EXPECT_EQ(std::tuple(gMotion.glideMode, gRound.ball.speedX), std::tuple(0, 39));
  gRound.playPhase = kPhaseRolling;  // stopping while gliding ends the glide at the resting position
  gMotion = MotionState{.previous = B(199, 200, 0, 0), .resting = B(20, 30, 0, 0), .glideMode = 3};
  EXPECT_EQ(Ground(kCodeOpen, B(200, 200, 0, 0)), "20,30 0,0 1,1");
  EXPECT_EQ(std::tuple(gMotion.glideMode, gRound.playPhase), std::tuple(0, kPhaseAtRest));
}

// ---- The time guard ---------------------------------------------------------------------------------------

TEST_F(PhysicsTest, TimeGuardFallsOnStep1801AndEvery900After) {
  PutMapCode(101, 100, kCodeGlideStart);          // a gliding ball never slows: it runs between the field's edges
  EXPECT_GT(Stroke(100, 100, 109, 100), 30000u);  // speed 54: 19 ms a step
  EXPECT_EQ(std::tuple(gMotion.pixelSteps, gMotion.glideMode), std::tuple(1801u, 3));  // stopped where it is
  EXPECT_EQ(Stroke(100, 100, 114, 100), 2701u * 12 + 2);  // 12 ms a step: 21.6 s at step 1,801
  EXPECT_EQ(gMotion.pixelSteps, 2701u);
}

TEST_F(PhysicsTest, ABallThatCanNeverRestStillStops) {
  FillMapCodes(0, 0, 639, 440, 0x80);  // held on a slope of strength 0 with no speed: no step waits
  RollBall();
  EXPECT_EQ(std::tuple(gMotion.pixelSteps, gRound.playPhase), std::tuple(15301u, kPhaseAtRest));  // 1801 + 900 x 15
  gHole.wallTable[0] = {1, 0};  // knocked to and fro against a wall by a slope of strength 1, never pausing
  FillMapCodes(120, 0, 120, 479, kCodeWall);
  gMotion.slopeStrength = 1;
  gMotion.stepAccumulator = 0;
  gRound.ball = B(118, 100, 0, 0);
  gRound.playPhase = kPhaseRolling;
  RollBall();
  EXPECT_EQ(std::tuple(gMotion.pixelSteps, gRound.playPhase), std::tuple(15301u, kPhaseAtRest));  // 1801 + 900 x 15
}
