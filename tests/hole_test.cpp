// Hole files: the LZCC decoder and its refusals, the encoder our tools use, the map and its tables, loading a
// hole, and the test course's maps.
#include "green/hole.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "green/features.h"
#include "green/lzcc.h"
#include "green/mapcodes.h"
#include "media/picture.h"
#include "platform/system.h"
#include "round/round_data.h"
#include "tests/fixture.h"
#include "tools/coursebuild/lzcc_encode.h"
#include "tools/coursebuild/raster.h"
#include "tools/coursebuild/test_course.h"

namespace {

// An LZCC file put together token by token; every header field can be overridden to make a bad one.
struct LzccFile {
  std::vector<uint8_t> literals;
  std::vector<uint16_t> tokens;
  std::vector<uint16_t> distances;
  int32_t outputLength = kMapBytes;
  std::optional<uint32_t> literalLength, tokenCount;
  std::string magic = "LZCC";
  size_t produced = 0;

  LzccFile& Literal(const std::string& bytes) {
    literals.insert(literals.end(), bytes.begin(), bytes.end());
    tokens.push_back(static_cast<uint16_t>(0x8000 | bytes.size()));
    produced += bytes.size();
    return *this;
  }
  LzccFile& Copy(uint16_t distance, uint16_t length) {
    tokens.push_back(length);
    distances.push_back(distance);
    produced += length;
    return *this;
  }
  // Repeats the last byte until `total` bytes have been produced.
  LzccFile& RunTo(size_t total) {
    while (produced < total) Copy(1, static_cast<uint16_t>(std::min<size_t>(total - produced, 0x7FFF)));
    return *this;
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> b(magic.begin(), magic.end());
    auto put = [&b](uint32_t v, int32_t bytes) {
      for (int32_t i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(static_cast<uint32_t>(outputLength), 4);
    put(literalLength.value_or(static_cast<uint32_t>(literals.size())), 4);
    put(tokenCount.value_or(static_cast<uint32_t>(tokens.size())), 4);
    put(0xDEADBEEF, 4);  // the fourth word means nothing
    b.insert(b.end(), literals.begin(), literals.end());
    for (uint16_t t : tokens) put(t, 2);
    for (uint16_t d : distances) put(d, 2);
    return b;
  }
};

std::optional<std::vector<uint8_t>> Decode(const std::vector<uint8_t>& file) {
  std::vector<uint8_t> map;
  if (!DecodeLzcc(file.data(), file.size(), &map)) return std::nullopt;
  return map;
}

}  // namespace

// ---- The decoder --------------------------------------------------------------------------------------

TEST(LzccDecodeTest, OutputLengthsAtBothEndsTakeTheLastMapBytes) {
  LzccFile exact;
  exact.Literal("ab").RunTo(kMapBytes);
  const auto map = Decode(exact.Bytes());
  ASSERT_TRUE(map);
  ASSERT_EQ(map->size(), static_cast<size_t>(kMapBytes));
  EXPECT_EQ((*map)[0], 'a');
  EXPECT_EQ((*map)[1], 'b');
  EXPECT_EQ(map->back(), 'b');

  // 309,200: the first 2,000 bytes are produced and then left out.
  LzccFile longest;
  longest.outputLength = kStagingBytes;
  longest.Literal("x").RunTo(2000).Literal("m").RunTo(kStagingBytes);
  const auto tail = Decode(longest.Bytes());
  ASSERT_TRUE(tail);
  EXPECT_EQ(std::count(tail->begin(), tail->end(), 'x'), 0);
  EXPECT_EQ(std::count(tail->begin(), tail->end(), 'm'), kMapBytes);
}

TEST(LzccDecodeTest, BackCopiesRepeatAndZeroTokensStillTakeTheirDistance) {
  LzccFile f;
  std::string want = "qrs";
  f.Literal(want);
  auto copy = [&](uint16_t distance, uint16_t length) {  // what a byte-at-a-time copy gives
    f.Copy(distance, length);
    for (int32_t i = 0; i < length; ++i) want.push_back(want[want.size() - distance]);
  };
  copy(1, 50);       // distance 1: the last byte fifty times
  f.Copy(40000, 0);  // copies nothing, but uses up its distance word
  f.Literal("");     // token 0x8000: nothing
  ASSERT_EQ(f.tokens[3], 0x8000);
  f.Literal("tuvwxyz");
  want += "tuvwxyz";
  copy(3, 10);  // the distance taken is 3; 40000 would reach before the start
  copy(2, 7);
  copy(7, 5000);
  copy(641, 3000);
  copy(60, 60);
  f.RunTo(kMapBytes);
  const auto map = Decode(f.Bytes());
  ASSERT_TRUE(map);
  EXPECT_EQ(std::string(map->begin(), map->begin() + static_cast<std::ptrdiff_t>(want.size())), want);
  EXPECT_EQ(want.substr(53, 23), "tuvwxyzxyzxyzxyzxzxzxzx");
}

TEST(LzccDecodeTest, TheLastTokenMayRunPastTheOutputLength) {
  LzccFile f;
  f.Literal("z").RunTo(kMapBytes - 10).Literal("end").Copy(1, 1000);  // 993 bytes past 307,200
  const auto map = Decode(f.Bytes());
  ASSERT_TRUE(map);
  EXPECT_EQ(std::string(map->end() - 13, map->end() - 7), "zzzend");
  EXPECT_EQ(map->back(), 'd');

  f.outputLength = kStagingBytes;  // the same stream now stops short of 309,200 bytes: no tokens left
  EXPECT_FALSE(Decode(f.Bytes()));
}

TEST(LzccDecodeTest, RefusedFilesLeaveTheMapAsItWas) {
  LzccFile good;
  good.Literal("ok").RunTo(kMapBytes);
  std::vector<std::pair<std::string, std::vector<uint8_t>>> bad;
  auto with = [&](const std::string& why, auto change) {
    LzccFile f = good;
    change(f);
    bad.emplace_back(why, f.Bytes());
  };
  with("bad magic", [](LzccFile& f) { f.magic = "LZCD"; });
  with("output one short", [](LzccFile& f) { f.outputLength = kMapBytes - 1; });
  with("output one long", [](LzccFile& f) { f.outputLength = kStagingBytes + 1; });
  with("negative output", [](LzccFile& f) { f.outputLength = -kMapBytes; });
  with("literals beyond the file", [](LzccFile& f) { f.literalLength = 30000; });
  with("tokens beyond the file", [](LzccFile& f) { f.tokenCount = 0x80000000u; });
  with("too few tokens", [](LzccFile& f) { f.tokenCount = static_cast<uint32_t>(f.tokens.size() - 1); });
  with("run past the literals", [](LzccFile& f) { f.tokens[0] = 0x8003; });
  with("distance before the start", [](LzccFile& f) { f.distances[0] = 3; });
  with("distance zero", [](LzccFile& f) { f.distances[0] = 0; });
  with("past the staging area", [](LzccFile& f) {
    f.RunTo(kStagingBytes + 1);
    f.outputLength = kStagingBytes;
  });
  with("distances missing", [](LzccFile& f) { f.distances.pop_back(); });
  bad.emplace_back("short header", std::vector<uint8_t>{'L', 'Z', 'C', 'C', 0x00, 0xB0, 0x04, 0x00});
  bad.emplace_back("empty", std::vector<uint8_t>{});

  const std::vector<uint8_t> before(kMapBytes, 0x5A);
  for (const auto& [why, file] : bad) {
    std::vector<uint8_t> map = before;
    EXPECT_FALSE(DecodeLzcc(file.data(), file.size(), &map)) << why;
    EXPECT_EQ(map, before) << why;
  }
  std::vector<uint8_t> map;
  EXPECT_TRUE(DecodeLzcc(good.Bytes().data(), good.Bytes().size(), &map));
  EXPECT_FALSE(DecodeLzcc(nullptr, 100, &map));
}

TEST(LzccDecodeTest, OnlyTheFirst20000PayloadBytesAreRead) {
  // 19,962 literals, ten tokens and nine distances end exactly at payload byte 20,000.
  LzccFile f;
  f.Literal(std::string(19962, 'p'));
  for (int32_t i = 0; i < 8; ++i) f.Copy(1, 0x7FFF);
  f.RunTo(kMapBytes);
  std::vector<uint8_t> file = f.Bytes();
  ASSERT_EQ(file.size(), 20u + 20000u);
  file.insert(file.end(), 500, 0xEE);  // whatever follows is never looked at
  EXPECT_TRUE(Decode(file));

  // One literal more pushes the last distance word across the limit, though the file holds it.
  LzccFile g;
  g.Literal(std::string(19963, 'p'));
  for (int32_t i = 0; i < 8; ++i) g.Copy(1, 0x7FFF);
  g.RunTo(kMapBytes);
  ASSERT_EQ(g.Bytes().size(), 20u + 20001u);
  EXPECT_FALSE(Decode(g.Bytes()));
}

// ---- The encoder --------------------------------------------------------------------------------------

TEST(LzccEncodeTest, RegionMapsComeBackExactlyWithinThePayloadLimit) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    const std::vector<uint8_t> map = RegionTestMap(seed, 40);
    const std::vector<uint8_t> file = EncodeLzcc(map);
    ASSERT_FALSE(file.empty()) << seed;
    EXPECT_LE(LzccPayloadSize(file), static_cast<size_t>(kLzccPayloadLimit)) << seed;
    EXPECT_EQ(Decode(file), map) << seed;
  }
  // Output with the unused 2,000 bytes in front.
  std::vector<uint8_t> output(2000, 0x42);
  const std::vector<uint8_t> map = RegionTestMap(9, 30);
  output.insert(output.end(), map.begin(), map.end());
  const std::vector<uint8_t> file = EncodeLzcc(output);
  EXPECT_EQ(Decode(file), map);
}

