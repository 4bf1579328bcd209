// The hole source language and the course built from it: what a statement paints, the messages a mistake
// gets, and every course map pinned so that a change of any map pixel is a deliberate edit.
#include "tools/coursebuild/hole_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "round/round_data.h"
#include "tools/coursebuild/course_holes.h"
#include "tools/coursebuild/lzcc_encode.h"

namespace {

CompiledHole Compile(const std::string& text) {
  std::string error;
  std::optional<CompiledHole> hole = CompileHoleSource(text, "t.hole", &error);
  EXPECT_TRUE(hole) << error;
  return hole ? std::move(*hole) : CompiledHole{};
}

std::string Refusal(const std::string& text) {
  std::string error;
  EXPECT_FALSE(CompileHoleSource(text, "t.hole", &error));
  return error;
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (const uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

TEST(HoleSourceTest, TheReadmeExampleBuildsItsGroundBorderCupAndScenery) {
  const CompiledHole hole = Compile(
      "# A straight lane with a pond off the line.\n"
      "name Example\npar 2\nborder wood\n"
      "felt rect 40,180 600,300\npad rect 56,210 96,270\nwater ellipse 330,205 50,20\n"
      "cup 540,240\n"
      "scenery heather polygon 0,0 640,0 640,170 0,170\nscenery tree 320,380 30\n");
  const HoleMap& m = hole.map;
  EXPECT_EQ(hole.par, 2);
  EXPECT_EQ(hole.name, "Example");
  EXPECT_EQ(m.CodeAt(60, 220), 1);
  EXPECT_EQ(m.CodeAt(330, 205), 9);
  EXPECT_EQ(m.CodeAt(540, 240), 2);
  EXPECT_EQ(m.CodeAt(552, 240), 0x90);
  EXPECT_EQ(m.CodeAt(200, 250), 3);
  EXPECT_EQ(m.cup[0].x, 540);
  EXPECT_EQ(m.cup[0].y, 240);
  // The grown border faces its ground: west of the lane the normal points west (entry 2), above it north.
  EXPECT_EQ(m.CodeAt(37, 240), 0xA2);
  EXPECT_EQ(m.CodeAt(300, 178), 0xA3);
  EXPECT_EQ(m.CodeAt(300, 150), 0);
  EXPECT_EQ(m.LookAt(300, 150), kVoid);
  ASSERT_EQ(m.scenery.size(), 2u);
  EXPECT_EQ(m.scenery[1].kind, SceneryKind::Tree);
}

TEST(HoleSourceTest, ShapesKindsAndTunnelCellsPaintTheirCodes) {
  const CompiledHole hole = Compile(
      "par 3\nfelt rect 40,40 600,400\npad rect 50,50 90,90\n"
      "slope ne circle 200,200 20\nslope 3 rect 300,60 320,80\nbowl 2 rect 400,60 420,80\ncentre 2 410,70\n"
      "sand path 10 100,300 200,300\nrough arc 400,300 20 30 0 90\nmouth w rect 500,300 508,320\n"
      "strength 4 rect 60,120 70,130\nkeep-speed rect 60,140 70,150 as flowers\n"
      "cup 300,200 entry 15\ntunnel n e 560,100 560,110\n");
  const HoleMap& m = hole.map;
  EXPECT_EQ(m.CodeAt(200, 200), 0x8E);
  EXPECT_EQ(m.CodeAt(310, 70), 0x83);
  EXPECT_EQ(m.CodeAt(410, 70), 0xB2);
  EXPECT_EQ(m.centre[2].x, 410);
  EXPECT_EQ(m.CodeAt(150, 304), 10);
  EXPECT_EQ(m.CodeAt(150, 306), 3);
  EXPECT_EQ(m.CodeAt(420, 320), 4);   // inside the quarter ring south-east of its centre
  EXPECT_EQ(m.CodeAt(380, 320), 3);   // the ring's other quarters are untouched
  EXPECT_EQ(m.CodeAt(504, 310), 0xE4);
  EXPECT_EQ(m.CodeAt(65, 125), 124);
  EXPECT_EQ(m.CodeAt(65, 145), 23);
  EXPECT_EQ(m.LookAt(65, 145), kFlowers);
  EXPECT_EQ(m.cup[15].x, 300);
  EXPECT_EQ(m.CodeAt(560, 105), 0xF0);
}

TEST(HoleSourceTest, EveryMistakeIsRefusedWithItsFileAndLine) {
  const std::string ok = "par 2\nfelt rect 40,40 600,400\npad rect 50,50 90,90\ncup 300,200\n";
  EXPECT_EQ(Refusal(ok + "fel rect 1,1 2,2\n"), "t.hole:5: 'fel' is not a statement this compiler knows");
  EXPECT_EQ(Refusal(ok + "felt rect 10,10 5,20\n"), "t.hole:5: a rect runs from its top-left corner to its bottom-right one");
  EXPECT_EQ(Refusal(ok + "slope up rect 1,1 2,2\n"), "t.hole:5: 'up' is not a direction (e, se, s, sw, w, nw, n, ne)");
  EXPECT_EQ(Refusal(ok + "felt polygon 1,1 2,2\n"), "t.hole:5: needs at least 3 points");
  EXPECT_EQ(Refusal(ok + "felt circle 10,x 5\n"), "t.hole:5: 'x' is not a whole number (y)");
  EXPECT_EQ(Refusal(ok + "slope-strength 12\n"), "t.hole:5: slope strength 12 is outside 0 to 9");
  EXPECT_EQ(Refusal(ok + "par 3\n"), "t.hole:5: 'par' is given twice");
  EXPECT_EQ(Refusal(ok + "felt rect 1,1 2,2 as moss\n"), "t.hole:5: 'moss' is not a look");
  EXPECT_EQ(Refusal(ok + "scenery dragon 5,5 3\n"), "t.hole:5: 'dragon' is not a kind of scenery");
  EXPECT_EQ(Refusal(ok + "cup 20,20\n"), "t.hole:5: the cup must lie on ground");
  EXPECT_EQ(Refusal("felt rect 40,40 600,400\npad rect 50,50 90,90\ncup 300,200\n"), "t.hole: the hole has no par");
  EXPECT_EQ(Refusal("par 2\nfelt rect 40,40 600,400\ncup 300,200\n"), "t.hole: the hole has no start pad");
  EXPECT_EQ(Refusal("par 2\nfelt rect 40,40 600,400\npad rect 50,50 90,90\n"), "t.hole: the hole has no cup");
}

TEST(HoleSourceTest, APictureThatMisleadsAboutTheMapIsFound) {
  const std::string base = "par 2\nfelt rect 40,40 600,400\npad rect 50,50 90,90\ncup 300,200\n";
  EXPECT_TRUE(PictureMapDisagreements(Compile(base + "felt rect 100,100 110,110 as sand\n").map).empty());
  const std::vector<std::string> wallAsFelt = PictureMapDisagreements(Compile(base + "wall rect 100,100 110,110 as felt\n").map);
  ASSERT_FALSE(wallAsFelt.empty());
  EXPECT_EQ(wallAsFelt.front(), "(100, 100): drawn as ground, but the map holds a wall (code 0xA4)");
  const std::vector<std::string> hidden = PictureMapDisagreements(Compile(base + "felt rect 100,300 140,320 as void\n").map);
  ASSERT_FALSE(hidden.empty());
  EXPECT_EQ(hidden.front(), "(100, 300): drawn as nothing, but the map holds ground (code 0x03)");
}

// A deliberate change of a course map changes its line here too.
TEST(HoleSourceTest, TheCourseMapsArePinnedAndFitTheReader) {
  const uint64_t pinned[] = {
      0x0d37cee4afe68031ull, 0x0fb106ba301be884ull, 0xfe81d5d2f41ecf66ull, 0xad108dfd8e1cca97ull, 0xcd1b99bf945b6d62ull,
      0xa5f1053cc8d7ec8aull, 0xdef0e65d8e6a2d26ull, 0x3ed866516f013795ull, 0x59e329441b1dbd73ull, 0xfc0fb196154db8c6ull,
      0xd0a0ef207da43f91ull, 0x8f524f28778ba6f9ull, 0xdc22763dd8638751ull, 0xd03542bdeae05b95ull, 0x0ae4005b61802136ull,
      0xf976ff32f28ccefeull, 0x66c3230e5fefc1f8ull, 0x1b0431abc27ac61full,
  };
  for (int32_t hole = 1; hole <= static_cast<int32_t>(std::size(pinned)); ++hole) {
    std::string error;
    const std::optional<CompiledHole> compiled =
        CompileHoleFile(HoleSourcePath(QUILL_COURSE_DIR, hole), &error);
    ASSERT_TRUE(compiled) << error;
    EXPECT_EQ(compiled->par, HolePar(hole)) << "hole " << hole;
    const std::vector<uint8_t> bytes = HoleMapBytes(compiled->map);
    const std::vector<uint8_t> h2o = EncodeLzcc(bytes);
    EXPECT_FALSE(h2o.empty()) << "hole " << hole;
    EXPECT_LE(LzccPayloadSize(h2o), 20000u);
    char hash[32];
    std::snprintf(hash, sizeof hash, "0x%016llxull", static_cast<unsigned long long>(Fnv1a(bytes)));
    EXPECT_EQ(Fnv1a(bytes), pinned[hole - 1]) << "hole " << hole << " map is now " << hash;
  }
}

}  // namespace
