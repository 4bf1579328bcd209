// Course features: judging a ball at rest, water, tunnels with every result, hole 18's chute and its figure,
// on maps built in the test.
#include <gtest/gtest.h>

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

// A tunnel cell from its two 8-step directions.
constexpr uint8_t Tunnel(int32_t f, int32_t e) { return static_cast<uint8_t>(0xC0 | (f << 3) | e); }

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
class FeatureTest : public GameFolderTest {
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
  static void Stroke(int16_t x, int16_t y, int32_t aimX, int32_t aimY) {
    gRound.ball = Ball(x, y, 0, 0);
    gRound.aimPoint = {aimX, aimY};
    gRound.playPhase = kPhaseStrike;
    StrikeBall();
    gRound.playPhase = kPhaseRolling;
    RollBall();
  }
  static uint32_t Scheduled() { return gShell.frameDeadline - gShell.frameBase; }
  // Milliseconds a call schedules on the frame timer.
  template <typename F>
  static uint32_t Timed(F f) {
    FrameWait(0);
    f();
    return Scheduled();
  }
  static std::vector<std::string> Heard(HeadlessSoundAction action = HeadlessSoundAction::Play) {
    std::vector<std::string> names;
    for (const HeadlessSound& s : HeadlessSounds()) {
      if (s.action == action) names.push_back(s.name);
    }
    return names;
  }
};

const std::string kJustMiss = "Snds\\JustMiss.wav";

}  // namespace

// ---- Judging the rest -------------------------------------------------------------------------------------

TEST_F(FeatureTest, RestWhileRollingOnlyEndsTheRoll) {
  gHole.cupTable[0] = {200, 200};
  Put(200, 200, kCodeCup);
  gRound.ball = Ball(200, 200, 0, 0);
  JudgeRest();
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  EXPECT_TRUE(Heard().empty());
}

TEST_F(FeatureTest, HoledInOneHoledOrANearMiss) {
  gHole.cupTable[0] = {200, 200};
  gRound.playPhase = kPhaseAtRest;
  Put(200, 200, kCodeCup);
  gRound.ball = Ball(200, 200, 0, 0);
  JudgeRest();
  EXPECT_EQ(gRound.playPhase, kPhaseHoleInOne);
  gRound.playPhase = kPhaseAtRest;
  gRound.strokeCounter = 3;
  JudgeRest();
  EXPECT_EQ(gRound.playPhase, kPhaseHoled);
  // At a funnel's very edge, far from its point, the ball is holed all the same.
  gRound.playPhase = kPhaseAtRest;
  Put(250, 250, 0x9F);
  gRound.ball = Ball(250, 250, 0, 0);
  JudgeRest();
  EXPECT_EQ(gRound.playPhase, kPhaseHoled);

  // Near misses within 9 pixels: the phase stays.
  gRound.playPhase = kPhaseAtRest;
  const struct {
    int16_t dx, dy;
    bool near;
  } cases[] = {{0, 9, true}, {0, 10, false}, {6, 6, true}, {7, 6, false}, {-9, 0, true}};
  for (const auto& c : cases) {
    HeadlessAudioReset();
    gRound.ball = Ball(static_cast<int16_t>(200 + c.dx), static_cast<int16_t>(200 + c.dy), 0, 0);
    JudgeRest();
    EXPECT_EQ(Heard() == std::vector<std::string>{kJustMiss}, c.near) << c.dx << "," << c.dy;
    EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  }
  // A cup table whose entry 0 has x 0 names its cup in entry 15.
  gHole.cupTable[0] = {0, 200};
  gHole.cupTable[15] = {400, 300};
  int32_t hx = 0, hy = 0;
  CupPoint(&hx, &hy);
  EXPECT_EQ(hx, 400);
  EXPECT_EQ(hy, 300);
  EXPECT_TRUE(IsNearMiss(400, 291, 400, 300));
  EXPECT_FALSE(IsNearMiss(0, 209, 400, 300));
}

// ---- Water ------------------------------------------------------------------------------------------------