TEST(LzccEncodeTest, RefusesWhatTheGameCouldNotRead) {
  EXPECT_TRUE(EncodeLzcc(std::vector<uint8_t>(kMapBytes - 1, 3)).empty());
  EXPECT_TRUE(EncodeLzcc(std::vector<uint8_t>(kStagingBytes + 1, 3)).empty());
  std::vector<uint8_t> noise(kMapBytes);
  raster::Lcg rng(3);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(rng.Next());
  EXPECT_TRUE(EncodeLzcc(noise).empty());
  // A flat map is a handful of runs.
  const std::vector<uint8_t> flat = EncodeLzcc(std::vector<uint8_t>(kMapBytes, 3));
  EXPECT_LT(LzccPayloadSize(flat), 64u);
  EXPECT_EQ(Decode(flat), std::vector<uint8_t>(kMapBytes, 3));
}

// ---- The map in memory --------------------------------------------------------------------------------

TEST(HoleMapTest, RawValuesAreReadBottomUpAndZeroOutside) {
  ResetHoleForTest();
  for (size_t i = 0; i < gHole.map.size(); ++i) gHole.map[i] = static_cast<uint8_t>(1 + i % 251);
  EXPECT_EQ(MapRawValue(0, 479), gHole.map[0]);  // row 479 is the first 640 bytes
  EXPECT_EQ(MapRawValue(639, 479), gHole.map[639]);
  EXPECT_EQ(MapRawValue(0, 478), gHole.map[640]);
  EXPECT_EQ(MapRawValue(17, 0), gHole.map[17 + 640 * 479]);
  EXPECT_EQ(MapRawValue(123, 321), gHole.map[123 + 640 * (479 - 321)]);
  for (const auto& [x, y] :
       std::array<std::pair<int32_t, int32_t>, 6>{{{-1, 0}, {640, 0}, {0, -1}, {0, 480}, {-100000, 5}, {5, 1 << 30}}}) {
    EXPECT_EQ(MapRawValue(x, y), 0) << x << "," << y;
  }
  gHole.codeTable[0] = 0x84;
  EXPECT_EQ(MapCodeAt(-1, 0), 0x84);  // outside the map means code table entry 0
  ResetHoleForTest();
  EXPECT_EQ(gHole.map.size(), static_cast<size_t>(kMapBytes));
  EXPECT_EQ(std::count(gHole.map.begin(), gHole.map.end(), 0), kMapBytes);
}

