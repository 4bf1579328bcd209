// Ball physics: the strike, the pixel step and its pacing, pushes, friction, rebounds, the ground step and
// the rolling loop's time guard, on maps built in the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "green/features.h"
#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "green/status.h"
#include "media/sound.h"
#include "platform/headless/headless_audio.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

BallState Ball(int16_t x, int16_t y, int16_t sx, int16_t sy, int16_t dx = 1, int16_t dy = 1) {
  return BallState{x, y, sx, sy, dx, dy};
}

void ExpectBall(const BallState& b, int16_t x, int16_t y, int16_t sx, int16_t sy, int16_t dx, int16_t dy) {
  EXPECT_EQ(b.x, x);
  EXPECT_EQ(b.y, y);
  EXPECT_EQ(b.speedX, sx);
  EXPECT_EQ(b.speedY, sy);
  EXPECT_EQ(b.dirX, dx);
  EXPECT_EQ(b.dirY, dy);
}

// A one-channel 8-bit WAV of 100 ms.
void WriteWave(const std::filesystem::path& path) {
  const uint32_t rate = 11025;
  const uint32_t frames = rate / 10;
  std::vector<uint8_t> f;
  auto u32 = [&f](uint32_t v) { for (int i = 0; i < 4; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto u16 = [&f](uint16_t v) { f.push_back(static_cast<uint8_t>(v)); f.push_back(static_cast<uint8_t>(v >> 8)); };
  auto tag = [&f](const char* t) { f.insert(f.end(), t, t + 4); };
  tag("RIFF"); u32(36 + frames); tag("WAVE");
  tag("fmt "); u32(16); u16(1); u16(1); u32(rate); u32(rate); u16(1); u16(8);
  tag("data"); u32(frames);
  f.insert(f.end(), frames, 0x80);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), f.size());
}

// A green of code 3 everywhere, the code table as identity, every round effect loaded, the ball rolling.
class PhysicsTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    HeadlessAudioReset();
    ResetRoundForTest();
    ResetMotionForTest();
    ResetHoleForTest();
    ResetSpritesForTest();
    ResetStatusForTest();
    InitSound(0);
    for (int32_t i = 0; i < kRoundEffectCount; ++i) {
      std::string file = kRoundEffectFiles[i];
      file.replace(file.find('\\'), 1, "/");
      WriteWave(dir_ / file);
      gRound.effects[i] = CreateEffectBuffer(kRoundEffectFiles[i]);
      ASSERT_NE(gRound.effects[i], nullptr);
    }
    for (int32_t i = 0; i < 256; ++i) gHole.codeTable[i] = static_cast<uint8_t>(i);
    Fill(0, 0, 639, 479, kCodeGreen);
    gRound.currentHole = 1;
    gRound.strokeCounter = 1;
    gRound.playPhase = kPhaseRolling;
  }
  void TearDown() override {
    ResetRoundForTest();
    HeadlessAudioReset();
    GameFolderTest::TearDown();
  }

  static void Put(int32_t x, int32_t y, uint8_t code) { gHole.map[x + 640 * (479 - y)] = code; }
  static void Fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t code) {
    for (int32_t y = y0; y <= y1; ++y) {
      for (int32_t x = x0; x <= x1; ++x) Put(x, y, code);
    }
  }
  // Strikes from the ball toward the aim point and rolls until the ball rests; the scheduled milliseconds.
  static uint32_t Stroke(int16_t x, int16_t y, int32_t aimX, int32_t aimY) {
    gRound.ball = Ball(x, y, 0, 0);
    gRound.aimPoint = {aimX, aimY};
    gRound.playPhase = kPhaseStrike;
    StrikeBall();
    gRound.playPhase = kPhaseRolling;
    RollBall();
    return gShell.frameDeadline - gShell.frameBase;
  }
  static std::vector<std::string> Played() {
    std::vector<std::string> names;
    for (const HeadlessSound& s : HeadlessSounds()) {
      if (s.action == HeadlessSoundAction::Play) names.push_back(s.name);
    }
    return names;
  }
  // One pixel step and its ground step, as the rolling loop does them.
  static void Step() {
    PixelStep();
    ApplyGround();
  }
};

const std::string kWallL = "Snds\\WallL.wav";
const std::string kWallR = "Snds\\WallR.wav";

}  // namespace

// ---- The strike -------------------------------------------------------------------------------------------

