// The course checks on small holes painted straight in map codes: what each check catches, and that the par
// search's line is one the game really plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "green/hole.h"
#include "green/mapcodes.h"
#include "round/round_data.h"
#include "tests/fixture.h"
#include "tools/coursebuild/lzcc_encode.h"
#include "tools/sim/check_command.h"
#include "tools/sim/check_search.h"

namespace {

constexpr int32_t kRows = 441;

// Felt inside a rough wall, a pad round hole 1's scripted pad points, and a cup with its funnel at (400, 330).
// Raw values are the codes themselves.
class CheckTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    codes_.assign(size_t{640} * kRows, kCodeRoughWall);
    Fill(20, 20, 619, 420, kCodeGreen);
    Fill(55, 300, 100, 370, kCodeStartPad);
    Funnel(0, POINT{400, 330});
  }
  // Funnel n round its point, which becomes cup-table entry n.
  void Funnel(int32_t n, POINT p) {
    Disc(p.x, p.y, 12, static_cast<uint8_t>(kCodeFunnel + n));
    cups_[n] = TablePoint{static_cast<int16_t>(p.x), static_cast<int16_t>(p.y)};
  }
  void Fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t code) {
    for (int32_t y = y0; y <= y1; ++y) {
      for (int32_t x = x0; x <= x1; ++x) codes_[y * 640 + x] = code;
    }
  }
  void Disc(int32_t cx, int32_t cy, int32_t r, uint8_t code) {
    for (int32_t y = cy - r; y <= cy + r; ++y) {
      for (int32_t x = cx - r; x <= cx + r; ++x) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) codes_[y * 640 + x] = code;
      }
    }
  }
  void Write(int32_t hole) {
    char name[16];
    std::snprintf(name, sizeof name, "Hole%02d.HIO", hole);
    WriteBitmapFile(dir_ / "Holes" / name, MakeBitmap(640, 480, [](int32_t, int32_t) { return 0x308030u; }));
    std::vector<uint8_t> map(kMapBytes, 0);
    for (size_t y = 0; y < kRows; ++y) std::memcpy(&map[(479 - y) * 640], &codes_[y * 640], 640);
    for (int32_t i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i);
    std::memcpy(&map[1280], cups_, sizeof cups_);
    std::memcpy(&map[640], &normal_, sizeof normal_);
    std::memcpy(&map[1920 + 64], &slopeStrength_, sizeof slopeStrength_);
    const std::vector<uint8_t> file = EncodeLzcc(map);
    std::snprintf(name, sizeof name, "Hole%02d.H2O", hole);
    std::ofstream(dir_ / "Holes" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());
  }
  HoleReport Check(int32_t hole, std::vector<HoleCheck> extra = {}) {
    CheckSettings s;
    s.game = dir_.string();
    s.randomStrokes = 60;
    s.extraChecks = std::move(extra);
    return CheckHole(s, hole);
  }
  static const CheckResult& Named(const HoleReport& r, const std::string& name) {
    for (const CheckResult& c : r.checks) {
      if (c.name == name) return c;
    }
    throw std::runtime_error("no check " + name);
  }
  std::vector<uint8_t> codes_;
  int16_t slopeStrength_ = 1;
  TablePoint normal_{0, 0};  // wall table entry 0, for code 0xA0
  TablePoint cups_[16] = {};
};

}  // namespace

TEST_F(CheckTest, AnOpenGreenPassesAllButTheDemonstration) {
  Write(1);
  const HoleReport r = Check(1);
  ASSERT_EQ(r.checks.size(), 5u);
  // Player 1's scripted stroke stays out on plain felt, so player 2 never plays.
  const CheckResult& demo = Named(r, "demo");
  EXPECT_FALSE(demo.passed);
  EXPECT_EQ(demo.summary, "2 of 5 script records used; the demonstration does not play out");
  EXPECT_NE(demo.details[1].find("the player's last stroke must drop"), std::string::npos);
  EXPECT_NE(demo.details[2].find("not reached"), std::string::npos);
  EXPECT_TRUE(Named(r, "map").passed);
  const CheckResult& par = Named(r, "par");
  EXPECT_TRUE(par.passed);
  EXPECT_EQ(par.summary, "holes out in 1 (par 2) from (71,319)");
  const CheckResult& dead = Named(r, "dead spots");
  EXPECT_TRUE(dead.passed);
  EXPECT_NE(dead.summary.find(", 0 dead"), std::string::npos);
  EXPECT_TRUE(Named(r, "rolls").passed);
  EXPECT_FALSE(r.Passed());
}