// ---- Loading a hole -----------------------------------------------------------------------------------

namespace {

class HoleLoadTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    ResetHoleForTest();
    ResetRoundForTest();
  }
  void TearDown() override {
    ResetHoleForTest();
    GameFolderTest::TearDown();
  }
  void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(dir_ / "Holes");
    std::ofstream(dir_ / "Holes" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  // A hole whose picture is one colour and whose map is `fill` everywhere but the tables.
  void WriteHole(int32_t hole, uint8_t fill, uint32_t colour) {
    char name[16];
    std::snprintf(name, sizeof name, "Hole%02d.HIO", hole);
    WriteBitmapFile(dir_ / "Holes" / name, MakeBitmap(640, 480, [colour](int32_t, int32_t) { return colour; }));
    std::vector<uint8_t> map(kMapBytes, fill);
    for (int32_t i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i);
    std::snprintf(name, sizeof name, "Hole%02d.H2O", hole);
    WriteFile(name, EncodeLzcc(map));
  }
};

uint16_t PictureAt(int32_t x, int32_t y) { return gHole.holePicture->pixels[static_cast<size_t>(y) * 640 + x]; }

}  // namespace

TEST_F(HoleLoadTest, LoadsPictureMapAndTables) {
  WriteBitmapFile(dir_ / "Holes" / "Hole07.HIO",
                  MakeBitmap(640, 480, [](int32_t x, int32_t y) { return 0x10A040u + x + y; }));
  std::vector<uint8_t> map(kMapBytes, 5);
  for (int32_t i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i);
  map[5] = 9;  // (5, 479) holds 9: raw value 5 means water all over the field
  const int16_t words[] = {1, 0, 0, 1, -1, 0, 0, -1};
  std::memcpy(map.data() + 640, words, sizeof words);
  const int16_t cup[] = {300, 200};
  std::memcpy(map.data() + 1336, cup, 4);  // entry 14
  const int16_t centre[] = {320, 240};
  std::memcpy(map.data() + 1932, centre, 4);  // entry 3
  const int16_t strength[] = {7, -2};
  std::memcpy(map.data() + 1920 + 64, strength, 4);
  WriteFile("hole07.h2o", EncodeLzcc(map));  // any case finds it
  gRound.currentHole = 7;
  SetCursorPos(3, 4);

  LoadHole();
  ASSERT_NE(gHole.holePicture, nullptr);
  EXPECT_EQ(gRound.currentHole, 7);
  EXPECT_EQ(PictureAt(100, 439), ColorTo565(RGB(0x10, 0xA0, 0x40 + 100 + 439)));
  for (const int32_t y : {440, 460, 479})
    for (const int32_t x : {0, 320, 639}) EXPECT_EQ(PictureAt(x, y), ColorTo565(RGB(192, 192, 192))) << x << "," << y;
  EXPECT_EQ(gHole.codeTable[5], 9);
  EXPECT_EQ(gHole.codeTable[200], 200);
  EXPECT_EQ(MapCodeAt(100, 100), 9);
  EXPECT_EQ(gHole.wallTable[1].x, 0);
  EXPECT_EQ(gHole.wallTable[1].y, 1);
  EXPECT_EQ(gHole.wallTable[3].y, -1);
  EXPECT_EQ(gHole.cupTable[14].x, 300);
  EXPECT_EQ(gHole.cupTable[14].y, 200);
  EXPECT_EQ(gHole.centreTable[3].x, 320);
  EXPECT_EQ(gHole.holeSlopeStrength, 7);
  EXPECT_EQ(gHole.unusedWord, -2);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 320);
  EXPECT_EQ(cursor.y, 240);
  EXPECT_EQ(gHole.figurePicture, nullptr);
}