TEST(PhysicsStrikeTest, SixTimesTheAimOffsetIn16Bits) {
  BallState b = StrikeFromAim(Ball(100, 100, 0, 0, -1, -1), 110, 100);
  ExpectBall(b, 100, 100, 60, 0, 1, 1);  // a zero offset counts as forward
  EXPECT_EQ(FirstAccumulator(b.speedX, b.speedY), -60);

  b = StrikeFromAim(Ball(100, 100, 0, 0), 90, 70);
  ExpectBall(b, 100, 100, 60, 180, -1, -1);
  EXPECT_EQ(FirstAccumulator(60, 180), 180);
  EXPECT_EQ(FirstAccumulator(30, 30), 30);  // equal speeds start on y

  // 6 x d wraps as a 16-bit value: 6 x 5461 = 32766 still fits, 6 x 6000 = 36000 turns into -29536.
  EXPECT_EQ(StrikeFromAim(Ball(0, 0, 0, 0), 5461, 0).speedX, 32766);
  b = StrikeFromAim(Ball(0, 0, 0, 0), 6000, 0);
  EXPECT_EQ(b.speedX, 29536);
  EXPECT_EQ(b.dirX, -1);
  // The offset itself is 16-bit: an aim 65,536 + 10 to the right is 10 to the right.
  EXPECT_EQ(StrikeFromAim(Ball(0, 0, 0, 0), 65546, 0).speedX, 60);
}

TEST_F(PhysicsTest, StrikeRecordsTheStrokeAndClearsTheStrokeFlags) {
  gRound.ball = Ball(200, 150, 0, 0);
  gRound.aimPoint = {190, 170};
  gRound.strokeCounter = 3;
  gMotion.centreReversal = 1;
  gMotion.previousCode = 25;
  gMotion.glideMode = 3;
  gMotion.oddToggle = 1;
  gMotion.tunnelGuard = 2;
  gMotion.resting = Ball(5, 6, 0, 0);
  StrikeBall();
  ExpectBall(gRound.ball, 200, 150, 60, 120, -1, 1);
  EXPECT_EQ(gMotion.stepAccumulator, 120);
  ExpectBall(gRound.strokeHistory[3], 200, 150, 60, 120, -1, 1);
  EXPECT_EQ(gMotion.centreReversal, 0);
  EXPECT_EQ(gMotion.previousCode, 0);
  EXPECT_EQ(gMotion.glideMode, 0);
  EXPECT_EQ(gMotion.oddToggle, 0);
  // These carry over between strokes of a turn.
  EXPECT_EQ(gMotion.tunnelGuard, 2);
  EXPECT_EQ(gMotion.resting.x, 5);

  // A counter outside the 16 history entries records nothing and harms nothing.
  gRound.strokeCounter = 16;
  StrikeBall();
  gRound.strokeCounter = -1;
  StrikeBall();
  EXPECT_EQ(gRound.strokeHistory[15].x, 0);
}

// ---- The pixel step and its pace --------------------------------------------------------------------------

TEST(PhysicsStepTest, StraightDiagonalAndMixedSteps) {
  // 10 pixels to the right: one pixel right per step, 60 steps.
  StepCore s{Ball(100, 100, 60, 0), -60, 0};
  for (int32_t i = 1; i <= 60; ++i) {
    s = StepPixel(s.ball, s.accumulator);
    ASSERT_EQ(s.ball.x, 100 + i);
    ASSERT_EQ(s.ball.y, 100);
    ASSERT_EQ(s.pace, 60 - i);
  }
  EXPECT_EQ(s.ball.speedX, 0);

  // Speeds (20, 20): twenty diagonal steps, each at half pace.
  s = {Ball(100, 100, 20, 20), FirstAccumulator(20, 20), 0};
  for (int32_t i = 1; i <= 20; ++i) {
    s = StepPixel(s.ball, s.accumulator);
    ASSERT_EQ(s.ball.x, 100 + i);
    ASSERT_EQ(s.ball.y, 100 + i);
  }
  EXPECT_EQ(s.ball.speedX + s.ball.speedY, 0);
  EXPECT_EQ(StepPixel(Ball(0, 0, 20, 20), 20).pace, 19);  // (20 + 19) >> 1

  // Speeds (30, 10) upward and leftward: three straight steps, then a diagonal one; 30 and 10 pixels in all.
  s = {Ball(300, 300, 30, 10, -1, -1), FirstAccumulator(30, 10), 0};
  int32_t diagonals = 0;
  std::vector<bool> diagonal;
  while (s.ball.speedX + s.ball.speedY > 0) {
    const BallState before = s.ball;
    s = StepPixel(s.ball, s.accumulator);
    ASSERT_LE(std::abs(s.ball.x - before.x), 1);
    ASSERT_LE(std::abs(s.ball.y - before.y), 1);
    diagonal.push_back(s.ball.x != before.x && s.ball.y != before.y);
    diagonals += diagonal.back();
  }
  EXPECT_EQ(s.ball.x, 270);
  EXPECT_EQ(s.ball.y, 290);
  EXPECT_EQ(diagonals, 10);
  EXPECT_EQ(diagonal[0] || diagonal[1] || diagonal[2], false);
  EXPECT_TRUE(diagonal[3]);
  EXPECT_EQ(StepPixel(Ball(0, 0, 27, 10), 0).pace, (26 + 10) >> 1);

  // Direction 0 moves forward like +1.
  EXPECT_EQ(StepPixel(Ball(50, 50, 5, 0, 0, 0), -5).ball.x, 51);
}

