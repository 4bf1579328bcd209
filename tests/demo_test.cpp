// The demonstration hole: the pointer's glide, the demonstration players, and the script played through
// to its end or stopped where the game's counters part from it.
#include "round/demo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "green/hole.h"
#include "green/physics.h"
#include "platform/headless/headless.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/fixture.h"
#include "tools/coursebuild/lzcc_encode.h"

namespace {

struct Outcome {
  int32_t record;
  BallState ball;
  int32_t phase;
  std::string player1, player2;
};

class DemoTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    ASSERT_TRUE(InitDisplay(0));
    gDemo.recordHook = [this](int32_t record) {
      outcomes_.push_back(
          Outcome{record, gRound.ball, gRound.playPhase, gRound.players[0].name, gRound.players[1].name});
    };
  }
  // A walled field of plain green over the whole screen, with a small funnel round each given point.
  void WriteHole(int32_t hole, const std::vector<POINT>& funnels) {
    std::filesystem::create_directories(dir_ / "Holes");
    char name[16];
    std::snprintf(name, sizeof name, "Hole%02d.HIO", hole);
    WriteBitmapFile(dir_ / "Holes" / name, MakeBitmap(640, 480, [](int32_t, int32_t) { return 0x208020u; }));
    std::vector<uint8_t> map(kMapBytes, 0);
    for (int32_t i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i);
    const int16_t normals[] = {1, 0, 0, 1, -1, 0, 0, -1};
    std::memcpy(map.data() + 640, normals, sizeof normals);
    auto put = [&](int32_t x, int32_t y, uint8_t code) {
      if (x >= 0 && x < 640 && y >= 0 && y < 440) map[static_cast<size_t>(479 - y) * 640 + x] = code;
    };
    for (int32_t y = 0; y < 440; ++y) {
      for (int32_t x = 0; x < 640; ++x) {
        uint8_t code = 3;
        if (x < 4) code = 0xA0;
        if (x >= 636) code = 0xA2;
        if (y < 4) code = 0xA1;
        if (y >= 436) code = 0xA3;
        put(x, y, code);
      }
    }
    for (size_t n = 0; n < funnels.size() && n < 15; ++n) {
      const POINT p = funnels[n];
      const int16_t cup[] = {static_cast<int16_t>(p.x), static_cast<int16_t>(p.y)};
      std::memcpy(map.data() + 1280 + 4 * n, cup, sizeof cup);
      for (int32_t dy = -6; dy <= 6; ++dy) {
        for (int32_t dx = -6; dx <= 6; ++dx) {
          if (dx * dx + dy * dy <= 36) put(p.x + dx, p.y + dy, static_cast<uint8_t>(0x90 + n));
        }
      }
    }
    std::snprintf(name, sizeof name, "Hole%02d.H2O", hole);
    const std::vector<uint8_t> file = EncodeLzcc(map);
    std::ofstream(dir_ / "Holes" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());
  }
  int32_t RecordCount(int32_t hole) const {
    int32_t n = 0;
    for (int32_t i = 0; i < kDemoRecordCount; ++i) n += kDemoScript[i].hole == hole;
    return n;
  }
  std::vector<Outcome> outcomes_;
};

}  // namespace

TEST(PointerStepTest, AnEighthOfTheWayPlusAPixelAlwaysArrives) {
  EXPECT_EQ(PointerStep(0, 100), 13);  // 100 / 8 = 12, then one more
  EXPECT_EQ(PointerStep(100, 0), 86);  // 700 / 8 = 87, then one back
  EXPECT_EQ(PointerStep(5, 5), 5);
  EXPECT_EQ(PointerStep(0, 1), 1);
  EXPECT_EQ(PointerStep(639, 638), 638);
  for (int32_t from : {0, 320, 639}) {
    for (int32_t to : {0, 71, 541, 639}) {
      int32_t p = from;
      int32_t frames = 0;
      while (p != to && frames < 100) {
        const int32_t next = PointerStep(p, to);
        EXPECT_LT(std::abs(to - next), std::abs(to - p) + (p == to ? 1 : 0));  // never overshoots
        p = next;
        ++frames;
      }
      EXPECT_EQ(p, to);
      EXPECT_LT(frames, 45);
    }
  }
}