TEST_F(HoleLoadTest, HolesWithoutPicturesAreSkippedAndFiguresBelongTo16And18) {
  WriteHole(5, 10, 0x0000FF);
  WriteHole(16, 3, 0x00FF00);
  WriteHole(17, 3, 0x00FF00);
  WriteHole(18, 3, 0xFF0000);
  gRound.currentHole = 3;  // 3 and 4 have no picture
  LoadHole();
  EXPECT_EQ(gRound.currentHole, 5);
  EXPECT_EQ(MapRawValue(10, 10), 10);
  EXPECT_EQ(PictureAt(5, 5), ColorTo565(RGB(0, 0, 255)));

  WriteBitmapFile(dir_ / "Holes" / "buttfly.bmp", MakeBitmap(640, 40, [](int32_t, int32_t) { return 0x62AA50u; }));
  gRound.currentHole = 6;  // nothing from 6 to 15
  LoadHole();
  EXPECT_EQ(gRound.currentHole, 16);
  ASSERT_NE(gHole.figurePicture, nullptr);
  gRound.currentHole = 17;
  LoadHole();
  ASSERT_NE(gHole.figurePicture, nullptr);  // other holes leave it alone
  EXPECT_EQ(gHole.figurePicture->height, 40);
  gRound.currentHole = 18;  // no ducky.bmp: no figure, the butterfly gone all the same
  LoadHole();
  EXPECT_EQ(gHole.figurePicture, nullptr);

  std::filesystem::remove(dir_ / "Holes" / "Hole18.HIO");
  gRound.currentHole = 18;
  LoadHole();
  EXPECT_EQ(gRound.currentHole, 19);  // after the last hole nothing is loaded
  EXPECT_EQ(gHole.holePicture, nullptr);
}