TEST(PhysicsStepTest, PaceIs16BitWithAnArithmeticShift) {
  // 20000 + 19999 wraps to -25537; the shift keeps the sign: -12769.
  const StepCore s = StepPixel(Ball(0, 0, 20000, 20000), 20000);
  EXPECT_EQ(s.pace, -12769);
  EXPECT_EQ(s.accumulator, 19999);
  EXPECT_EQ(StepDelay(s.pace, 19999, 19999), 2);
}

TEST(PhysicsStepTest, DelayIsAThousandOverThePaceWithin2And64) {
  EXPECT_EQ(StepDelay(1000, 500, 500), 2);  // 1, raised to 2
  EXPECT_EQ(StepDelay(10, 5, 5), 64);       // 100, lowered to 64
  EXPECT_EQ(StepDelay(16, 8, 8), 62);       // 62.5 truncated
  EXPECT_EQ(StepDelay(333, 300, 33), 3);
  EXPECT_EQ(StepDelay(0, 5, 5), 0);         // no pace: no wait
  EXPECT_EQ(StepDelay(7, 0, 0), 0);         // no speed left: no wait
}

// ---- Pushes, friction, rebounds ---------------------------------------------------------------------------

TEST(PhysicsPushTest, OddDirectionsAlternateTheirNeighbours) {
  uint8_t toggle = 0;
  BallState b = PushCore(Ball(10, 10, 0, 0), 1, 3, &toggle);  // 0x81: east first
  ExpectBall(b, 10, 10, 3, 0, 1, 1);
  EXPECT_EQ(toggle, 1);
  b = PushCore(b, 1, 3, &toggle);  // then south-east
  ExpectBall(b, 10, 10, 6, 3, 1, 1);
  EXPECT_EQ(toggle, 0);

  b = PushCore(Ball(10, 10, 0, 0), 15, 2, &toggle);  // 0x8F: north-east first
  ExpectBall(b, 10, 10, 2, 2, 1, -1);
  b = PushCore(b, 15, 2, &toggle);  // then east (16 & 15 = 0)
  ExpectBall(b, 10, 10, 4, 2, 1, -1);

  // Even directions leave the toggle alone; a push against the motion turns it round.
  b = PushCore(Ball(0, 0, 2, 0, -1, 1), 0, 5, &toggle);
  EXPECT_EQ(toggle, 0);
  ExpectBall(b, 0, 0, 3, 0, 1, 1);
  // Zero velocity counts as forward.
  b = PushCore(Ball(0, 0, 0, 0, -1, -1), 4, 0, &toggle);
  ExpectBall(b, 0, 0, 0, 0, 1, 1);
  // The velocity is 16-bit: 32767 + 1 wraps, and so does its absolute value.
  b = PushCore(Ball(0, 0, 32767, 0), 0, 1, &toggle);
  EXPECT_EQ(b.speedX, -32768);
  EXPECT_EQ(b.dirX, -1);
}

TEST(PhysicsFrictionTest, CupAndHeavyGround) {
  ExpectBall(CupFrictionCore(Ball(1, 2, 40, 20)), 1, 2, 0, 0, 1, 1);  // 32 + 16 = 48 < 50
  EXPECT_EQ(CupFrictionCore(Ball(0, 0, 80, 0)).speedX, 65);
  EXPECT_EQ(CupFrictionCore(Ball(0, 0, 61, 0)).speedX, 0);  // 49
  const BallState c = CupFrictionCore(Ball(0, 0, 44, 22, -1, 1));
  EXPECT_EQ(c.speedX, 35);  // 35.75 and 17.875 truncated: 52, enough to roll on
  EXPECT_EQ(c.speedY, 17);
  EXPECT_EQ(c.dirX, -1);
  EXPECT_EQ(HeavyGroundCore(Ball(0, 0, 100, 15)).speedX, 93);
  EXPECT_EQ(HeavyGroundCore(Ball(0, 0, 100, 15)).speedY, 14);
  EXPECT_EQ(HeavyGroundCore(Ball(0, 0, 1, 0)).speedX, 0);
  // The products are not cut to 16 bits: 3000 x 15 / 16.
  EXPECT_EQ(HeavyGroundCore(Ball(0, 0, 3000, 0)).speedX, 2812);
}

