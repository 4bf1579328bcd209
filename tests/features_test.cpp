// Course features, and the effects a roll plays: judging a ball at rest, water, tunnels with every result,
// hole 18's chute and its figure, wall effects; on maps built in the test.
#include "green/features.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "green/hole.h"
#include "green/mapcodes.h"
#include "green/physics.h"
#include "green/sprites.h"
#include "media/sound.h"
#include "platform/headless/headless_audio.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/fixture.h"

namespace {

constexpr uint8_t Tunnel(int32_t f, int32_t e) { return static_cast<uint8_t>(0xC0 | (f << 3) | e); }

// A green of code 3, identity code table, the ball rolling on hole 1 at stroke 1, and every round effect
// loaded from a short WAV file, so that the backend records what plays.
class FeatureTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    HeadlessAudioReset();
    InitSound(0);
    std::string wave(
        "RIFF\x4a\x04\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x11\x2b\0\0\x11\x2b\0\0\x01\0\x08\0data\x26\x04\0\0", 44);
    wave.resize(44 + 1062, '\x80');  // 44-byte header and 1,062 samples of 8-bit mono at 11,025 Hz
    std::filesystem::create_directories(dir_ / "Snds");
    for (int32_t i = 0; i < kRoundEffectCount; ++i) {
      std::ofstream(dir_ / "Snds" / (kRoundEffectFiles[i] + 5), std::ios::binary) << wave;
      gRound.effects[i] = CreateEffectBuffer(kRoundEffectFiles[i]);
      ASSERT_NE(gRound.effects[i], nullptr);
    }
    for (int32_t i = 0; i < 256; ++i) gHole.codeTable[i] = static_cast<uint8_t>(i);
    FillMapCodes(0, 0, 639, 479, kCodeGreen);
    gRound.currentHole = 1;
    gRound.strokeCounter = 1;
    gRound.playPhase = kPhaseRolling;
  }
  void TearDown() override {
    ResetRoundForTest();
    HeadlessAudioReset();
    GameFolderTest::TearDown();
  }
  static void Stroke(int16_t x, int16_t y, int32_t aimX, int32_t aimY) {
    gRound.ball = B(x, y, 0, 0);
    gRound.aimPoint = {aimX, aimY};
    gRound.playPhase = kPhaseStrike;
    StrikeBall();
    gRound.playPhase = kPhaseRolling;
    RollBall();
  }
  // Milliseconds a call schedules on the frame timer.
  template <typename F>
  static uint32_t Timed(F f) {
    FrameWait(0);
    f();
    return gShell.frameDeadline - gShell.frameBase;
  }
  // The effects played (or stopped), short names joined: "WallL WallR".
  static std::string Heard(HeadlessSoundAction action = HeadlessSoundAction::Play) {
    std::string names;
    for (const HeadlessSound& s : HeadlessSounds()) {
      if (s.action == action) names += (names.empty() ? "" : " ") + s.name.substr(5, s.name.size() - 9);
    }
    return names;
  }
};

// Where a tunnel trip ended: its result and last path point.
std::tuple<int32_t, int32_t, int32_t> End(const TunnelRoute& r) { return {r.result, r.x, r.y}; }

}  // namespace

TEST_F(FeatureTest, WallEffectsAlternateLeftAndRight) {
  gHole.wallTable[0] = {1, 0};
  gHole.wallTable[1] = {-1, 0};
  FillMapCodes(120, 0, 120, 479, kCodeWall);
  FillMapCodes(90, 0, 90, 479, 0xA1);
  Stroke(100, 100, 110, 100);  // 60: off x 120 with 41 left, off x 90 with 13
  EXPECT_EQ(S(gRound.ball), "104,100 0,0 1,1");
  EXPECT_EQ(Heard(), "WallL WallR");
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(Heard(), "WallL WallR WallL WallR");
}

// ---- Judging the rest -------------------------------------------------------------------------------------