TEST_F(FeatureTest, WaterStraightFromGreenRestsOnThatPixelWithAPenaltyStroke) {
  Fill(110, 0, 639, 440, kCodeWater);
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  ExpectBall(gRound.ball, 109, 100, 0, 0, 1, 1);
  EXPECT_EQ(gRound.strokeCounter, 2);
  ExpectBall(gRound.strokeHistory[2], kNoPosition, 100, 0, 0, 1, 1);
  ExpectBall(gRound.strokeHistory[1], 100, 100, 60, 0, 1, 1);
  EXPECT_EQ(gRound.replayAllowed, 1);
  EXPECT_EQ(Heard(), std::vector<std::string>{"Snds\\Water.wav"});
}

TEST_F(FeatureTest, WaterAfterOpenGroundRestsOnTheLastGreenPixel) {
  Fill(105, 0, 109, 440, kCodeOpen);
  Fill(110, 0, 639, 440, kCodeWater);
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(gRound.ball.x, 104);
  EXPECT_EQ(gRound.ball.y, 100);
  EXPECT_EQ(gRound.strokeCounter, 2);

  // A penalty beyond the 16 history entries counts but records nothing.
  gRound.strokeCounter = 15;
  gRound.playPhase = kPhaseRolling;
  gMotion.previous = Ball(109, 100, 3, 0);
  gRound.ball = Ball(110, 100, 2, 0);
  EnterWater();
  EXPECT_EQ(gRound.strokeCounter, 16);
  EXPECT_EQ(gRound.strokeHistory[15].x, 0);
}

// ---- Tunnel paths -----------------------------------------------------------------------------------------

TEST_F(FeatureTest, TunnelRunsStraightToAnExitAndSkipsItsOwnMouth) {
  Put(100, 100, Tunnel(0, 0));
  Put(101, 100, Tunnel(4, 4));  // would be an exit, but still the mouth the trip starts in
  Put(200, 100, Tunnel(4, 4));
  std::vector<int32_t> xs;
  const TunnelRoute r = FollowTunnel(100, 100, 0, [&xs](int32_t x, int32_t, int32_t) { xs.push_back(x); });
  EXPECT_EQ(r.stop, TunnelStop::Result);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.x, 200);
  EXPECT_EQ(r.y, 100);
  EXPECT_EQ(r.points, 100);
  ASSERT_EQ(xs.size(), 100u);
  EXPECT_EQ(xs.front(), 101);

  // A far mouth that does not point back turns the path its own way.
  Put(200, 100, Tunnel(6, 6));
  Put(200, 50, Tunnel(2, 2));
  const TunnelRoute up = FollowTunnel(100, 100, 0);
  EXPECT_EQ(up.result, 1);
  EXPECT_EQ(up.x, 200);
  EXPECT_EQ(up.y, 50);
  EXPECT_EQ(up.direction, 6);
}

TEST_F(FeatureTest, BendsTurnByTheSideTheBallArrivesFrom) {
  // Openings east (f 0) and south (e 2).
  for (const uint8_t bend : {Tunnel(0, 2), Tunnel(2, 0)}) {
    Fill(0, 0, 639, 479, kCodeGreen);
    Put(150, 100, bend);
    Put(150, 150, Tunnel(2, 6));  // an end: result 2
    const TunnelRoute west = FollowTunnel(200, 100, 4);  // arriving from the east side: south
    EXPECT_EQ(west.result, 2);
    EXPECT_EQ(west.x, 150);
    EXPECT_EQ(west.y, 150);
    EXPECT_EQ(west.direction, 2);
  }
  Fill(0, 0, 639, 479, kCodeGreen);
  Put(150, 100, Tunnel(0, 2));
  Put(180, 100, Tunnel(6, 2));  // an end: result 6
  const TunnelRoute north = FollowTunnel(150, 130, 6);  // arriving from the south side: east
  EXPECT_EQ(north.result, 6);
  EXPECT_EQ(north.x, 180);
  Put(110, 100, Tunnel(0, 4));  // an end: result 0
  const TunnelRoute east = FollowTunnel(120, 100, 0);  // from the west, no opening there: back west
  EXPECT_EQ(east.result, 0);
  EXPECT_EQ(east.x, 110);
  EXPECT_EQ(east.direction, 4);
}