TEST(PhysicsReboundTest, StraightCurvedAndRoughEdgeKinds) {
  const BallState prev = Ball(100, 100, 5, 2);
  const BallState moved = Ball(101, 101, 4, 1);
  ReboundCoreResult r = ReboundCore(moved, prev, 1, 0, ReboundKind::Straight);
  EXPECT_EQ(r.outcome, ReboundOutcome::Reflected);
  ExpectBall(r.ball, 100, 100, 5, 2, -1, 1);  // (5, 2) to (-5, 2), at the previous position

  // Moving away from the normal: a straight wall lets the move stand.
  const BallState away = Ball(100, 100, 5, 2, -1, 1);
  r = ReboundCore(moved, away, 1, 0, ReboundKind::Straight);
  EXPECT_EQ(r.outcome, ReboundOutcome::Stood);
  ExpectBall(r.ball, 101, 101, 4, 1, 1, 1);
  // A curved wall holds the ball where it was, velocity unchanged.
  r = ReboundCore(moved, away, 1, 0, ReboundKind::Curved);
  EXPECT_EQ(r.outcome, ReboundOutcome::Held);
  ExpectBall(r.ball, 100, 100, 5, 2, -1, 1);
  // A rough edge bounces it back at half speed.
  r = ReboundCore(moved, Ball(100, 100, 5, 3, -1, 1), 1, 0, ReboundKind::RoughEdge);
  EXPECT_EQ(r.outcome, ReboundOutcome::Halved);
  ExpectBall(r.ball, 100, 100, 2, 1, 1, -1);
  // No normal at all: bounce back.
  r = ReboundCore(moved, prev, 0, 0, ReboundKind::Curved);
  EXPECT_EQ(r.outcome, ReboundOutcome::BouncedBack);
  ExpectBall(r.ball, 100, 100, 5, 2, -1, -1);

  // A 45-degree wall turns (4, 0) into (0, -4).
  r = ReboundCore(moved, Ball(100, 100, 4, 0), 1, 1, ReboundKind::Straight);
  ExpectBall(r.ball, 100, 100, 0, 4, 1, -1);
  // Divisions truncate toward zero: (3, 0) off normal (2, 1) is (-1.8, -2.4), so (-1, -2).
  r = ReboundCore(moved, Ball(100, 100, 3, 0), 2, 1, ReboundKind::Curved);
  EXPECT_EQ(r.outcome, ReboundOutcome::Reflected);
  ExpectBall(r.ball, 100, 100, 1, 2, -1, -1);
  // Huge normals wrap in 32 bits instead of failing.
  r = ReboundCore(moved, Ball(100, 100, 3000, 0), 30000, 30000, ReboundKind::Curved);
  EXPECT_EQ(r.outcome, ReboundOutcome::Reflected);
}

TEST(PhysicsReboundTest, BounceBackReversesThePreviousDirections) {
  ExpectBall(BounceBackFrom(Ball(7, 8, 3, 4, 1, -1)), 7, 8, 3, 4, -1, 1);
  ExpectBall(BounceBackFrom(Ball(7, 8, 3, 4, 0, 1)), 7, 8, 3, 4, 0, -1);  // -0 is still forward
}

TEST_F(PhysicsTest, WallEffectsAlternateOnlyOnRealReflections) {
  gMotion.previous = Ball(100, 100, 5, 2);
  gRound.ball = Ball(101, 100, 4, 2);
  Rebound(1, 0, ReboundKind::Straight);
  ExpectBall(gRound.ball, 100, 100, 5, 2, -1, 1);
  gMotion.previous = Ball(100, 100, 5, 2, -1, 1);
  gRound.ball = Ball(99, 100, 4, 2, -1, 1);
  Rebound(1, 0, ReboundKind::Straight);  // moving away: nothing, no sound
  ExpectBall(gRound.ball, 99, 100, 4, 2, -1, 1);
  Rebound(-1, 0, ReboundKind::Straight);
  Rebound(-1, 0, ReboundKind::Straight);
  EXPECT_EQ(Played(), (std::vector<std::string>{kWallL, kWallR, kWallL}));
  EXPECT_EQ(gMotion.reboundSide, 1);
}