TEST_F(HoleLoadTest, UnusableMapFilesKeepThePreviousMap) {
  WriteHole(1, 3, 0x00FF00);
  gRound.currentHole = 1;
  LoadHole();
  ASSERT_EQ(MapRawValue(50, 50), 3);
  const std::vector<uint8_t> first = gHole.map;

  WriteHole(2, 10, 0x00FF00);
  const std::vector<uint8_t> file = EncodeLzcc(std::vector<uint8_t>(kMapBytes, 10));
  auto changed = [&file](size_t at, uint8_t value) {
    std::vector<uint8_t> f = file;
    f[at] = value;
    return f;
  };
  const std::vector<std::vector<uint8_t>> broken = {
      {}, {'L', 'Z', 'C'}, {file.begin(), file.begin() + 30}, changed(0, 'X'), changed(6, 0), changed(7, 0x80)};
  for (const auto& bytes : broken) {
    WriteFile("Hole02.H2O", bytes);
    gRound.currentHole = 2;
    LoadHole();
    EXPECT_EQ(gHole.map, first);
    EXPECT_EQ(gHole.codeTable[7], 7);  // rebuilt from the map that stayed
  }
  std::filesystem::remove(dir_ / "Holes" / "Hole02.H2O");
  gRound.currentHole = 2;
  LoadHole();
  EXPECT_EQ(gHole.map, first);
  EXPECT_NE(gHole.holePicture, nullptr);  // the picture alone makes the hole
}

// ---- The test course ----------------------------------------------------------------------------------