TEST_F(FeatureTest, TunnelOffTheMapOrRoundInALoopStops) {
  const TunnelRoute edge = FollowTunnel(630, 470, 1);
  EXPECT_EQ(edge.stop, TunnelStop::MapEdge);
  EXPECT_EQ(edge.points, 10);

  // Four bends that lead back into the path: bad data, which must not hang the game.
  Put(100, 100, Tunnel(0, 0));
  Put(150, 100, Tunnel(4, 2));
  Put(150, 150, Tunnel(6, 4));
  Put(50, 150, Tunnel(0, 6));
  Put(50, 100, Tunnel(2, 0));
  const TunnelRoute loop = FollowTunnel(100, 100, 0);
  EXPECT_EQ(loop.stop, TunnelStop::Loop);
  EXPECT_EQ(loop.points, 350);  // one lap and back to the first bend

  gMotion.previous = Ball(99, 100, 20, 5);
  gRound.ball = Ball(100, 100, 19, 5);
  TunnelTrip(0, 0);
  ExpectBall(gRound.ball, 99, 100, 20, 5, -1, -1);
  EXPECT_EQ(gMotion.tunnelGuard, 0);
}

// ---- Tunnel trips -----------------------------------------------------------------------------------------

TEST_F(FeatureTest, TransitTimeAndTheWestwardExit) {
  EXPECT_EQ(TransitTime(300, 60, 40), 3000);
  EXPECT_EQ(TransitTime(300, 150, 50), 1500);
  EXPECT_EQ(TransitTime(299, 150, 50), 1495);
  EXPECT_EQ(TransitTime(300, 0, 0), 3000);
  EXPECT_EQ(TransitTime(10, 1, 2), 3000);  // 3333, at most 3000
  int16_t sx = 10, sy = 80;
  WestwardSpeeds(&sx, &sy);  // (30, 40), then (40, 20)
  EXPECT_EQ(sx, 40);
  EXPECT_EQ(sy, 20);
  sx = 50;
  sy = 20;
  WestwardSpeeds(&sx, &sy);
  EXPECT_EQ(sx, 50);
  EXPECT_EQ(sy, 20);
  sx = -5;  // only wrapped speeds are negative; they must not hang the ball
  sy = 3;
  WestwardSpeeds(&sx, &sy);
  EXPECT_EQ(sy, 0);
}

TEST_F(FeatureTest, ExitWaitsTheTransitAfterTheSink) {
  Put(100, 100, Tunnel(0, 0));
  Put(400, 100, Tunnel(4, 4));
  gRound.ball = Ball(100, 100, 60, 40);
  const uint32_t sink = Timed([] { SinkBall(); });
  uint32_t ms = Timed([] { TunnelTrip(0, 0); });
  EXPECT_EQ(ms - sink, 3000u);
  ExpectBall(gRound.ball, 400, 100, 60, 40, 1, 1);
  EXPECT_EQ(gMotion.tunnelGuard, 2);
  EXPECT_TRUE(Heard().empty());

  gMotion.tunnelGuard = 0;
  gRound.ball = Ball(100, 100, 150, 50);
  ms = Timed([] { TunnelTrip(0, 0); });
  EXPECT_EQ(ms - sink, 1500u);
}

TEST_F(FeatureTest, Hole14SouthWestExitSoundsWhileUnderground) {
  Put(300, 100, Tunnel(3, 3));
  Put(250, 150, Tunnel(7, 7));
  for (const int8_t hole : {1, 14}) {
    HeadlessAudioReset();
    gRound.currentHole = hole;
    gMotion.tunnelGuard = 0;
    gRound.ball = Ball(300, 100, 10, 10);
    TunnelTrip(3, 3);
    EXPECT_EQ(gRound.ball.x, 250);
    EXPECT_EQ(gRound.ball.y, 150);
    const std::vector<std::string> expected = hole == 14 ? std::vector<std::string>{"Snds\\InHole.wav"}
                                                         : std::vector<std::string>{};
    EXPECT_EQ(Heard(), expected);
    EXPECT_EQ(Heard(HeadlessSoundAction::Stop), expected);
  }
}