TEST_F(PhysicsTest, RoughEdgeNormalSumsTheWallPixelsAround) {
  Fill(105, 0, 105, 479, kCodeRoughWall);
  Put(103, 98, 0xA5);
  Put(101, 102, 0xB0);  // a centre slope is no wall
  int32_t nx = 0, ny = 0;
  RoughEdgeNormal(103, 100, &nx, &ny);
  EXPECT_EQ(nx, 10);
  EXPECT_EQ(ny, -2);
  // Outside the map the code is code table entry 0.
  gHole.codeTable[0] = kCodeRoughWall;
  RoughEdgeNormal(0, 0, &nx, &ny);
  EXPECT_EQ(nx, -15 + (0 + 1 + 2) * 2);  // two columns left of the map, then two rows above it
  EXPECT_EQ(ny, (-2 - 1) * 3);
}

// ---- The ground step --------------------------------------------------------------------------------------

TEST_F(PhysicsTest, RollsExactlyItsBudgetAndWaitsTheDelays) {
  std::vector<StepRecord> trace;
  gMotion.stepHook = [&trace](const StepRecord& r) { trace.push_back(r); };
  const uint32_t scheduled = Stroke(100, 100, 110, 100);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  ExpectBall(gRound.ball, 160, 100, 0, 0, 1, 1);
  EXPECT_EQ(gMotion.pixelSteps, 60u);
  ASSERT_EQ(trace.size(), 60u);
  EXPECT_EQ(trace[0].step, 1u);
  EXPECT_EQ(trace[0].ball.x, 101);
  EXPECT_EQ(trace[0].ball.speedX, 59);
  EXPECT_EQ(trace[0].code, kCodeGreen);
  uint32_t expected = 0;
  for (int32_t pace = 59; pace >= 1; --pace) expected += std::clamp(1000 / pace, 2, 64);
  EXPECT_EQ(scheduled, expected);
  EXPECT_EQ(gMotion.resting.x, 160);
}

TEST_F(PhysicsTest, ABallStoppingWhereItMayNotRestGoesBackToItsRestingState) {
  Fill(105, 0, 639, 479, kCodeOpen);
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  EXPECT_EQ(gRound.ball.x, 104);
  EXPECT_EQ(gRound.ball.y, 100);
}

TEST_F(PhysicsTest, FieldEdgeBouncesBack) {
  gRound.ball = Ball(100, 440, 0, 5);
  gMotion.stepAccumulator = 5;
  Step();
  ExpectBall(gRound.ball, 100, 440, 0, 5, -1, -1);
  gRound.ball = Ball(639, 10, 5, 0);
  gMotion.stepAccumulator = -5;
  Step();
  ExpectBall(gRound.ball, 639, 10, 5, 0, -1, -1);
}

TEST_F(PhysicsTest, StraightWallReflectsAndTheBallRollsBack) {
  gHole.wallTable[0] = {1, 0};
  Fill(120, 0, 120, 479, kCodeWall);
  Stroke(100, 100, 110, 100);
  // Reflected on the 20th step with the 41 pixels it had before it; 41 more to the left.
  ExpectBall(gRound.ball, 78, 100, 0, 0, -1, 1);
  EXPECT_EQ(gMotion.pixelSteps, 61u);
  EXPECT_EQ(Played(), std::vector<std::string>{kWallL});
}

TEST_F(PhysicsTest, CurvedWallReflectsFromItsCentre) {
  // A ring wall around (100, 100) of radius 20: from inside, moving out, the ball comes back.
  gHole.wallTable[8] = {100, 100};
  for (int32_t y = 0; y < 441; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      const int32_t d2 = (x - 100) * (x - 100) + (y - 100) * (y - 100);
      if (d2 >= 400 && d2 < 500) Put(x, y, 0xA8);
    }
  }
  Stroke(100, 100, 110, 100);
  // Out at x 120 with 41 left, back to the far side at x 80 with 3 left, and out again.
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  ExpectBall(gRound.ball, 84, 100, 0, 0, 1, 1);
  EXPECT_EQ(Played(), (std::vector<std::string>{kWallL, kWallR}));
}