namespace {

// The hole's map and code table in place, as loading would leave them, without its picture.
std::vector<uint8_t> UseTestHole(int32_t hole) {
  const std::vector<uint8_t> output = TestHoleOutput(hole);
  gHole.map.assign(output.end() - kMapBytes, output.end());
  for (int32_t i = 0; i < 256; ++i) gHole.codeTable[i] = gHole.map[i];
  const uint8_t* w = gHole.map.data() + 640;
  for (int32_t n = 0; n < 16; ++n, w += 4) gHole.wallTable[n] = {int16_t(w[0] | w[1] << 8), int16_t(w[2] | w[3] << 8)};
  return TestHoleCodes(hole);
}

struct Reached {
  std::vector<uint8_t> seen = std::vector<uint8_t>(size_t{640} * 441, 0);
  std::array<bool, 256> onto{}, beside{};  // codes rolled onto, and codes next to where the ball went
};

// Every field pixel a ball can roll onto from the pad, tunnels and the chute taken as jumps when `jumps`.
// Water and bumpers count as places reached.
Reached Reach(int32_t hole, const std::vector<uint8_t>& codes, bool jumps) {
  auto passable = [hole](uint8_t c) {
    if (c == 0 || c == 4) return false;
    return (c & 0xF0) != 0xA0 || (hole == 16 && c < 0xA8);  // hole 16's straight walls stop only gliding balls
  };
  Reached r;
  std::deque<std::pair<int32_t, int32_t>> queue;
  auto visit = [&](int32_t x, int32_t y) {
    if (x < 0 || x > 639 || y < 0 || y > 440) return;
    const uint8_t c = codes[y * 640 + x];
    r.beside[c] = true;
    if (r.seen[y * 640 + x] || !passable(c)) return;
    r.seen[y * 640 + x] = 1;
    r.onto[c] = true;
    queue.emplace_back(x, y);
  };
  const TestHoleInfo& info = TestHole(hole);
  visit(info.padLeft, info.padTop);
  while (!queue.empty()) {
    const auto [x, y] = queue.front();
    queue.pop_front();
    const uint8_t c = codes[y * 640 + x];
    std::optional<TunnelRoute> route;
    if (jumps && c >= 0xC0 && (c & 7) == ((c >> 3) & 7)) route = FollowTunnel(x, y, c & 7);
    if (jumps && c == kCodeChute) route = FollowTunnel(kChuteX, ChuteEntry(y).y, ChuteEntry(y).direction);
    if (route && route->stop == TunnelStop::Result) visit(route->x, route->y);
    for (int32_t dy = -1; dy <= 1; ++dy)
      for (int32_t dx = -1; dx <= 1; ++dx) visit(x + dx, y + dy);
  }
  return r;
}

std::vector<uint8_t> Codes(int32_t from, int32_t to, std::vector<uint8_t> more = {}) {
  for (int32_t c = from; c <= to; ++c) more.push_back(static_cast<uint8_t>(c));
  return more;
}

}  // namespace

TEST(HoleTestCourseMaps, EveryFamilyIsWithinReachOfThePad) {
  const std::vector<uint8_t> onto[kTestHoles] = {{1, 2, 3, 0x90},
                                                 Codes(0x80, 0x8F),
                                                 {9, 10},
                                                 {},
                                                 Codes(0xB0, 0xBF, {13, 14}),
                                                 {0xC0, 0xE4},
                                                 {0xC0, 0xE4, 0xD6, 0xE0},
                                                 {9, 24, 25},
                                                 {21, 22, 26},
                                                 Codes(120, 127, {0x84}),
                                                 {9, 10, 0x8C, 0x9F},
                                                 {5, 23},
                                                 {10},
                                                 {0xC0, 0xFF},
                                                 {9, 0x82},
                                                 {24, 25, 0xA0, 0xA1, 0xA3},
                                                 {},
                                                 {20, 0xC4}};
  const std::vector<uint8_t> beside[kTestHoles] = {{0xA0, 0xA1, 0xA2, 0xA3, 4},
                                                   {},
                                                   {},
                                                   Codes(0xA8, 0xAF),
                                                   {},
                                                   {},
                                                   {},
                                                   {},
                                                   {},
                                                   {},
                                                   {0xA4, 0xA7},
                                                   {},
                                                   {0xA8, 0xA9},
                                                   {},
                                                   {0xA4, 0xA6},
                                                   {4},
                                                   Codes(0xA0, 0xA7, {4}),
                                                   {}};
  for (int32_t hole = 1; hole <= kTestHoles; ++hole) {
    const std::vector<uint8_t> codes = UseTestHole(hole);
    const Reached reached = Reach(hole, codes, true);
    const TestHoleInfo& info = TestHole(hole);
    EXPECT_EQ(codes[info.cupY * 640 + info.cupX], kCodeCup) << hole;
    EXPECT_TRUE(reached.seen[info.cupY * 640 + info.cupX]) << hole;
    for (uint8_t c : onto[hole - 1]) EXPECT_TRUE(reached.onto[c]) << "hole " << hole << " code " << +c;
    for (uint8_t c : beside[hole - 1]) EXPECT_TRUE(reached.beside[c]) << "hole " << hole << " wall " << +c;
    // Where a tunnel or the chute is the way to the cup, nothing else gets there.
    const bool byTunnel = hole == 6 || hole == 7 || hole == 14 || hole == 18;
    EXPECT_EQ(Reach(hole, codes, false).seen[info.cupY * 640 + info.cupX] != 0, !byTunnel) << hole;
  }
  ResetHoleForTest();
}