TEST_F(FeatureTest, TeleportWestwardAndSilentEnds) {
  Put(100, 100, Tunnel(0, 0));
  Put(300, 100, Tunnel(2, 6));  // result 2
  gRound.ball = Ball(100, 100, 10, 80);
  EXPECT_EQ(Timed([] { TunnelTrip(0, 0); }), Timed([] { TeleportBall(); }));  // no transit
  ExpectBall(gRound.ball, 300, 100, 10, 80, 1, 1);
  EXPECT_EQ(Heard(), std::vector<std::string>{"Snds\\Teleport.wav"});

  HeadlessAudioReset();
  Put(300, 100, Tunnel(4, 0));  // result 4
  gMotion.tunnelGuard = 0;
  gRound.ball = Ball(100, 100, 10, 80);
  TunnelTrip(0, 0);
  ExpectBall(gRound.ball, 300, 100, 40, 20, -1, 1);
  EXPECT_TRUE(Heard().empty());

  for (const int32_t result : {0, 3, 5, 6, 7}) {
    Put(300, 100, Tunnel(result, (result + 4) & 7));
    gMotion.tunnelGuard = 0;
    gRound.ball = Ball(100, 100, 10, 80);
    EXPECT_EQ(Timed([] { TunnelTrip(0, 0); }), 0u) << result;
    ExpectBall(gRound.ball, 300, 100, 10, 80, 1, 1);
  }
  EXPECT_TRUE(Heard().empty());
}

TEST_F(FeatureTest, GuardBlocksTripsUntilAStepOffTheTunnel) {
  gMotion.tunnelGuard = 1;
  gRound.ball = Ball(100, 100, 5, 5);
  TunnelTrip(0, 0);
  EXPECT_EQ(gMotion.tunnelGuard, 2);
  ExpectBall(gRound.ball, 100, 100, 5, 5, 1, 1);
  gMotion.tunnelGuard = 0;
  TunnelTrip(0, 2);  // a bend under the ball starts nothing
  EXPECT_EQ(gMotion.tunnelGuard, 0);

  // In through a mouth two cells wide, out through another: the guard holds over the exit's second cell.
  Put(101, 100, Tunnel(0, 0));
  Put(102, 100, Tunnel(0, 0));
  Put(200, 100, Tunnel(4, 4));
  Put(201, 100, Tunnel(4, 4));
  std::vector<int32_t> guards;
  std::vector<int32_t> xs;
  gMotion.stepHook = [&](const StepRecord& r) {
    guards.push_back(gMotion.tunnelGuard);
    xs.push_back(r.ball.x);
  };
  Stroke(100, 100, 110, 100);
  ASSERT_GE(guards.size(), 3u);
  EXPECT_EQ(guards[0], 1);
  EXPECT_EQ(guards[1], 1);
  EXPECT_EQ(guards[2], 0);
  EXPECT_EQ(xs[0], 200);
  EXPECT_EQ(gRound.ball.x, 200 + 59);  // the speed it had left after the step into the mouth
}

// ---- The chute --------------------------------------------------------------------------------------------

TEST(FeatureChuteTest, EntryRowsPickTheStartAndItsDirection) {
  const struct {
    int16_t y, newY;
    int32_t d;
  } rows[] = {{116, 119, 7}, {117, 119, 0}, {118, 119, 1}, {119, 120, 7}, {120, 120, 0},
              {121, 120, 1}, {122, 120, 0}, {123, 120, 1}, {115, 120, 0}, {124, 120, 0}};
  for (const auto& r : rows) {
    EXPECT_EQ(ChuteEntry(r.y).y, r.newY) << r.y;
    EXPECT_EQ(ChuteEntry(r.y).direction, r.d) << r.y;
  }
}