TEST_F(DemoTest, HolesOutsideTheCourseShowNothing) {
  const uint32_t before = timeGetTime();
  RunDemoHole(0);
  RunDemoHole(19);
  RunDemoHole(-3);
  EXPECT_EQ(timeGetTime(), before);
  EXPECT_TRUE(HeadlessTraces().empty());
  EXPECT_TRUE(outcomes_.empty());
}

TEST_F(DemoTest, ScriptPlaysThroughWhenEveryLastStrokeDrops) {
  std::strcpy(gRound.players[0].name, "Mara");
  std::strcpy(gRound.players[1].name, "Tobin");
  gRound.playerCount = 5;

  // The ball rests wherever the plain green lets it; a funnel at each resting place that should have
  // dropped makes the next run go one record further, until the whole script of the hole plays out.
  std::vector<POINT> funnels;
  bool completed = false;
  for (int32_t attempt = 0; attempt < 6 && !completed; ++attempt) {
    WriteHole(13, funnels);
    outcomes_.clear();
    ResetMotionForTest();
    SeedRandom(7);
    RunDemoHole(13);
    ASSERT_FALSE(outcomes_.empty());
    completed = static_cast<int32_t>(outcomes_.size()) == RecordCount(13) &&
                (outcomes_.back().phase == kPhaseHoled || outcomes_.back().phase == kPhaseHoleInOne);
    if (!completed) funnels.push_back(POINT{outcomes_.back().ball.x, outcomes_.back().ball.y});
  }
  ASSERT_TRUE(completed);
  // Player 1 places at the scripted pad point exactly and holes in one; player 2 needs two strokes.
  EXPECT_EQ(outcomes_[0].ball.x, 185);
  EXPECT_EQ(outcomes_[0].ball.y, 356);
  EXPECT_EQ(outcomes_[1].phase, kPhaseHoleInOne);
  EXPECT_EQ(outcomes_[3].phase, kPhaseAiming);
  EXPECT_EQ(outcomes_[4].phase, kPhaseHoled);
  EXPECT_EQ(outcomes_[0].player1, "Player 1");
  EXPECT_EQ(outcomes_[0].player2, "Pell Arvo");  // seed 7's first random number is 61, in the lower half
  // Afterwards: the user's names back, the round over and its pictures let go; the count stays at 2.
  EXPECT_STREQ(gRound.players[0].name, "Mara");
  EXPECT_STREQ(gRound.players[1].name, "Tobin");
  EXPECT_EQ(gRound.playerCount, 2);
  EXPECT_EQ(gRound.playPhase, kPhaseNewRound);
  EXPECT_FALSE(gHole.holePicture);
  EXPECT_FALSE(gRound.ballPicture);
  EXPECT_EQ(gShell.quitFlag, 0);
  // No strokes are written to the player records.
  for (const PlayerRecord& p : gRound.players) EXPECT_EQ(p.strokes[12], 0);
}

TEST_F(DemoTest, AStrokeThatStaysOutEndsTheDemonstrationAtTheNextRecord) {
  WriteHole(1, {});
  RunDemoHole(1);
  // Player 1's ace does not drop on the plain green: player 2's pad record no longer matches.
  ASSERT_EQ(outcomes_.size(), 2u);
  EXPECT_EQ(outcomes_[1].phase, kPhaseAiming);
  EXPECT_EQ(gDemo.record, 2);
  POINT pointer{};
  GetCursorPos(&pointer);
  // One step from player 1's aim point (271, 332) toward player 2's pad point (78, 357): an eighth of the
  // way, (246, 335), and a pixel more.
  EXPECT_EQ(std::tuple(pointer.x, pointer.y), std::tuple(245, 336));
  EXPECT_EQ(gRound.playPhase, kPhaseNewRound);
}