TEST_F(FeatureTest, RestIsHoledInOneHoledOrANearMiss) {
  gHole.cupTable[0] = {200, 200};
  PutMapCode(200, 200, kCodeCup);
  gRound.ball = B(200, 200, 0, 0);
  JudgeRest();  // while rolling it only ends the roll
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  EXPECT_EQ(Heard(), "");
  JudgeRest();
  EXPECT_EQ(gRound.playPhase, kPhaseHoleInOne);
  gRound.playPhase = kPhaseAtRest;
  gRound.strokeCounter = 3;
  PutMapCode(250, 250, 0x9F);  // a funnel's edge, far from its point, holes the ball all the same
  gRound.ball = B(250, 250, 0, 0);
  JudgeRest();
  EXPECT_EQ(gRound.playPhase, kPhaseHoled);
  gRound.playPhase = kPhaseAtRest;
  for (const auto& [dx, dy, near] : std::vector<std::tuple<int16_t, int16_t, bool>>{
           {0, 9, true}, {0, 10, false}, {6, 6, true}, {7, 6, false}, {-9, 0, true}}) {
    HeadlessAudioReset();
    gRound.ball = B(static_cast<int16_t>(200 + dx), static_cast<int16_t>(200 + dy), 0, 0);
    JudgeRest();
    EXPECT_EQ(Heard(), near ? "JustMiss" : "") << dx << "," << dy;
    EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  }
  gHole.cupTable[0] = {0, 200};  // entry 0 with x 0: the cup is entry 15
  gHole.cupTable[15] = {400, 300};
  int32_t hx = 0, hy = 0;
  CupPoint(&hx, &hy);
  EXPECT_EQ(std::tuple(hx, hy), std::tuple(400, 300));
  EXPECT_TRUE(IsNearMiss(400, 291, 400, 300));
}

// ---- Water ------------------------------------------------------------------------------------------------

TEST_F(FeatureTest, WaterCostsAStrokeAndTheBallRestsWhereItLastMayRest) {
  FillMapCodes(110, 0, 639, 440, kCodeWater);
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(gRound.playPhase, kPhaseAtRest);
  EXPECT_EQ(S(gRound.ball), "109,100 0,0 1,1");  // straight from green: on that pixel
  EXPECT_EQ(gRound.strokeCounter, 2);
  EXPECT_EQ(S(gRound.strokeHistory[2]), "999,100 0,0 1,1");
  EXPECT_EQ(gRound.replayAllowed, 1);
  EXPECT_EQ(Heard(), "Water");
  FillMapCodes(105, 0, 109, 440, kCodeOpen);  // across open ground: back on the last green pixel
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(S(gRound.ball), "104,100 0,0 1,1");
  EXPECT_EQ(gRound.strokeCounter, 3);
  gRound.strokeCounter = 15;  // a penalty past the 16 history entries counts but records nothing
  gMotion.previous = B(109, 100, 3, 0);
  EnterWater();
  EXPECT_EQ(gRound.strokeCounter, 16);
  EXPECT_EQ(gRound.strokeHistory[15].x, 0);
}

// ---- Tunnels ----------------------------------------------------------------------------------------------

TEST_F(FeatureTest, TunnelPathsRunToExitsAndMouthsTurnThem) {
  PutMapCode(101, 100, Tunnel(4, 4));  // would be an exit, but it is still the mouth the trip starts in
  PutMapCode(200, 100, Tunnel(4, 4));
  std::vector<int32_t> xs;
  TunnelRoute r = FollowTunnel(100, 100, 0, [&xs](int32_t x, int32_t, int32_t) { xs.push_back(x); });
  EXPECT_EQ(r.stop, TunnelStop::Result);
  EXPECT_EQ(End(r), std::tuple(1, 200, 100));
  EXPECT_EQ(r.points, 100);
  EXPECT_EQ(std::tuple(xs.size(), xs.front()), std::tuple(100u, 101));
  PutMapCode(200, 100, Tunnel(6, 6));  // a far mouth that does not point back turns the path its way
  PutMapCode(200, 50, Tunnel(2, 2));
  r = FollowTunnel(100, 100, 0);
  EXPECT_EQ(End(r), std::tuple(1, 200, 50));
  EXPECT_EQ(r.direction, 6);
}