TEST_F(FeatureTest, ChuteCarriesTheBallAlongItsPathAndSendsItWest) {
  // Figure sprites told apart by their value: the 32-pixel block number.
  gHole.holePicture = CreateSurface(640, 480);
  gHole.figurePicture = CreateSurface(640, 32);
  for (int32_t x = 0; x < 640; ++x) {
    for (int32_t y = 0; y < 32; ++y) gHole.figurePicture->pixels[y * 640 + x] = static_cast<uint16_t>(x / 32);
  }
  auto holeAt = [](int32_t x, int32_t y) { return gHole.holePicture->pixels[y * 640 + x]; };
  gRound.currentHole = 18;
  Put(400, 117, kCodeChute);
  Put(530, 119, Tunnel(0, 4));  // the path's end, result 0
  std::vector<StepRecord> trace;
  gMotion.stepHook = [&trace](const StepRecord& r) { trace.push_back(r); };
  Stroke(390, 117, 400, 117);
  ASSERT_EQ(trace.size(), 110u);
  ExpectBall(trace[9].ball, 530, 119, 100, 0, -1, 1);  // ridden from (515, 119) east to the end
  ExpectBall(gRound.ball, 430, 119, 0, 0, -1, 1);
  EXPECT_EQ(gMotion.chutePath, 0);
  // 15 path points from a counter of 100: the first resets it, the second quacks.
  EXPECT_EQ(gMotion.quackCounter, 14);
  EXPECT_EQ(Heard(), std::vector<std::string>{"Snds\\Quack.wav"});
  EXPECT_EQ(holeAt(504, 109), kFigureSpriteStart / 32);
  EXPECT_EQ(holeAt(504, 309), kFigureSpriteBack / 32);

  ResetChuteFigure();
  EXPECT_EQ(holeAt(504, 109), kFigureSpriteIdle / 32);
  EXPECT_EQ(holeAt(504, 309), kFigureSpriteGate / 32);
  EXPECT_EQ(gMotion.quackCounter, 0);
}

TEST_F(FeatureTest, PathPointsWaitAndQuackEveryHundredAndOne) {
  gRound.ball = Ball(515, 120, 100, 0);
  DrawPathPoint(520, 120, 0);  // path drawing is off: nothing
  EXPECT_EQ(gMotion.quackCounter, 100);
  gMotion.chutePath = 1;
  gMotion.quackCounter = 0;
  const uint32_t ms = Timed([] {
    for (int32_t i = 0; i < 203; ++i) DrawPathPoint(520, 120, 0);
  });
  EXPECT_EQ(ms, 203u * 30);
  EXPECT_EQ(Heard().size(), 3u);  // points 1, 102 and 203
  ExpectBall(gRound.ball, 515, 120, 100, 0, 1, 1);  // the ball itself moves only when the trip ends
}

TEST_F(FeatureTest, ChuteWhileTheGuardIsUpOnlyMovesTheBallAndSendsItWest) {
  gRound.currentHole = 18;
  gMotion.tunnelGuard = 1;
  gRound.ball = Ball(400, 117, 30, 5);
  RideChute();
  ExpectBall(gRound.ball, kChuteX, 119, 100, 0, -1, 1);
  EXPECT_EQ(gMotion.tunnelGuard, 2);
  gRound.ball = Ball(400, 130, 30, 5);
  RideChute();
  ExpectBall(gRound.ball, kChuteX, 120, 100, 0, -1, 1);
  EXPECT_EQ(gMotion.quackCounter, 100);
}

TEST_F(FeatureTest, StartPadIsCodeOne) {
  Put(50, 60, kCodeStartPad);
  EXPECT_TRUE(IsStartPadAt(50, 60));
  EXPECT_FALSE(IsStartPadAt(51, 60));
  EXPECT_FALSE(IsStartPadAt(-1, 60));
}