TEST_F(CheckTest, TheLineFoundIsTheGamesOwnStroke) {
  Fill(280, 20, 300, 360, kCodeRoughWall);  // a wall across: the cup is round the corner
  Write(1);
  gRound.currentHole = 1;
  LoadHole();
  PrepareHeadlessPhysics();
  HoleSearch search;
  StartHoleSearch(&search);
  const TurnState start = StartOfTurn(71, 319);
  Line line;
  ASSERT_TRUE(FindLine(&search, start, 3, 12, &line));
  TurnState at = start;
  for (const LineStroke& k : line) {
    EXPECT_TRUE(IsPlayerAim(at.ball, k.aim));
    const StrokeResult r = PlayTurnStroke(at, k.aim);
    EXPECT_EQ(r.phase, k.phase);
    EXPECT_EQ(r.after.ball.x, k.rest.x);
    at = r.after;
  }
  EXPECT_EQ(line.back().phase, line.size() == 1 ? kPhaseHoleInOne : kPhaseHoled);
}

TEST_F(CheckTest, ACupWalledOffLeavesEveryPlaceDead) {
  Disc(400, 330, 26, kCodeRoughWall);
  Disc(400, 330, 20, kCodeGreen);
  Disc(400, 330, 12, kCodeFunnel);
  Write(1);
  const HoleReport r = Check(1);
  EXPECT_EQ(Named(r, "par").summary,
            "no line from (71,319) holes out within par 2: the map walls the cup off from there");
  const CheckResult& dead = Named(r, "dead spots");
  EXPECT_FALSE(dead.passed);
  EXPECT_EQ(dead.fields[0].second, dead.fields[1].second);  // places checked, places dead
  EXPECT_EQ(RunCheck({{"game", dir_.string()}, {"hole", "1"}}), 1);
}

TEST_F(CheckTest, APocketBehindAOneWayWallIsDead) {
  // A straight wall with normal (0, 1) holds only a ball rolling down into it: balls get into the pocket
  // above it and never out again. Everywhere else the cup is in reach.
  Fill(380, 20, 520, 110, kCodeRoughWall);
  Fill(390, 30, 510, 99, kCodeGreen);
  Fill(420, 100, 480, 110, kCodeWall);
  normal_ = {0, 1};
  Write(1);
  const CheckResult dead = Named(Check(1), "dead spots");
  EXPECT_FALSE(dead.passed);
  ASSERT_FALSE(dead.details.empty());
  for (const std::string& d : dead.details) {
    int32_t x = 0, y = 0;
    ASSERT_EQ(std::sscanf(d.c_str(), "dead: (%d,%d)", &x, &y), 2) << d;
    EXPECT_TRUE(x >= 390 && x <= 510 && y >= 30 && y <= 99) << d;
    EXPECT_NE(d.find("walled off from the cup"), std::string::npos) << d;
  }
  // And the physics agrees: no stroke from inside gets the ball out.
  const TurnState inside = StartOfTurn(450, 60);
  for (int32_t ax = 250; ax <= 639; ax += 20) {
    for (int32_t ay = 0; ay <= 260; ay += 20) {
      if (!IsPlayerAim(inside.ball, POINT{ax, ay})) continue;
      const BallState b = PlayTurnStroke(inside, POINT{ax, ay}).after.ball;
      EXPECT_TRUE(b.x >= 390 && b.x <= 510 && b.y >= 30 && b.y <= 110) << ax << "," << ay;
    }
  }
}

TEST_F(CheckTest, AMapValueWithoutMeaningFailsTheMap) {
  Fill(200, 100, 210, 110, 7);  // raw 7 means code 7, which the ground step ignores
  Write(2);
  int32_t asked = 0;
  const HoleReport r = Check(2, {{"picture and map", [&](int32_t hole) {
                                    asked = hole;
                                    CheckResult c;
                                    c.passed = false;
                                    return c;
                                  }}});
  const CheckResult& map = Named(r, "map");
  EXPECT_FALSE(map.passed);
  EXPECT_EQ(map.details.back(), "the script's pad point (76,231) of player 2 is not on the pad");
  EXPECT_NE(std::find(map.details.begin(), map.details.end(),
                      "raw value 7 means code 7, which does nothing: 121 pixels, the first at (200,100)"),
            map.details.end());
  // A check added from outside runs on the hole and counts like the others.
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(Named(r, "picture and map").passed);
}

