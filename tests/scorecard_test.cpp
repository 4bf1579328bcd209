// The score card and course information screens: their layout from the records, and what lands on screen.
#include "menus/scorecard.h"

#include <gtest/gtest.h>

#include <cstring>

#include "round/round_data.h"
#include "shell/display.h"
#include "tests/fixture.h"

namespace {

constexpr COLORREF K = RGB(0, 0, 0), W = RGB(255, 255, 255), G = RGB(128, 128, 128), P = RGB(192, 192, 192);
constexpr COLORREF kGrass = 0xFFFFFFFF;  // marker: the grass tile's own pixel at that point

// Never white, black or either grey, and different along every row and column of the tile.
uint32_t GrassColor(int32_t x, int32_t y) { return (uint32_t(x * 4) << 16) | (uint32_t(y * 4) << 8) | 0x30; }

struct Probe {
  int32_t x, y;
  COLORREF rgb;
};

void ExpectRect(const TableCell& c, RECT r) {
  EXPECT_TRUE(c.rect.left == r.left && c.rect.top == r.top && c.rect.right == r.right && c.rect.bottom == r.bottom)
      << "'" << c.text << "' at " << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
}

TEST(ScoreLayoutTest, CardRowsAndHeadersFromTheRecords) {
  ResetRoundForTest();
  gRound.playerCount = 3;
  gRound.players[1].playing = kSittingOut;
  EXPECT_EQ(PlayingSlots(gRound), (std::vector<int32_t>{0, 2}));
  gRound.playerCount = 100;  // a count beyond the slots reads no further than slot 8
  EXPECT_EQ(PlayingSlotCount(gRound), 7);
  EXPECT_EQ(ScoreCardTop(1), 209);
  EXPECT_EQ(ScoreCardTop(8), 132);

  const std::vector<TableCell> h = ScoreHeaderCells(gRound.course, 209);
  ASSERT_EQ(h.size(), 45u);
  const std::pair<size_t, TableCell> expected[] = {
      {0, {CellKind::Header, "PLAYER\nNAME", {4, 209, 84, 252}}}, {1, {CellKind::Number, "HOLE", {83, 209, 123, 231}}},
      {3, {CellKind::Number, "1", {122, 209, 146, 231}}},         {22, {CellKind::Number, "20", {329, 230, 361, 252}}},
      {23, {CellKind::Number, "10", {360, 209, 384, 231}}},       {26, {CellKind::Number, "4", {383, 230, 407, 252}}},
      {41, {CellKind::Number, "TOT", {567, 209, 599, 231}}},      {42, {CellKind::Number, "42", {567, 230, 599, 252}}},
      {43, {CellKind::Number, "\xB1PAR", {598, 209, 637, 231}}},  {44, {CellKind::Number, "0", {598, 230, 637, 252}}},
  };
  for (const auto& [i, cell] : expected) {
    EXPECT_EQ(h[i].text, cell.text);
    EXPECT_EQ(h[i].kind, cell.kind);
    ExpectRect(h[i], cell.rect);
  }

  PlayerRecord& p = gRound.players[0];
  std::memset(p.name, 'W', sizeof p.name);  // fills its field with no NUL
  p.strokes[0] = 4, p.strokes[1] = 1;       // two over on hole 1, one under on hole 2
  const std::vector<TableCell> row = ScoreRowCells(p, gRound.course, 251);
  ASSERT_EQ(row.size(), 22u);
  ExpectRect(row[0], {4, 251, 123, 273});
  EXPECT_EQ(row[0].text, std::string(16, 'W'));
  EXPECT_EQ(row[3].text, " ");  // not played
  ExpectRect(row[10], {329, 251, 361, 273});
  EXPECT_EQ(row[10].text + row[20].text + row[21].text, "551");  // front nine, total, against par
  p.strokes[0] = 0;
  EXPECT_EQ(ScoreRowCells(p, gRound.course, 0)[21].text, "-1");
}

TEST(ScoreLayoutTest, CourseInfoHasTwentyRowsEndingWithTheParTotal) {
  ResetRoundForTest();
  const std::vector<TableCell> c = CourseInfoCells(gRound.course);
  ASSERT_EQ(c.size(), 60u);
  EXPECT_EQ(c[0].text + c[1].text + c[2].text, "HoleParBrindlemoor");
  ExpectRect(c[1], {199, 25, 231, 45});
  ExpectRect(c[2], {230, 25, 486, 45});
  EXPECT_EQ(c[2].kind, CellKind::Name);
  EXPECT_EQ(c[33].text + c[34].text + c[35].text, "114Hole 11");
  ExpectRect(c[54], {160, 367, 200, 387});
  EXPECT_EQ(c[57].text + c[58].text + c[59].text, "Tot42Quillmere");
  ExpectRect(c[59], {230, 386, 486, 406});
}

class ScoreScreenTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    ResetRoundForTest();
    WriteBitmapFile(dir_ / "Data" / "Grass.bmp", MakeBitmap(64, 64, GrassColor));
    gDisplay.backBuffer = CreateSurface(640, 480);
  }
  uint16_t At(int32_t x, int32_t y) const { return gDisplay.backBuffer->pixels[size_t(y) * 640 + x]; }
  void Expect(std::initializer_list<Probe> probes) const {
    for (const Probe& p : probes) {
      const uint32_t grass = GrassColor(p.x % 64, p.y < 448 ? p.y % 64 : p.y - 448);
      const COLORREF want = p.rgb == kGrass ? RGB(grass >> 16, (grass >> 8) & 0xFF, grass & 0xFF) : p.rgb;
      EXPECT_EQ(At(p.x, p.y), ColorTo565(want)) << "at (" << p.x << ", " << p.y << ")";
    }
  }
  int32_t BlackInside(int32_t l, int32_t t, int32_t r, int32_t b) const {
    int32_t n = 0;
    for (int32_t y = t; y < b; ++y) {
      for (int32_t x = l; x < r; ++x) n += At(x, y) == 0;
    }
    return n;
  }
  void Players(int32_t count) {
    gRound.playerCount = static_cast<int8_t>(count);
    std::strcpy(gRound.players[0].name, "Wren");
  }
};