TEST_F(PhysicsTest, Hole16StraightWallsHoldOnlyGlidingBallsAndTheStepAfterAGlideEnd) {
  gHole.wallTable[0] = {1, 0};
  Fill(120, 0, 120, 479, kCodeWall);
  gRound.currentHole = 16;
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(gRound.ball.x, 160);  // rolled over it
  EXPECT_TRUE(Played().empty());

  // Right after a glide end: bounced back, silently.
  Put(119, 100, kCodeGlideEnd);
  Stroke(100, 100, 110, 100);
  ExpectBall(gRound.ball, 78, 100, 0, 0, -1, -1);
  EXPECT_TRUE(Played().empty());
}

TEST_F(PhysicsTest, Hole16WallKeepsAGlidingBallsReboundedSpeed) {
  gHole.wallTable[0] = {1, 0};
  Fill(120, 0, 120, 479, kCodeWall);
  gRound.currentHole = 16;
  gRound.ball = Ball(119, 100, 50, 0);
  gMotion.glideMode = 3;
  gMotion.stepAccumulator = -50;
  Step();
  ExpectBall(gRound.ball, 119, 100, 50, 0, -1, 1);
  ExpectBall(gMotion.previous, 119, 100, 50, 0, -1, 1);
  EXPECT_EQ(gMotion.previousCode, kCodeKeepSpeed);
  EXPECT_EQ(Played(), std::vector<std::string>{kWallL});
}

TEST_F(PhysicsTest, RoughEdgeWallReflectsOrHalves) {
  Fill(120, 0, 639, 479, kCodeRoughWall);
  Stroke(100, 100, 110, 100);
  // Normal (15, 0) from the two wall columns within reach: a clean reflection.
  ExpectBall(gRound.ball, 78, 100, 0, 0, -1, 1);
  EXPECT_EQ(Played(), std::vector<std::string>{kWallL});

  // Wall pixels mostly behind the ball: the sum points away from the motion, so back at half speed.
  Fill(0, 0, 639, 479, kCodeGreen);
  Fill(117, 0, 117, 479, kCodeRoughWall);
  Put(120, 100, kCodeRoughWall);
  gRound.ball = Ball(119, 100, 40, 0);
  gMotion.stepAccumulator = -40;
  Step();
  ExpectBall(gRound.ball, 119, 100, 20, 0, -1, -1);
  EXPECT_EQ(Played().size(), 1u);

  // Still on code 4 after the step: put back at the resting position, the speeds kept.
  Fill(120, 0, 130, 479, kCodeRoughWall);
  gMotion.resting = Ball(50, 60, 0, 0);
  gRound.ball = Ball(121, 100, 40, 0);
  gMotion.stepAccumulator = -40;
  Step();
  EXPECT_EQ(gRound.ball.x, 50);
  EXPECT_EQ(gRound.ball.y, 60);
  EXPECT_NE(gRound.ball.speedX + gRound.ball.speedY, 0);
}

TEST_F(PhysicsTest, SlopesPushEveryStepAndNeverRestOnTheStepTheyPush) {
  gMotion.slopeStrength = 3;
  Put(100, 100, 0x80);  // Down East
  gRound.ball = Ball(100, 100, 0, 0);
  ApplyGround();
  ExpectBall(gRound.ball, 100, 100, 3, 0, 1, 1);
  EXPECT_EQ(gRound.playPhase, kPhaseRolling);

  gMotion.slopeStrength = 0;  // no push, no speed, and still not at rest
  gRound.ball = Ball(100, 100, 0, 0);
  ApplyGround();
  EXPECT_EQ(gRound.playPhase, kPhaseRolling);

  // A centre slope pushes toward its centre, or away from it while the reversal flag is set.
  gMotion.slopeStrength = 3;
  gHole.centreTable[2] = {100, 50};
  Put(100, 100, 0xB2);
  gRound.ball = Ball(100, 100, 0, 0);
  ApplyGround();
  ExpectBall(gRound.ball, 100, 100, 0, 3, 1, -1);
  gMotion.centreReversal = 1;
  gRound.ball = Ball(100, 100, 0, 0);
  ApplyGround();
  ExpectBall(gRound.ball, 100, 100, 0, 3, 1, 1);
  // Codes 13 and 14 switch the reversal.
  Put(100, 100, kCodeCentreOff);
  gRound.ball = Ball(100, 100, 5, 0);
  ApplyGround();
  EXPECT_EQ(gMotion.centreReversal, 0);
  Put(100, 100, kCodeCentreOn);
  ApplyGround();
  EXPECT_EQ(gMotion.centreReversal, 1);
}