TEST_F(CheckTest, ARollThatNeverRestsIsReported) {
  slopeStrength_ = 0;  // a ball out of speed on a slope of strength 0 is held there for ever
  Fill(150, 20, 350, 420, kCodeSlope);
  Write(1);
  const CheckResult rolls = Named(Check(1), "rolls");
  EXPECT_FALSE(rolls.passed);
  ASSERT_FALSE(rolls.details.empty());
  EXPECT_NE(rolls.details[0].find("by the no-pause stop"), std::string::npos);
}

TEST_F(CheckTest, TheDemonstrationPassesOnceEveryLastStrokeDrops) {
  // Hole 13's script: player 1 holes in one, player 2 in two. A funnel wherever a last stroke stopped short
  // takes the script one record further each time.
  Fill(150, 330, 220, 380, kCodeStartPad);
  DemoRun run;
  for (int32_t n = 1; n < 4; ++n) {
    Write(13);
    ASSERT_TRUE(PlayDemoRun(dir_.string(), 13, "", 0, &run));
    if (run.completed) break;
    const auto last =
        std::find_if(run.outcomes.rbegin(), run.outcomes.rend(), [](const DemoOutcome& o) { return o.used; });
    Funnel(n, POINT{last->ball.x, last->ball.y});
  }
  ASSERT_TRUE(run.completed);
  const CheckResult demo = Named(Check(13), "demo");
  EXPECT_TRUE(demo.passed);
  EXPECT_EQ(demo.summary, "5 of 5 script records used; every player's last stroke drops");
  EXPECT_NE(demo.details[1].find("holed in one"), std::string::npos);
  EXPECT_NE(demo.details[3].find("in play"), std::string::npos);
}

TEST_F(CheckTest, AStrokeCarriesWhatATurnCarries) {
  slopeStrength_ = 3;
  Fill(150, 20, 160, 420, kCodeSlopeStrength);  // strength 0 from here on in this turn
  Fill(300, 20, 619, 420, kCodeWater);
  Write(1);
  gRound.currentHole = 1;
  LoadHole();
  PrepareHeadlessPhysics();
  const TurnState start = StartOfTurn(71, 319);
  EXPECT_EQ(start.motion.slopeStrength, 3);
  const StrokeResult r = PlayTurnStroke(start, POINT{171, 319});  // 600 pixels east: into the water
  EXPECT_EQ(r.phase, kPhaseAtRest);
  EXPECT_EQ(r.after.stroke, 3);  // the stroke and its penalty
  EXPECT_EQ(r.after.ball.x, 299);
  EXPECT_EQ(r.after.motion.slopeStrength, 0);
  EXPECT_EQ(r.end, RollEnd::Rest);
}

TEST_F(CheckTest, AMapFileTheReaderRefusesStopsTheHole) {
  std::vector<uint8_t> file(20 + 20500, 0);
  std::memcpy(file.data(), "LZCC", 4);
  const int32_t output = 300000;
  std::memcpy(&file[4], &output, sizeof output);
  std::filesystem::create_directories(dir_ / "Holes");
  std::ofstream(dir_ / "Holes" / "Hole04.H2O", std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), file.size());
  const HoleReport r = Check(4);
  const CheckResult& map = Named(r, "map");
  EXPECT_EQ(map.summary, "Holes\\Hole04.H2O: payload 20500 bytes, output 300000");
  EXPECT_EQ(map.details, (std::vector<std::string>{"payload 20500 bytes, over the reader's 20000",
                                                   "output length 300000 outside 307200..309200",
                                                   "Holes\\Hole04.H2O does not decode within the reader's limits"}));
  EXPECT_EQ(Named(r, "par").summary, "not run: the hole cannot be played");
  EXPECT_EQ(RunCheck({{"game", dir_.string()}, {"hole", "19"}}), 2);
}