TEST(HoleTestCourseMaps, TunnelsAndTheChuteLeadWhereTheyShould) {
  auto expect = [](const TunnelRoute& route, int32_t result, int32_t x, int32_t y) {
    EXPECT_EQ(route.stop, TunnelStop::Result);
    EXPECT_EQ(route.result, result);
    EXPECT_EQ(route.x, x);
    EXPECT_EQ(route.y, y);
  };
  UseTestHole(6);
  expect(FollowTunnel(295, 220, 0), 1, 330, 220);
  UseTestHole(7);
  for (int32_t y = 60; y <= 100; ++y) {
    expect(FollowTunnel(195, y, 0), 1, 440, 390 - y);  // east, south, east
    expect(FollowTunnel(445, 390 - y, 4), 1, 199, y);  // and back
  }
  for (int32_t y = 350; y <= 385; ++y) expect(FollowTunnel(195, y, 0), 2, 480, y);        // teleport
  for (int32_t y = 200; y <= 220; ++y) expect(FollowTunnel(585, y, 0), 4, 460, 280 - y);  // out westward
  UseTestHole(14);
  for (int32_t y = 100; y <= 140; ++y) {
    expect(FollowTunnel(585, y, 0), 1, 360 + y, 270);
    EXPECT_EQ(FollowTunnel(585, y, 0).direction, 3);  // south-west into the exit
  }
  const std::vector<uint8_t> eighteen = UseTestHole(18);
  for (int16_t y = 104; y <= 136; ++y) {
    const TunnelRoute end = FollowTunnel(kChuteX, ChuteEntry(y).y, ChuteEntry(y).direction);
    expect(end, 0, 505, std::clamp(end.y, 316, 324));
    EXPECT_TRUE(IsRestingPlace(eighteen[end.y * 640 + 504]));  // it rolls on west over the lower lane
  }
  ResetHoleForTest();
}