TEST_F(PhysicsTest, SlopeStrengthCodesAndTheHoleStrength) {
  gRound.ball = Ball(100, 100, 5, 0);
  Put(100, 100, 123);
  ApplyGround();
  EXPECT_EQ(gMotion.slopeStrength, 3);
  Put(100, 100, 120);
  ApplyGround();
  EXPECT_EQ(gMotion.slopeStrength, 0);
  gHole.holeSlopeStrength = 12;  // out of range: replaced by 1 where it is kept
  Put(100, 100, 127);
  ApplyGround();
  EXPECT_EQ(gMotion.slopeStrength, 1);
  EXPECT_EQ(gHole.holeSlopeStrength, 1);
  for (const int16_t strength : {0, 9}) {
    gHole.holeSlopeStrength = strength;
    ResetSlopeStrength();
    EXPECT_EQ(gMotion.slopeStrength, strength);
  }
  gHole.holeSlopeStrength = -1;
  ResetSlopeStrength();
  EXPECT_EQ(gMotion.slopeStrength, 1);
}

TEST_F(PhysicsTest, FunnelStopsTheBallOnTheFiftySecondPush) {
  gHole.cupTable[0] = {300, 100};
  Put(100, 100, kCodeFunnel);
  gRound.ball = Ball(100, 100, 0, 0);
  gMotion.slopeStrength = 4;
  for (int32_t i = 1; i <= 51; ++i) ApplyGround();
  EXPECT_EQ(gMotion.funnelCounter, 51);
  EXPECT_EQ(gRound.ball.speedX, 51 * 11);
  EXPECT_EQ(gMotion.slopeStrength, 4);  // restored after each push
  EXPECT_EQ(gRound.playPhase, kPhaseRolling);
  ApplyGround();
  EXPECT_EQ(gRound.ball.speedX, 0);
  EXPECT_EQ(gMotion.funnelCounter, 0);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  // A funnel pixel is a resting place, and it holes the ball.
  JudgeRest();
  EXPECT_EQ(gRound.playPhase, kPhaseHoleInOne);

  // Any other code between pushes starts the count again.
  gRound.playPhase = kPhaseRolling;
  gMotion.funnelCounter = 30;
  Put(100, 100, kCodeGreen);
  gRound.ball = Ball(100, 100, 5, 0);
  ApplyGround();
  EXPECT_EQ(gMotion.funnelCounter, 0);
}

TEST_F(PhysicsTest, ABallCirclingAFunnelRollsFiftyTwoSteps) {
  gHole.cupTable[0] = {600, 100};
  Fill(0, 0, 639, 440, kCodeFunnel);
  // Speed 606 west, 12 less each step (a pixel and a push of 11), turned round after 50 steps.
  Stroke(300, 100, 199, 100);
  EXPECT_EQ(gMotion.pixelSteps, 52u);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  EXPECT_EQ(gRound.ball.speedX + gRound.ball.speedY, 0);
}

TEST_F(PhysicsTest, FunnelPointWithinFourActsAsTheCup) {
  gHole.cupTable[3] = {100, 100};
  Put(104, 100, 0x93);
  gRound.ball = Ball(104, 100, 40, 20);
  ApplyGround();
  ExpectBall(gRound.ball, 104, 100, 0, 0, 1, 1);
  ExpectBall(gMotion.resting, 104, 100, 0, 0, 1, 1);
  EXPECT_EQ(gMotion.previousCode, kCodeCup);
  EXPECT_EQ(gMotion.currentCode, 0x93);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);

  gRound.playPhase = kPhaseRolling;
  Put(105, 100, 0x93);
  gRound.ball = Ball(105, 100, 40, 20);
  ApplyGround();
  ExpectBall(gRound.ball, 105, 100, 29, 20, 1, 1);  // pushed west by 11
}

TEST_F(PhysicsTest, HeavyGroundSlowsAndIsARestingPlace) {
  Put(100, 100, kCodeHeavy);
  gRound.ball = Ball(100, 100, 100, 15);
  ApplyGround();
  ExpectBall(gRound.ball, 100, 100, 93, 14, 1, 1);
  ExpectBall(gMotion.resting, 100, 100, 93, 14, 1, 1);
}