TEST_F(FeatureTest, BendsTurnByTheSideTheBallArrivesFrom) {
  for (const uint8_t bend : {Tunnel(0, 2), Tunnel(2, 0)}) {  // openings east and south, either way round
    PutMapCode(150, 100, bend);
    PutMapCode(150, 150, Tunnel(2, 6));                  // an end: result 2
    const TunnelRoute west = FollowTunnel(200, 100, 4);  // in from the east side: out south
    EXPECT_EQ(End(west), std::tuple(2, 150, 150));
  }
  PutMapCode(150, 150, kCodeGreen);
  PutMapCode(180, 100, Tunnel(6, 2));                   // an end: result 6
  const TunnelRoute north = FollowTunnel(150, 130, 6);  // in from the south side: out east
  EXPECT_EQ(End(north), std::tuple(6, 180, 100));
  PutMapCode(110, 100, Tunnel(0, 4));                  // an end: result 0
  const TunnelRoute east = FollowTunnel(120, 100, 0);  // in from the west, no opening: back west
  EXPECT_EQ(End(east), std::tuple(0, 110, 100));
}

TEST_F(FeatureTest, TunnelsOffTheMapOrRoundALoopBounceTheBallBack) {
  const TunnelRoute edge = FollowTunnel(630, 470, 1);
  EXPECT_EQ(edge.stop, TunnelStop::MapEdge);
  EXPECT_EQ(edge.points, 10);
  // Four bends that lead back into the path: bad data, which must not hang the game.
  PutMapCode(100, 100, Tunnel(0, 0));
  PutMapCode(150, 100, Tunnel(4, 2));
  PutMapCode(150, 150, Tunnel(6, 4));
  PutMapCode(50, 150, Tunnel(0, 6));
  PutMapCode(50, 100, Tunnel(2, 0));
  const TunnelRoute loop = FollowTunnel(100, 100, 0);
  EXPECT_EQ(loop.stop, TunnelStop::Loop);
  EXPECT_EQ(loop.points, 350);  // one lap and back to the first bend
  for (const int32_t x : {100, 630}) {
    gMotion.previous = B(99, 100, 20, 5);
    gRound.ball = B(static_cast<int16_t>(x), 100, 19, 5);
    TunnelTrip(0, 0);
    EXPECT_EQ(S(gRound.ball), "99,100 20,5 -1,-1");
    EXPECT_EQ(gMotion.tunnelGuard, 0);
  }
}

TEST_F(FeatureTest, TransitTimeAndTheWestwardExitSpeeds) {
  EXPECT_EQ(TransitTime(300, 60, 40), 3000);
  EXPECT_EQ(TransitTime(300, 150, 50), 1500);
  EXPECT_EQ(TransitTime(299, 150, 50), 1495);
  EXPECT_EQ(TransitTime(300, 0, 0), 3000);
  EXPECT_EQ(TransitTime(10, 1, 2), 3000);  // 3333, at most 3000
  EXPECT_EQ(TransitTime(1, 2000, 0), 0);
  for (const auto& [sx, sy, after] : std::vector<std::tuple<int16_t, int16_t, std::string>>{
           {10, 80, "40,20"}, {50, 20, "50,20"}, {-5, 3, "-5,0"}}) {  // negative: only from wrapped speeds
    int16_t x = sx, y = sy;
    WestwardSpeeds(&x, &y);
    EXPECT_EQ(std::to_string(x) + "," + std::to_string(y), after);
  }
}