TEST_F(ScoreScreenTest, OnePlayerCardPanelTitleRowAndContinueBox) {
  Players(1);
  DrawScoreCard();
  Expect({{0, 0, kGrass},     {69, 71, kGrass},   {10, 479, kGrass},  // tiles, the last row cut at 32
          {10, 205, kGrass},  {10, 206, W},       {1, 240, W},        {638, 240, G},
          {10, 275, G},       {10, 276, kGrass},  // panel
          {171, 100, kGrass}, {172, 100, W},      {467, 100, G},      {468, 100, kGrass},
          {300, 92, kGrass},  {300, 93, W},       {300, 114, G},      {300, 115, kGrass},  // title 172..468, 93..115
          {84, 208, G},       {84, 209, K},       {84, 210, W},                            // header top at y0
          {3, 260, G},        {4, 260, K},        {5, 260, W},                             // name cell engraved
          {110, 270, P},      {110, 271, G},      {110, 272, K},      {110, 273, W},
          {630, 273, W},      {10, 274, G},       {215, 450, kGrass}, {216, 450, W},
          {423, 450, G},      {424, 450, kGrass}, {300, 461, G},      {300, 462, kGrass}});
  EXPECT_GT(BlackInside(174, 95, 466, 113), 100);  // title text
  EXPECT_GT(BlackInside(6, 253, 60, 271), 20);     // "Wren"
  EXPECT_GT(BlackInside(6, 211, 82, 230), 20);     // "PLAYER" on the upper row...
  EXPECT_GT(BlackInside(6, 231, 82, 250), 20);     // ...and "NAME" below
  EXPECT_GT(BlackInside(600, 211, 635, 229), 10);  // the against-par label
  EXPECT_EQ(BlackInside(124, 253, 145, 271), 0);   // hole 1 blank
}

TEST_F(ScoreScreenTest, EightPlayersAndASitterLeaveNoGaps) {
  Players(8);
  DrawScoreCard();
  Expect({{10, 128, kGrass},
          {10, 129, W},
          {300, 54, kGrass},
          {300, 55, W},  // panel at y0 - 3, title at 55
          {10, 320, G},
          {10, 321, K},
          {10, 322, W},  // rows 7 and 8 share an edge
          {10, 342, K},
          {10, 343, W},
          {10, 345, G},
          {10, 346, kGrass}});  // the last row ends at 343
  Players(3);
  gRound.players[1].playing = kSittingOut;
  DrawScoreCard();
  Expect({{10, 239, G}, {10, 240, K}, {10, 261, K}, {10, 262, W}, {10, 282, K}, {10, 283, W}, {10, 286, kGrass}});
}

TEST_F(ScoreScreenTest, CourseInfoAndMissingGrass) {
  DrawCourseInfo();
  Expect({{154, 200, kGrass},
          {155, 200, W},
          {490, 200, G},
          {491, 200, kGrass},
          {300, 20, W},
          {300, 410, G},
          {170, 25, K},
          {300, 385, G},
          {300, 386, K},
          {300, 387, W},
          {163, 405, K},
          {163, 406, W},
          {300, 459, G},
          {300, 460, kGrass}});                    // the continue box is one 20-pixel row high here
  EXPECT_GT(BlackInside(232, 388, 300, 404), 20);  // "Quillmere"

  std::filesystem::remove(dir_ / "Data" / "Grass.bmp");
  for (uint16_t& p : gDisplay.backBuffer->pixels) p = 0x1234;
  DrawCourseInfo();
  EXPECT_EQ(At(0, 0), 0x1234);
  Expect({{155, 200, W}, {163, 406, W}});
}

}  // namespace