TEST_F(PhysicsTest, LaunchReturnKeepSpeedAndBounceBackCodes) {
  Put(100, 100, kCodeLaunch);
  gRound.ball = Ball(100, 100, 7, 9, -1, -1);
  ApplyGround();
  ExpectBall(gRound.ball, 100, 100, 100, 0, 1, 1);
  ExpectBall(gMotion.launch, 100, 100, 7, 9, -1, -1);
  Put(100, 100, kCodeReturn);
  ApplyGround();
  ExpectBall(gRound.ball, 100, 100, 7, 9, 1, -1);

  Put(101, 100, kCodeKeepSpeed);
  gRound.ball = Ball(100, 100, 30, 0);
  gMotion.stepAccumulator = -30;
  Step();
  ExpectBall(gRound.ball, 101, 100, 30, 0, 1, 1);

  Put(102, 100, kCodeBounceBack);
  Step();
  ExpectBall(gRound.ball, 101, 100, 30, 0, -1, -1);
}

TEST_F(PhysicsTest, GlideStartNeedsASpeedOfTwenty) {
  Put(100, 100, kCodeGlideStart);
  gRound.ball = Ball(100, 100, 10, 9);
  ApplyGround();
  EXPECT_EQ(gRound.ball.speedX + gRound.ball.speedY, 0);
  EXPECT_EQ(gMotion.glideMode, 0);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);

  gRound.playPhase = kPhaseRolling;
  gRound.ball = Ball(100, 100, 10, 10);
  ApplyGround();
  EXPECT_EQ(gMotion.glideMode, 3);
  EXPECT_EQ(gRound.ball.speedX, 10);
}

TEST_F(PhysicsTest, GlidingTurnsEveryCodeButTheEndIntoKeepSpeed) {
  Fill(101, 100, 110, 100, kCodeWater);
  Fill(111, 100, 115, 100, kCodeHeavy);
  Put(116, 100, kCodeGlideEnd);
  gRound.ball = Ball(100, 100, 40, 0);
  gMotion.stepAccumulator = -40;
  gMotion.glideMode = 3;
  for (int32_t i = 0; i < 15; ++i) Step();
  ExpectBall(gRound.ball, 115, 100, 40, 0, 1, 1);  // no splash, no friction
  EXPECT_TRUE(Played().empty());
  EXPECT_EQ(gRound.strokeCounter, 1);
  Step();
  EXPECT_EQ(gMotion.glideMode, 0);
  EXPECT_EQ(gRound.ball.speedX, 39);

  // A ball that stops while gliding ends the glide at its resting position.
  Put(200, 200, kCodeOpen);
  gMotion.glideMode = 3;
  gMotion.resting = Ball(20, 30, 0, 0);
  gMotion.previous = Ball(199, 200, 0, 0);
  gRound.ball = Ball(200, 200, 0, 0);
  ApplyGround();
  EXPECT_EQ(gMotion.glideMode, 0);
  EXPECT_EQ(gRound.ball.x, 20);
  EXPECT_EQ(gRound.ball.y, 30);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
}

// ---- The time guard ---------------------------------------------------------------------------------------

TEST_F(PhysicsTest, TimeGuardFallsOnStep1801AndEvery900After) {
  // A gliding ball never slows: it runs between the field's edges until the guard stops it.
  Put(101, 100, kCodeGlideStart);
  uint32_t scheduled = Stroke(100, 100, 109, 100);  // speed 54: 19 ms a step
  EXPECT_EQ(gMotion.pixelSteps, 1801u);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  EXPECT_GT(scheduled, 30000u);
  EXPECT_EQ(gMotion.glideMode, 3);  // stopped where it is, nothing else

  scheduled = Stroke(100, 100, 114, 100);  // speed 84: 12 ms a step, 21.6 s at step 1,801
  EXPECT_EQ(gMotion.pixelSteps, 2701u);
  EXPECT_EQ(scheduled, 2701u * 12 + 2);  // and 1 ms at each of the two checks
}

TEST_F(PhysicsTest, ABallThatCanNeverRestStillStops) {
  // Held on a slope of strength 0 with no speed: no step waits, so the clock hardly moves.
  Fill(0, 0, 639, 440, 0x80);
  gMotion.slopeStrength = 0;
  gRound.ball = Ball(100, 100, 0, 0);
  gMotion.stepAccumulator = 0;
  RollBall();
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  EXPECT_EQ(gMotion.pixelSteps, 1801u + 900u * 15);

  // Knocked to and fro against a wall by a slope of strength 1, without ever pausing.
  gHole.wallTable[0] = {1, 0};
  Fill(120, 0, 120, 479, kCodeWall);
  gMotion.slopeStrength = 1;
  gRound.ball = Ball(118, 100, 0, 0);
  gMotion.stepAccumulator = 0;
  gRound.playPhase = kPhaseRolling;
  RollBall();
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  EXPECT_EQ(gMotion.pixelSteps, 1801u + 900u * 15);
  EXPECT_FALSE(Played().empty());
}