TEST_F(FeatureTest, TripResultsExitTeleportWestwardAndSilentEnds) {
  PutMapCode(400, 100, Tunnel(4, 4));
  const uint32_t sink = Timed([] { SinkBall(); });
  for (const auto& [sx, sy, ms] :
       std::vector<std::tuple<int16_t, int16_t, uint32_t>>{{60, 40, 3000}, {150, 50, 1500}}) {
    gMotion.tunnelGuard = 0;
    gRound.ball = B(100, 100, sx, sy);
    EXPECT_EQ(Timed([] { TunnelTrip(0, 0); }) - sink, ms);  // the sink, then the transit
    EXPECT_EQ(S(gRound.ball), S(B(400, 100, sx, sy)));
    EXPECT_EQ(gMotion.tunnelGuard, 2);
  }
  PutMapCode(400, 100, Tunnel(2, 6));  // result 2: teleport, no transit
  gMotion.tunnelGuard = 0;
  gRound.ball = B(100, 100, 10, 80);
  const uint32_t teleport = Timed([] { TunnelTrip(0, 0); });
  EXPECT_EQ(teleport, Timed([] { TeleportBall(); }));
  EXPECT_EQ(S(gRound.ball), "400,100 10,80 1,1");
  PutMapCode(400, 100, Tunnel(4, 0));  // result 4: transit, then west, x gaining on y
  gMotion.tunnelGuard = 0;
  gRound.ball = B(100, 100, 10, 80);
  TunnelTrip(0, 0);
  EXPECT_EQ(S(gRound.ball), "400,100 40,20 -1,1");
  for (const int32_t result : {0, 3, 5, 6, 7}) {
    PutMapCode(400, 100, Tunnel(result, (result + 4) & 7));
    gMotion.tunnelGuard = 0;
    gRound.ball = B(100, 100, 10, 80);
    EXPECT_EQ(Timed([] { TunnelTrip(0, 0); }), 0u) << result;
    EXPECT_EQ(S(gRound.ball), "400,100 10,80 1,1");
  }
  EXPECT_EQ(Heard(), "Teleport");
}

TEST_F(FeatureTest, Hole14SouthWestExitSoundsWhileUnderground) {
  PutMapCode(250, 150, Tunnel(7, 7));
  for (const int8_t hole : {1, 14}) {
    HeadlessAudioReset();
    gRound.currentHole = hole;
    gMotion.tunnelGuard = 0;
    gRound.ball = B(300, 100, 10, 10);
    TunnelTrip(3, 3);
    EXPECT_EQ(S(gRound.ball), "250,150 10,10 1,1");
    EXPECT_EQ(Heard() + "/" + Heard(HeadlessSoundAction::Stop), hole == 14 ? "InHole/InHole" : "/");
  }
}

TEST_F(FeatureTest, GuardHoldsUntilTheBallHasLeftTheTunnelCells) {
  gMotion.tunnelGuard = 1;
  TunnelTrip(0, 0);
  EXPECT_EQ(gMotion.tunnelGuard, 2);
  gMotion.tunnelGuard = 0;
  TunnelTrip(0, 2);  // a bend under the ball starts nothing
  EXPECT_EQ(gMotion.tunnelGuard, 0);
  // In through a mouth two cells wide, out through another.
  for (const int32_t x : {101, 102}) PutMapCode(x, 100, Tunnel(0, 0));
  for (const int32_t x : {200, 201}) PutMapCode(x, 100, Tunnel(4, 4));
  std::string guards;
  gMotion.stepHook = [&guards](const StepRecord& r) {
    if (r.step <= 3) guards += std::to_string(r.ball.x) + ":" + std::to_string(gMotion.tunnelGuard) + " ";
  };
  Stroke(100, 100, 110, 100);
  EXPECT_EQ(guards, "200:1 201:1 202:0 ");
  EXPECT_EQ(gRound.ball.x, 200 + 59);  // on with the speed left after the step into the mouth
}

// ---- The chute --------------------------------------------------------------------------------------------