TEST(HoleTestCourseMaps, WallsFaceTheGroundTheyBound) {
  constexpr int32_t kNormals[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
  for (int32_t hole = 1; hole <= kTestHoles; ++hole) {
    if (hole == 16) continue;  // a rough rim; its straight walls are for gliding balls
    const std::vector<uint8_t> codes = UseTestHole(hole);
    int32_t checked = 0;
    for (int32_t y = 1; y < 440; ++y)
      for (int32_t x = 1; x < 639; ++x) {
        const uint8_t c = codes[y * 640 + x];
        if ((c & 0xF0) != 0xA0) continue;
        for (int32_t d = 0; d < 8; d += 2) {  // a ball stepping in from the ground beside it
          const uint8_t g = codes[(y - kStepY[d]) * 640 + x - kStepX[d]];
          if (g == 0 || g == 4 || (g & 0xF0) == 0xA0) continue;
          const TablePoint centre = gHole.wallTable[c & 15];
          const int32_t nx = c < 0xA8 ? kNormals[c & 7][0] : x - centre.x,
                        ny = c < 0xA8 ? kNormals[c & 7][1] : y - centre.y;
          EXPECT_GT(nx * kStepX[d] + ny * kStepY[d], 0) << "hole " << hole << " at " << x << "," << y;
          ++checked;
        }
      }
    EXPECT_GT(checked, 500) << hole;
  }
  ResetHoleForTest();
}

TEST_F(HoleLoadTest, TheWrittenTestCourseLoadsAsDesigned) {
  std::string error;
  ASSERT_TRUE(WriteTestCourse(dir_, &error)) << error;
  for (int32_t hole = 1; hole <= kTestHoles; ++hole) {
    gRound.currentHole = static_cast<int8_t>(hole);
    LoadHole();
    ASSERT_EQ(gRound.currentHole, hole);
    const std::vector<uint8_t> codes = TestHoleCodes(hole);
    int32_t differ = 0;
    for (int32_t y = 0; y < 441; ++y)
      for (int32_t x = 0; x < 640; ++x) differ += MapCodeAt(x, y) != codes[y * 640 + x];
    EXPECT_EQ(differ, 0) << "hole " << hole;  // hole 15's remapped raw values too
    const TestHoleInfo& info = TestHole(hole);
    const TablePoint flag = gHole.cupTable[0].x == 0 ? gHole.cupTable[15] : gHole.cupTable[0];
    EXPECT_EQ(flag.x, info.cupX);
    EXPECT_EQ(flag.y, info.cupY);
    EXPECT_EQ(MapCodeAt(info.padRight - 1, info.padBottom - 1), kCodeStartPad);
    EXPECT_EQ(gHole.holeSlopeStrength, hole == 10 ? 2 : hole == 12 ? 12 : 1);
    const COLORREF cup = Color565ToRgb(PictureAt(info.cupX, info.cupY));
    const COLORREF pad = Color565ToRgb(PictureAt(info.padLeft + 5, info.padTop + 5));
    EXPECT_LT(GetRValue(cup) + GetGValue(cup) + GetBValue(cup), 40u);  // a black cup on a light mat
    EXPECT_GT(GetRValue(pad) + GetGValue(pad) + GetBValue(pad), 500u);
  }
  ASSERT_NE(gHole.figurePicture, nullptr);
  EXPECT_EQ(gHole.figurePicture->colorKey, ColorTo565(RGB(255, 0, 255)));
  for (int32_t player = 1; player <= 8; ++player) {
    const SurfacePtr ball = LoadKeyedSurface(("Balls\\Ball" + std::to_string(player) + ".bmp").c_str());
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->width * ball->height, 99 * 99);
    EXPECT_NE(ball->pixels[93 * 99 + 16], ball->colorKey);  // the ball at rest
  }
  const SurfacePtr flag = LoadKeyedSurface("Balls\\Flag.bmp");
  ASSERT_NE(flag, nullptr);
  EXPECT_EQ(flag->width * flag->height, 512 * 64);
  EXPECT_NE(flag->pixels[63 * 512 + 1], flag->colorKey);  // the pole stands in the cup
}

TEST(HoleTestCourseMaps, SheetsShowWhatTheyAreFor) {
  const Bitmap sheet = DrawTestBallSheet(1);
  for (int32_t column = 0; column < 8; ++column) {  // the roll phase shows from frame to frame
    int32_t differ = 0;
    for (int32_t y = 0; y < 11; ++y)
      for (int32_t x = 0; x < 11; ++x)
        differ += sheet.rgb[y * 99 + 11 * column + x] != sheet.rgb[y * 99 + 11 * column + 11 + x];
    EXPECT_GT(differ, 4) << column;
  }
  for (int32_t other = 2; other <= 8; ++other)
    EXPECT_NE(DrawTestBallSheet(other).rgb[5 * 99 + 5], sheet.rgb[5 * 99 + 5]);
  // The butterfly is copied without its key: its ground is the flower bed's colour in hole 16's picture.
  const Bitmap butterfly = DrawTestButterfly(), sixteen = DrawTestHolePicture(16);
  EXPECT_EQ(butterfly.rgb[0], sixteen.rgb[21 * 640 + 295]);
  EXPECT_EQ(butterfly.rgb[39 * 640 + 39], sixteen.rgb[60 * 640 + 334]);
}
