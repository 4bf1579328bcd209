// The best-scores table: totals, the place a round earns, stable ties, and the highlighted screen.
#include "menus/bestscores.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "round/round_data.h"
#include "shell/display.h"
#include "tests/fixture.h"

namespace {

// A complete round of 2 strokes a hole, with hole 1 making up the total.
PlayerRecord Round(const char* name, int32_t total) {
  PlayerRecord p{};
  std::strcpy(p.name, name);
  for (int8_t& s : p.strokes) s = 2;
  p.strokes[0] = static_cast<int8_t>(total - 34);
  return p;
}

std::string Names() {
  std::string names;
  for (const PlayerRecord& r : gBestScores.records) names += r.name[0] ? r.name : ".";
  return names;
}

class BestScoresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRoundForTest();
    ResetBestScoresForTest();
  }
  static void FillTable() {  // totals 40..49 named A..J
    for (int32_t r = 0; r < kBestScoreCount; ++r)
      gBestScores.records[r] = Round(std::string(1, 'A' + r).c_str(), 40 + r);
  }
};

TEST_F(BestScoresTest, EmptyTableAndUnplayedHoles) {
  PlayerRecord skipped = Round("s", 40);
  skipped.strokes[17] = 0;
  EXPECT_EQ(BestScoreTotal(skipped), 999);
  EXPECT_EQ(BestScoreTotal(PlayerRecord{}), 999);
  EXPECT_EQ(InsertBestScore(skipped), 0);  // never enters, even an empty table
  PlayerRecord p = Round("W", 40);
  p.playing = kSittingOut, p.spare = 0x5A;
  EXPECT_EQ(InsertBestScore(p), 1);
  EXPECT_EQ(std::memcmp(&gBestScores.records[0], &p, sizeof p), 0);  // all 36 bytes
  EXPECT_EQ(Names(), "W..........");
}

TEST_F(BestScoresTest, PlacesAreStableAmongEqualTotals) {
  FillTable();
  EXPECT_EQ(InsertBestScore(Round("t", 49)), 0);  // ties the tenth: nothing changes
  EXPECT_EQ(Names(), "ABCDEFGHIJt");
  EXPECT_EQ(InsertBestScore(Round("n", 48)), 10);  // behind the old 48, pushing the tenth out
  EXPECT_EQ(Names(), "ABCDEFGHInJ");
  EXPECT_EQ(InsertBestScore(Round("c", 42)), 4);  // equal to the third: lands behind it
  PlayerRecord again = Round("d", 42);
  std::swap(again.strokes[0], again.strokes[1]);  // another spread, the same total
  EXPECT_EQ(InsertBestScore(again), 5);
  EXPECT_EQ(Names(), "ABCcdDEFGHI");
  PlayerRecord three[3] = {Round("x", 50), Round("y", 45), Round("z", 60)};
  EXPECT_EQ(SortBestScores(three, 3), 1);
  EXPECT_STREQ(three[0].name, "y");
  EXPECT_EQ(SortBestScores(three, 1), 0);
  EXPECT_EQ(SortBestScores(nullptr, 11), 0);
}

class BestScoresScreenTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    ResetRoundForTest();
    ResetBestScoresForTest();
    WriteBitmapFile(dir_ / "Data" / "Grass.bmp", MakeBitmap(64, 64, [](int32_t, int32_t) { return 0x207020u; }));
    gDisplay.backBuffer = CreateSurface(640, 480);
  }
  uint16_t At(int32_t x, int32_t y) const { return gDisplay.backBuffer->pixels[size_t(y) * 640 + x]; }
  // Row r's name cell, right of a short name and clear of the engraved outlines.
  uint16_t NameCell(int32_t r) const { return At(110, 152 + 21 * (r - 1) + 11); }
  static constexpr uint16_t kPanel = ColorTo565(RGB(192, 192, 192));
};

TEST_F(BestScoresScreenTest, HighlightInTheCurrentPlayersColourOnItsRowOnly) {
  gBestScores.records[0] = Round("Ada", 40);
  gRound.currentPlayer = 8;
  DrawBestScores(1);
  EXPECT_EQ(NameCell(1), ColorTo565(RGB(240, 0, 0)));
  EXPECT_EQ(At(4, 163), 0);  // the engraved outline goes over the fill
  int32_t ink = 0;           // and so does the name
  for (int32_t x = 6; x < 40; ++x) ink += At(x, 163) == 0;
  EXPECT_GT(ink, 0);
  EXPECT_EQ(NameCell(2), kPanel);
  gRound.currentPlayer = 2;
  DrawBestScores(10);
  EXPECT_EQ(NameCell(10), ColorTo565(RGB(8, 224, 184)));
  EXPECT_EQ(At(130, 152 + 189 + 11), kPanel);  // the name cell only
  for (int32_t r = 1; r <= 9; ++r) EXPECT_EQ(NameCell(r), kPanel) << r;
  DrawBestScores(kNoHighlight);
  EXPECT_EQ(NameCell(10), kPanel);
  gRound.currentPlayer = 0;  // no player, no colour: plain rather than reading past the colour table
  DrawBestScores(1);
  EXPECT_EQ(NameCell(1), kPanel);
}

TEST_F(BestScoresScreenTest, PanelTitleAndRowsSitWhereTheCardPutsThem) {
  DrawBestScores(kNoHighlight);
  const uint16_t grass = ColorTo565(RGB(0x20, 0x70, 0x20)), white = 0xFFFF, grey = ColorTo565(RGB(128, 128, 128));
  const std::pair<POINT, uint16_t> probes[] = {
      {{10, 106}, grass}, {{10, 107}, white}, {{10, 365}, grey}, {{10, 366}, grass},  // panel 107..366
      {{84, 110}, 0},                                                                 // header top at 110
      {{131, 50}, grass}, {{132, 50}, white}, {{507, 50}, grey}, {{508, 50}, grass},  // title 376 wide
      {{300, 43}, grass}, {{300, 44}, white}, {{10, 362}, 0},    {{10, 363}, white},  // tenth row ends 363
  };
  for (const auto& [at, want] : probes) EXPECT_EQ(At(at.x, at.y), want) << at.x << "," << at.y;
}

}  // namespace