TEST_F(FeatureTest, ChuteEntryRows) {
  std::string rows;
  for (int16_t y = 115; y <= 124; ++y) {
    rows += std::to_string(ChuteEntry(y).y) + ":" + std::to_string(ChuteEntry(y).direction) + " ";
  }
  EXPECT_EQ(rows, "120:0 119:7 119:0 119:1 120:7 120:0 120:1 120:0 120:1 120:0 ");
}

TEST_F(FeatureTest, ChuteCarriesTheBallAlongItsPathAndSendsItWest) {
  // Figure sprites told apart by their value: the 32-pixel block number.
  gHole.holePicture = CreateSurface(640, 480);
  gHole.figurePicture = CreateSurface(640, 32);
  for (size_t i = 0; i < gHole.figurePicture->pixels.size(); ++i) {
    gHole.figurePicture->pixels[i] = static_cast<uint16_t>(i % 640 / 32);
  }
  auto top = [] { return gHole.holePicture->pixels[109 * 640 + 504] * 32; };
  auto bottom = [] { return gHole.holePicture->pixels[309 * 640 + 504] * 32; };
  gRound.currentHole = 18;
  PutMapCode(400, 117, kCodeChute);
  PutMapCode(530, 119, Tunnel(0, 4));  // the path's end, result 0
  std::vector<StepRecord> trace;
  gMotion.stepHook = [&trace](const StepRecord& r) { trace.push_back(r); };
  Stroke(390, 117, 400, 117);
  ASSERT_EQ(trace.size(), 110u);
  EXPECT_EQ(S(trace[9].ball), "530,119 100,0 -1,1");  // from (515, 119) east to the end
  EXPECT_EQ(S(gRound.ball), "430,119 0,0 -1,1");
  EXPECT_EQ(gMotion.chutePath, 0);
  EXPECT_EQ(gMotion.quackCounter, 14);  // 15 points from 100: the first resets it, the second quacks
  EXPECT_EQ(Heard(), "Quack");
  EXPECT_EQ(std::tuple(top(), bottom()), std::tuple(kFigureSpriteStart, kFigureSpriteBack));
  ResetChuteFigure();
  EXPECT_EQ(std::tuple(top(), bottom()), std::tuple(kFigureSpriteIdle, kFigureSpriteGate));
  EXPECT_EQ(gMotion.quackCounter, 0);

  // Path points wait 30 ms and quack every 101; the ball itself moves only when the trip ends.
  gRound.ball = B(515, 120, 100, 0);
  DrawPathPoint(520, 120, 0);  // path drawing off: nothing
  gMotion.chutePath = 1;
  EXPECT_EQ(Timed([] {
              for (int32_t i = 0; i < 203; ++i) DrawPathPoint(520, 120, 0);
            }),
            203u * 30);
  EXPECT_EQ(Heard(), "Quack Quack Quack Quack");
  EXPECT_EQ(S(gRound.ball), "515,120 100,0 1,1");
}

TEST_F(FeatureTest, ChuteWhileTheGuardIsUpOnlyMovesTheBallAndSendsItWest) {
  gRound.currentHole = 18;
  gMotion.tunnelGuard = 1;
  gRound.ball = B(400, 117, 30, 5);
  RideChute();
  EXPECT_EQ(S(gRound.ball), "515,119 100,0 -1,1");
  gRound.ball = B(400, 130, 30, 5);
  RideChute();
  EXPECT_EQ(S(gRound.ball), "515,120 100,0 -1,1");
  EXPECT_EQ(std::tuple(gMotion.tunnelGuard, gMotion.quackCounter), std::tuple(3, 100));
}

TEST_F(FeatureTest, StartPadIsCodeOne) {
  PutMapCode(50, 60, kCodeStartPad);
  EXPECT_TRUE(IsStartPadAt(50, 60));
  EXPECT_FALSE(IsStartPadAt(51, 60) || IsStartPadAt(-1, 60));
}
