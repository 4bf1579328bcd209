// The synthetic test course. Each hole is painted as regions of map codes, each region with a look; walls are
// then grown around the ground and given the normal of the ground they face, and the picture is drawn from
// the looks, so what the player sees is what the map does.
#include "tools/coursebuild/test_course.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>

#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/hole_map.h"
#include "tools/coursebuild/lzcc_encode.h"
#include "tools/coursebuild/raster.h"

namespace {

using raster::Rgb;

using Pt = MapPt;

constexpr int32_t kW = kMapW;
constexpr int32_t kH = kMapH;
constexpr size_t kPixels = kMapPixels;

constexpr Rgb kKey{255, 0, 255};
constexpr Rgb kBedColour{98, 170, 80};  // hole 16's flower bed; the butterfly frames are drawn on it

const TestHoleInfo kHoles[kTestHoles] = {
    {2, 70, 205, 100, 235, 520, 220, "plain green: straight walls, a rough rock, pad, cup and funnel"},
    {2, 60, 205, 90, 235, 560, 220, "a grid of all sixteen slopes; 2,000 unused bytes before the map"},
    {2, 60, 205, 90, 235, 560, 220, "heavy ground strip and two ponds"},
    {2, 60, 205, 90, 235, 560, 220, "stadium of curved walls with four round bays"},
    {2, 60, 205, 90, 235, 560, 220, "bowl, hill and fourteen dimples of centre slopes, with the reversing switches"},
    {2, 60, 205, 90, 235, 540, 220, "a straight tunnel through a dividing wall"},
    {3, 60, 205, 90, 235, 540, 300, "tunnels with bends, a teleport end and a westward end"},
    {2, 60, 205, 90, 235, 520, 220, "a railed glide bridge over a fenced pond"},
    {3, 60, 205, 90, 235, 540, 140, "launch and return lines, bounce-back bumpers"},
    {2, 60, 205, 90, 235, 560, 220, "slope-strength strips 120..126 before a slope, 127 after it"},
    {4, 60, 325, 90, 355, 110, 100, "long U with chamfered corners, pond, uphill slope, heavy ground; cup at entry 15"},
    {2, 60, 205, 90, 235, 560, 220,
     "keep-speed ice, a flower bed of a code with no action; out-of-range slope strength"},
    {2, 60, 325, 90, 355, 360, 90, "dogleg round a curved corner to a round-ended lane, heavy ground"},
    {3, 60, 105, 90, 135, 200, 330, "tunnel whose path runs south-west into its exit"},
    {2, 60, 345, 90, 375, 540, 100, "diagonal green with 45-degree walls, a pond and a slope; codes remapped"},
    {3, 60, 330, 90, 360, 530, 140, "rough rim, a glide pipe whose straight walls only a gliding ball meets"},
    {2, 160, 205, 190, 235, 470, 220, "octagon of all eight straight wall normals round a rough pillar"},
    {2, 60, 105, 90, 135, 420, 320, "the chute carries the ball from the upper lane to the lower one"},
};

// Hole 2's four by four tiles, one for each slope code.
void SlopeGrid(HoleMap& m) {
  for (int32_t j = 0; j < 4; ++j)
    for (int32_t i = 0; i < 4; ++i)
      m.Rect(200 + 60 * i, 100 + 60 * j, 260 + 60 * i, 160 + 60 * j, static_cast<uint8_t>(0x80 + 4 * j + i),
             kSlopeLook);
}

HoleMap BuildHole(int32_t hole) {
  HoleMap m;
  const TestHoleInfo& info = kHoles[hole - 1];
  switch (hole) {
    case 1:
      m.Rect(40, 140, 600, 300, 3, kFelt);
      m.Disc(330, 300, 40, 4, kRock);  // a rough rock jutting from the south wall
      break;
    case 2:
      m.Rect(40, 60, 600, 380, 3, kFelt);
      SlopeGrid(m);
      break;
    case 3:
      m.Rect(40, 100, 600, 340, 3, kFelt);
      m.Rect(250, 100, 266, 340, 10, kSand);  // narrow: heavy ground takes a sixteenth of the speed a pixel
      m.Ellipse(430, 155, 45, 38, 9, kWaterLook);
      m.Ellipse(430, 285, 45, 38, 9, kWaterLook);
      break;
    case 4:
      m.Rect(160, 80, 480, 361, 3, kFelt);
      m.Disc(160, 220, 140, 3, kFelt);
      m.Disc(480, 220, 140, 3, kFelt);
      for (const Pt bay : {Pt{250, 80}, Pt{390, 80}, Pt{250, 360}, Pt{390, 360}}) m.Disc(bay.x, bay.y, 30, 3, kFelt);
      break;
    case 5:
      m.Rect(40, 80, 600, 360, 3, kFelt);
      m.Disc(220, 220, 70, 0xB0, kBowlLook);
      m.centre[0] = {220, 220};
      m.Disc(420, 220, 70, 0xB1, kBowlLook);
      m.centre[1] = {420, 220};
      m.Rect(335, 80, 341, 360, 14, kSwitchOn);
      m.Rect(496, 80, 502, 360, 13, kSwitchOff);
      for (int32_t k = 0; k < 7; ++k) {
        m.Disc(100 + 70 * k, 110, 12, static_cast<uint8_t>(0xB2 + k), kBowlLook);
        m.centre[2 + k] = {100 + 70 * k, 110};
        m.Disc(100 + 70 * k, 330, 12, static_cast<uint8_t>(0xB9 + k), kBowlLook);
        m.centre[9 + k] = {100 + 70 * k, 330};
      }
      break;
    case 6:
      m.Rect(40, 80, 300, 360, 3, kFelt);
      m.Rect(330, 80, 600, 360, 3, kFelt);
      m.Rect(290, 190, 300, 250, 0xC0, kMouth);  // in: east
      m.Rect(330, 190, 340, 250, 0xE4, kMouth);  // out: a mouth facing back west
      break;
    case 7:
      m.Rect(40, 40, 200, 400, 3, kFelt);
      m.Rect(440, 40, 600, 400, 3, kFelt);
      // Tunnel 1: east under the hedge, south, east again into the right-hand room.
      m.Rect(190, 60, 200, 101, 0xC0, kMouth);
      m.Rect(440, 290, 450, 331, 0xE4, kMouth);
      // Tunnel 2: east to a teleport end in the right-hand room.
      m.Rect(190, 350, 200, 386, 0xC0, kMouth);
      m.Rect(476, 350, 485, 386, 3, kTeleportPad);
      // Tunnel 3: from the far wall of the right-hand room round behind it to an outlet that sends the ball west.
      m.Rect(580, 200, 590, 221, 0xC0, kMouth);
      m.Rect(456, 60, 465, 81, 3, kOutlet);
      break;
    case 8:
      m.Rect(40, 100, 250, 340, 3, kFelt);
      m.Rect(390, 100, 600, 340, 3, kFelt);
      // The pond between is fenced off: walls along both shores and the bridge's rails meet in inside
      // corners only, so no wall ends in a tip a ball could meet from the side.
      m.Rect(250, 190, 256, 251, 24, kBridge);
      m.Rect(256, 190, 384, 251, 9, kBridge);  // water under the planks: only a gliding ball crosses
      m.Rect(384, 190, 390, 251, 25, kBridge);
      break;
    case 9:
      m.Rect(40, 60, 600, 380, 3, kFelt);
      m.Rect(250, 150, 251, 291, 21, kLaunchLook);
      for (const int32_t y : {180, 220, 260}) {  // arrows on the plain green beside it: the way it sends a ball
        for (int32_t t = 0; t < 8; ++t) {
          m.Rect(256 + t, y - 8 + t, 258 + t, y - 7 + t, 3, kArrow);
          m.Rect(256 + t, y + 8 - t, 258 + t, y + 9 - t, 3, kArrow);
        }
      }
      m.Rect(330, 150, 336, 291, 22, kReturnLook);
      m.Rect(440, 250, 448, 380, 26, kBumper);
      m.Disc(420, 330, 12, 26, kBumper);
      break;
    case 10:
      m.Rect(40, 100, 600, 340, 3, kFelt);
      for (int32_t k = 0; k < 7; ++k)
        m.Rect(180, 100 + 34 * k, 184, k == 6 ? 340 : 134 + 34 * k, static_cast<uint8_t>(120 + k), kStrength);
      m.Rect(260, 100, 400, 340, 0x84, kSlopeLook);  // falls to the south
      m.Rect(440, 100, 444, 340, 127, kStrength);
      m.slopeStrength = 2;
      break;
    case 11:
      m.Polygon({{40, 40},
                 {560, 40},
                 {600, 80},
                 {600, 360},
                 {560, 400},
                 {40, 400},
                 {40, 280},
                 {480, 280},
                 {480, 160},
                 {40, 160}},
                3, kFelt);
      m.Ellipse(300, 340, 40, 22, 9, kWaterLook);
      m.Rect(480, 180, 600, 260, 0x8C, kSlopeLook);  // falls to the north, up the far leg
      m.Rect(300, 40, 316, 160, 10, kSand);
      break;
    case 12:
      m.Rect(40, 100, 600, 340, 3, kFelt);
      m.Rect(260, 130, 380, 310, 23, kIce);
      m.Ellipse(470, 290, 30, 18, 5, kFlowers);
      m.slopeStrength = 12;  // out of range: taken as 1
      break;
    case 13:
      m.Rect(40, 280, 300, 400, 3, kFelt);
      m.Rect(300, 100, 420, 280, 3, kFelt);
      m.Disc(360, 100, 59, 3, kFelt);
      m.Paint(
          300, 280, 420, 400,
          [](int32_t x, int32_t y) { return (x - 300) * (x - 300) + (y - 280) * (y - 280) <= 119 * 119; }, 3, kFelt);
      m.Rect(300, 170, 420, 200, 10, kSand);
      break;
    case 14:
      m.Rect(40, 40, 600, 200, 3, kFelt);
      m.Rect(40, 260, 600, 400, 3, kFelt);
      m.Rect(580, 100, 590, 141, 0xC0, kMouth);
      m.Rect(440, 270, 510, 276, 0xFF, kMouth);  // faces north-east, back along the path
      break;
    case 15:
      m.Polygon({{40, 400}, {40, 320}, {300, 60}, {600, 60}, {600, 140}, {340, 400}}, 3, kFelt);
      m.Ellipse(330, 230, 40, 30, 9, kWaterLook);
      m.Rect(400, 100, 480, 170, 0x82, kSlopeLook);
      break;
    case 16:
      m.roughWalls = true;
      m.Rect(40, 90, 600, 400, 3, kFelt);
      m.Rect(285, 12, 346, 71, 0, kBed);
      m.Rect(146, 130, 150, 171, 25, kPipe);
      m.Rect(150, 130, 154, 171, 24, kPipe);
      m.Rect(154, 130, 446, 171, 3, kPipe);
      m.Rect(446, 130, 450, 171, 25, kPipe);
      m.Rect(146, 123, 450, 130, 0xA3, kPipeWall);
      m.Rect(146, 171, 450, 178, 0xA1, kPipeWall);
      m.Rect(450, 150, 454, 171, 0xA0, kGate);  // met right after the pipe's end: the ball bounces back
      break;
    case 17:
      m.Polygon({{215, 40}, {425, 40}, {500, 115}, {500, 325}, {425, 400}, {215, 400}, {140, 325}, {140, 115}}, 3,
                kFelt);
      m.Disc(320, 220, 25, 4, kRock);
      break;
    case 18:
      m.Polygon({{40, 80}, {460, 80}, {486, 104}, {499, 104}, {499, 137}, {486, 137}, {460, 160}, {40, 160}}, 3, kFelt);
      m.Rect(490, 104, 499, 137, 20, kChuteLook);
      m.Rect(40, 280, 506, 361, 3, kFelt);
      break;
    default:
      break;
  }
  m.Pad(info.padLeft, info.padTop, info.padRight, info.padBottom);
  m.Cup(info.cupX, info.cupY, hole == 11 ? 15 : 0);
  m.Walls();

  switch (hole) {
    case 8:
      m.Paint(
          250, 100, 390, 340, [&m](int32_t x, int32_t y) { return m.LookAt(x, y) == kVoid; }, 0, kWaterLook);
      break;
    case 4:
      m.CurvedWalls(160, 220, 0, [](int32_t x, int32_t y) { return x < 160 && y < 220; });
      m.CurvedWalls(480, 220, 1, [](int32_t x, int32_t y) { return x >= 480 && y < 220; });
      m.CurvedWalls(250, 80, 2, [](int32_t x, int32_t y) { return y < 80 && x > 210 && x < 290; });
      m.CurvedWalls(390, 80, 3, [](int32_t x, int32_t y) { return y < 80 && x > 350 && x < 430; });
      m.CurvedWalls(250, 360, 4, [](int32_t x, int32_t y) { return y > 360 && x > 210 && x < 290; });
      m.CurvedWalls(390, 360, 5, [](int32_t x, int32_t y) { return y > 360 && x > 350 && x < 430; });
      m.CurvedWalls(160, 220, 6, [](int32_t x, int32_t y) { return x < 160 && y >= 220; });
      m.CurvedWalls(480, 220, 7, [](int32_t x, int32_t y) { return x >= 480 && y >= 220; });
      break;
    case 7:
      for (int32_t y = 60; y <= 100; ++y) m.Hidden(240 + y, y, 0xE2);   // from the west, turn south
      for (int32_t x = 300; x <= 340; ++x) m.Hidden(x, 630 - x, 0xF0);  // from the north, turn east
      for (int32_t y = 350; y <= 385; ++y) m.Hidden(480, y, 0xD6);      // end, result 2: teleport
      for (int32_t y = 200; y <= 220; ++y) m.Hidden(835 - y, y, 0xE6);  // from the west, turn north
      for (int32_t x = 615; x <= 635; ++x) m.Hidden(x, x - 555, 0xD4);  // from the south, turn west
      for (int32_t y = 60; y <= 80; ++y) m.Hidden(460, y, 0xE0);        // end, result 4: out westward
      break;
    case 13:
      m.CurvedWalls(300, 280, 0, [](int32_t x, int32_t y) { return x >= 300 && y >= 280; });
      m.CurvedWalls(360, 100, 1, [](int32_t x, int32_t y) { return y < 100 && x > 290 && x < 430; });
      break;
    case 14:
      for (int32_t y = 100; y <= 140; ++y) m.Hidden(630, y, 0xE3);  // from the west, turn south-west
      break;
    case 18: {
      // The chute's path starts at x 515, row 119 or 120, heading north-east, east or south-east; each
      // heading meets its own bend down, each column its own bend west, and every row ends at x 505.
      m.Hidden(521, 113, 0xDA);
      m.Hidden(524, 111, 0xDA);
      m.Hidden(530, 119, 0xE2);
      m.Hidden(535, 120, 0xE2);
      m.Hidden(540, 144, 0xEA);
      m.Hidden(545, 150, 0xEA);
      const Pt turns[] = {{521, 316}, {524, 317}, {530, 318}, {535, 320}, {540, 322}, {545, 324}};
      for (const Pt t : turns) m.Hidden(t.x, t.y, 0xF4);
      for (int32_t y = 312; y <= 328; ++y) m.Hidden(505, y, 0xC4);  // end, result 0
      break;
    }
    default:
      break;
  }
  return m;
}

// Hole 15 keeps its ground under other raw values: 1..255 turned round by 100, 0 staying 0 so that what
// lies outside the map still reads as open ground.
uint8_t RawValue(int32_t hole, uint8_t code) {
  if (hole != 15 || code == 0) return code;
  return static_cast<uint8_t>((code - 1 + 100) % 255 + 1);
}

std::vector<uint8_t> MapBytes(int32_t hole, const HoleMap& m) {
  std::array<uint8_t, 256> rawOf{};
  for (int32_t code = 0; code < 256; ++code) rawOf[code] = RawValue(hole, static_cast<uint8_t>(code));
  return HoleMapBytes(m, rawOf);
}

// ---- Pictures ----------------------------------------------------------------------------------------

int32_t Grain(int32_t x, int32_t y, uint32_t seed, int32_t amount) {
  return static_cast<int32_t>(raster::Hash2(x, y, seed) % static_cast<uint32_t>(2 * amount + 1)) - amount;
}

Rgb Plus(Rgb c, int32_t d) { return raster::Shade(c, d); }

// How far (up to 3) a pixel lies from a pixel of another look, for rims and bevels.
int32_t EdgeDistance(const HoleMap& m, int32_t x, int32_t y) {
  const uint8_t l = m.LookAt(x, y);
  for (int32_t d = 1; d <= 3; ++d) {
    const Pt around[4] = {{x - d, y}, {x + d, y}, {x, y - d}, {x, y + d}};
    for (const Pt p : around)
      if (p.x >= 0 && p.x < kW && p.y >= 0 && p.y < kFieldRows && m.LookAt(p.x, p.y) != l) return d;
  }
  return 4;
}

Rgb FeltColour(int32_t x, int32_t y) { return Plus(Rgb{46, 150, 64}, Grain(x, y, 11, 4)); }

Rgb PixelColour(const HoleMap& m, int32_t x, int32_t y) {
  const uint8_t code = m.CodeAt(x, y);
  switch (m.LookAt(x, y)) {
    case kVoid: {
      const int32_t blotch = Grain(x / 5, y / 5, 3, 10) + Grain(x, y, 4, 5);
      return Plus(Rgb{30, 78, 38}, blotch);
    }
    case kFelt:
      return FeltColour(x, y);
    case kWall: {
      if (m.roughWalls) return Plus(Rgb{128, 120, 108}, Grain(x / 2, y / 2, 5, 22));
      const int32_t edge = EdgeDistance(m, x, y);
      const Rgb wood = edge <= 2 ? Rgb{176, 132, 82} : Rgb{112, 74, 42};
      return Plus(wood, Grain(x, y / 3, 6, 6));
    }
    case kRock:
      return Plus(Rgb{132, 126, 116}, Grain(x / 2, y / 2, 7, 24));
    case kPadMat:
      return EdgeDistance(m, x, y) <= 2 ? Rgb{150, 176, 140} : Plus(Rgb{200, 226, 184}, Grain(x, y, 8, 3));
    case kCupHole:
      return {8, 8, 8};
    case kFunnelLip: {
      const Pt c = m.cup[code & 0x0F];
      const int32_t r = ISqrt(int64_t{x - c.x} * (x - c.x) + int64_t{y - c.y} * (y - c.y));
      return Plus(FeltColour(x, y), -18 + std::min(r, 14));
    }
    case kWaterLook: {
      const bool crest = ((x * 3 + y * 5 + static_cast<int32_t>(raster::Hash2(x / 8, y / 8, 9) % 9)) / 14) % 5 == 0;
      return crest ? Rgb{96, 150, 232} : Plus(Rgb{40, 96, 200}, Grain(x, y, 10, 4));
    }
    case kSand:
      return Plus(Rgb{214, 190, 128}, Grain(x, y, 12, 12));
    case kSlopeLook: {
      // Terraces across the fall line, each bright on its high side and darkening downhill.
      const int32_t turn = (code & 0x0F) * 256;
      const int32_t along = (x * raster::Cos1024(turn) + y * raster::Sin1024(turn)) / 1024;
      const int32_t phase = ((along % 12) + 12) % 12;
      return Plus(Rgb{72, 168, 70}, 18 - 3 * phase + Grain(x, y, 13, 3));
    }
    case kBowlLook: {
      const Pt c = m.centre[code & 0x0F];
      const int32_t r = ISqrt(int64_t{x - c.x} * (x - c.x) + int64_t{y - c.y} * (y - c.y));
      return Plus(Rgb{52, 140, 96}, (r % 10 < 2 ? -10 : 0) + std::min(r / 3, 24) - 12);
    }
    case kSwitchOn:
      return {214, 62, 52};
    case kSwitchOff:
      return {62, 82, 214};
    case kStrength:
      return code == 127 ? Rgb{236, 236, 236} : Rgb{120 + 16 * (code - 120), 84, 196};
    case kMouth:
      return EdgeDistance(m, x, y) <= 1 ? Rgb{96, 96, 100} : Rgb{14, 14, 18};
    case kBridge: {
      const bool seam = (x % 6) == 0;
      const Rgb plank = code == 24 || code == 25 ? Rgb{176, 126, 74} : Rgb{152, 104, 58};
      return seam ? Plus(plank, -40) : Plus(plank, Grain(x / 6, y, 14, 8));
    }
    case kLaunchLook:
      return {246, 140, 30};
    case kReturnLook:
      return {242, 222, 52};
    case kBumper:
      return ((x + y) / 4) % 2 ? Rgb{222, 40, 40} : Rgb{242, 242, 242};
    case kIce:
      return (x + 2 * y) % 23 == 0 ? Rgb{250, 252, 255} : Plus(Rgb{190, 228, 240}, Grain(x, y, 15, 4));
    case kChuteLook:
      return (y - 104) % 8 < 2 ? Rgb{120, 90, 50} : Rgb{186, 152, 92};
    case kTeleportPad:
      return EdgeDistance(m, x, y) <= 2 ? Rgb{150, 40, 170} : Rgb{224, 120, 236};
    case kOutlet:
      return (y % 4) < 2 ? Rgb{60, 60, 70} : Rgb{110, 110, 124};
    case kFlowers: {
      const uint32_t h = raster::Hash2(x / 2, y / 2, 16) % 16;
      if (h == 0) return {240, 60, 60};
      if (h == 1) return {250, 220, 60};
      if (h == 2) return {250, 250, 250};
      return Plus(Rgb{120, 80, 50}, Grain(x, y, 17, 8));
    }
    case kBed:
      return kBedColour;
    case kPipe:
      return (y - 130) % 10 < 3 ? Rgb{150, 150, 162} : Rgb{184, 184, 196};
    case kPipeWall:
      return {98, 98, 112};
    case kGate:
      return {200, 60, 60};
    case kArrow:
      return {246, 180, 90};
    default:
      return {255, 0, 255};
  }
}

void Put(Bitmap& b, int32_t x, int32_t y, Rgb c) {
  if (x >= 0 && y >= 0 && x < b.width && y < b.height) b.rgb[static_cast<size_t>(y) * b.width + x] = raster::Pack(c);
}

Bitmap Blank(int32_t width, int32_t height, Rgb c) {
  Bitmap b;
  b.width = width;
  b.height = height;
  b.rgb.assign(static_cast<size_t>(width) * height, raster::Pack(c));
  return b;
}

void CopyInto(Bitmap& to, int32_t toX, int32_t toY, const Bitmap& from, int32_t fromX, int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      to.rgb[static_cast<size_t>(toY + y) * to.width + toX + x] =
          from.rgb[static_cast<size_t>(y) * from.width + fromX + x];
}

// ---- Ball, flag and figures --------------------------------------------------------------------------

constexpr Rgb kBallColours[8] = {{236, 236, 236}, {246, 212, 40}, {222, 52, 40},  {52, 92, 232},
                                 {242, 122, 192}, {142, 72, 204}, {246, 142, 30}, {40, 200, 212}};

Rgb Scaled(Rgb c, int32_t k) { return {c.r * k / 256, c.g * k / 256, c.b * k / 256}; }

// One 11 x 11 frame at (left, top). Coordinates are in half pixels from the frame's centre.
// kind: 0 rolling (axisTurn, seam), 1 at rest, 2 under the cursor, 3..5 dropping, 6..8 teleporting.
void DrawBallFrame(Bitmap& sheet, int32_t left, int32_t top, Rgb colour, int32_t kind, int32_t axisTurn, int32_t seam) {
  const int32_t radius2 = kind >= 3 && kind <= 5 ? (kind == 3 ? 81 : kind == 4 ? 49 : 20) : 112;
  const int32_t ax = raster::Cos1024(axisTurn), ay = raster::Sin1024(axisTurn);
  for (int32_t py = 0; py < 11; ++py)
    for (int32_t px = 0; px < 11; ++px) {
      const int32_t dx = 2 * px - 10, dy = 2 * py - 10, d2 = dx * dx + dy * dy;
      if (d2 > radius2) continue;
      // Lit from the upper left.
      int32_t light = std::clamp(236 - 5 * (dx + dy) - d2 / 2, 70, 300);
      if (kind >= 3 && kind <= 5) light = light * (6 - kind) / 3;
      Rgb c = Scaled(colour, light);
      if (kind == 0) {
        const int32_t along = (dx * ax + dy * ay) / 1024;
        for (const int32_t s : {seam - 22, seam - 11, seam, seam + 11})
          if (std::abs(along - s) <= 2) c = Scaled(c, 150);
      }
      if (kind == 2 && d2 > 80) c = {30, 30, 30};  // outlined, to tell it from a ball at rest
      if (kind >= 6) {
        const uint32_t h = raster::Hash2(px, py, 20 + kind) % 4;
        if (h < static_cast<uint32_t>(kind - 5)) continue;
        if (h == 3) c = {255, 255, 255};
      }
      Put(sheet, left + px, top + py, c);
    }
}

// A duck facing 8-step direction d in the 32 x 32 square at (left, top), drawn only inside its inner
// (32 - 2 inset) square.
void DrawDuck(Bitmap& sheet, int32_t left, int32_t top, int32_t d, int32_t inset) {
  const int32_t ux = raster::Cos1024(d * 512), uy = raster::Sin1024(d * 512);
  const int32_t hx = 16 + 8 * ux / 1024, hy = 17 + 8 * uy / 1024;
  const int32_t bx = 16 + 13 * ux / 1024, by = 17 + 13 * uy / 1024;
  for (int32_t y = inset; y < 32 - inset; ++y)
    for (int32_t x = inset; x < 32 - inset; ++x) {
      if (x == hx + uy * 2 / 1024 && y == hy - 1 - ux * 2 / 1024) {
        Put(sheet, left + x, top + y, {10, 10, 10});  // the eye
      } else if (raster::InEllipse(x, y, bx, by, 2, 2)) {
        Put(sheet, left + x, top + y, {246, 130, 24});
      } else if (raster::InEllipse(x, y, hx, hy, 5, 5)) {
        Put(sheet, left + x, top + y, {250, 224, 60});
      } else if (raster::InEllipse(x, y, 16, 18, 9, 8)) {
        Put(sheet, left + x, top + y, {236, 206, 44});
      }
    }
}

}  // namespace

const TestHoleInfo& TestHole(int32_t hole) { return kHoles[std::clamp(hole, 1, kTestHoles) - 1]; }

std::vector<uint8_t> TestHoleCodes(int32_t hole) {
  HoleMap m = BuildHole(std::clamp(hole, 1, kTestHoles));
  return std::move(m.code);
}

std::vector<uint8_t> TestHoleOutput(int32_t hole) {
  hole = std::clamp(hole, 1, kTestHoles);
  std::vector<uint8_t> map = MapBytes(hole, BuildHole(hole));
  if (hole != 2) return map;
  std::vector<uint8_t> output;
  const char motto[] = "Brindlemoor test course. ";
  for (size_t i = 0; i < 2000; ++i) output.push_back(static_cast<uint8_t>(motto[i % (sizeof motto - 1)]));
  output.insert(output.end(), map.begin(), map.end());
  return output;
}

Bitmap DrawDiagramPicture(const HoleMap& m) {
  Bitmap b = Blank(kW, kH, {192, 192, 192});
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kW; ++x) Put(b, x, y, PixelColour(m, x, y));
  return b;
}

Bitmap DrawTestHolePicture(int32_t hole, bool figures) {
  hole = std::clamp(hole, 1, kTestHoles);
  Bitmap b = DrawDiagramPicture(BuildHole(hole));
  if (!figures) return b;
  if (hole == 16) CopyInto(b, 295, 21, DrawTestButterfly(), 0, 40, 40);  // the butterfly at rest
  if (hole == 18) {
    const Bitmap duck = DrawTestDucky();
    CopyInto(b, 499, 104, duck, 544, 32, 32);
    CopyInto(b, 499, 304, duck, 608, 32, 32);
  }
  return b;
}

Bitmap DrawTestBallSheet(int32_t player) {
  const Rgb colour = kBallColours[std::clamp(player, 1, 8) - 1];
  Bitmap sheet = Blank(99, 99, kKey);
  for (int32_t row = 0; row < 8; ++row)
    for (int32_t column = 0; column < 9; ++column) {
      // Row r rolls along the line r x 22.5 degrees below east; falling column numbers carry the seam forward.
      const int32_t seam = 10 - column * 22 / 9;
      DrawBallFrame(sheet, 11 * column, 11 * row, colour, 0, row * 256, seam);
    }
  const int32_t kinds[9] = {2, 1, 3, 4, 5, 6, 7, 8, 1};
  for (int32_t column = 0; column < 9; ++column) DrawBallFrame(sheet, 11 * column, 88, colour, kinds[column], 0, 0);
  return sheet;
}

Bitmap DrawTestFlag() {
  Bitmap flag = Blank(512, 64, kKey);
  for (int32_t k = 0; k < 8; ++k) {
    const int32_t left = 64 * k;
    for (int32_t y = 3; y < 64; ++y) {
      Put(flag, left + 1, y, {244, 244, 244});
      Put(flag, left + 2, y, {150, 150, 150});
    }
    for (int32_t y = 1; y < 3; ++y)
      for (int32_t x = 1; x < 3; ++x) Put(flag, left + x, y, {230, 190, 40});
    for (int32_t x = 3; x < 44; ++x) {
      const int32_t turn = x * 4096 / 34 - k * 512;
      const int32_t wave = raster::Sin1024(turn) * (x - 2) / (1024 * 9);
      const Rgb cloth = Plus(Rgb{222, 32, 44}, raster::Cos1024(turn) * 32 / 1024);
      for (int32_t y = 4 + wave; y < 24 + wave; ++y) Put(flag, left + x, y, cloth);
    }
  }
  return flag;
}

Bitmap DrawTestButterfly() {
  Bitmap sheet = Blank(640, 40, kBedColour);
  for (int32_t i = 0; i < 16; ++i) {
    const int32_t left = 40 * i;
    const int32_t open = std::max(std::abs(raster::Cos1024(i * 4096 / 16)), 160);  // 1024: wings flat out
    const int32_t upper = std::max(1, 8 * open / 1024), lower = std::max(1, 6 * open / 1024);
    for (int32_t y = 0; y < 40; ++y)
      for (int32_t x = 0; x < 40; ++x) {
        const int32_t dx = std::abs(x - 20);
        const int32_t wx = dx - 2;
        const bool up = wx >= 0 && raster::InEllipse(wx, y, upper, 15, upper, 8);
        const bool down = wx >= 0 && raster::InEllipse(wx, y, lower, 26, lower, 6);
        if (up || down) {
          const bool spot = raster::InEllipse(wx, y, upper * 3 / 2, 13, std::max(1, upper / 4), 2);
          Put(sheet, left + x, y, spot ? Rgb{20, 20, 20} : up ? Rgb{242, 150, 40} : Rgb{226, 110, 30});
        }
        if (dx <= 1 && y >= 11 && y <= 30) Put(sheet, left + x, y, {44, 32, 30});
        if (y >= 5 && y < 11 && dx == (11 - y) / 2 + 1) Put(sheet, left + x, y, {44, 32, 30});  // feelers
      }
  }
  return sheet;
}

Bitmap DrawTestDucky() {
  Bitmap sheet = Blank(640, 32, kKey);
  for (int32_t d = 0; d < 8; ++d) DrawDuck(sheet, 64 * d, 0, d, 0);
  // The chute's boxes, drawn without key: top empty, top with the duck waiting, bottom with the duck just
  // arrived, bottom empty.
  for (int32_t s = 0; s < 4; ++s) {
    const int32_t left = 512 + 32 * s;
    for (int32_t y = 0; y < 32; ++y)
      for (int32_t x = 0; x < 32; ++x) {
        const bool rim = x < 3 || y < 3 || x > 28 || y > 28;
        Put(sheet, left + x, y, rim ? Rgb{126, 86, 46} : Rgb{44, 70, 128});
      }
    if (s == 1 || s == 2) DrawDuck(sheet, left, 0, 4, 3);
  }
  return sheet;
}

std::vector<uint8_t> RegionTestMap(uint32_t seed, int32_t shapes) {
  raster::Lcg rng(seed);
  std::vector<uint8_t> map(kPixels, 3);
  for (int32_t s = 0; s < shapes; ++s) {
    const auto code = static_cast<uint8_t>(rng.Range(0, 255));
    const int32_t cx = rng.Range(0, 639), cy = rng.Range(0, 479), rx = rng.Range(10, 90), ry = rng.Range(10, 90);
    const int32_t corners = rng.Range(3, 7), turn = rng.Range(0, 4095);
    std::vector<raster::Pt> polygon;
    for (int32_t i = 0; i < corners; ++i) {
      const int32_t t = turn + i * 4096 / corners;
      polygon.push_back({cx + rx * raster::Cos1024(t) / 1024, cy + ry * raster::Sin1024(t) / 1024});
    }
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x)
        if (s % 2 ? raster::InEllipse(x, y, cx, cy, rx, ry) : raster::InPolygon(polygon, x, y))
          map[static_cast<size_t>(y) * kW + x] = code;
  }
  return map;
}

namespace {

bool SaveFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
  if (bytes.empty()) {
    *error = "cannot encode " + path.string();
    return false;
  }
  return WriteIfChanged(path, bytes, error) != WriteOutcome::Failed;
}

}  // namespace

bool WriteTestHole(const std::filesystem::path& gameDir, int32_t hole, std::string* error) {
  char name[16];
  std::snprintf(name, sizeof name, "Hole%02d.HIO", hole);
  if (!SaveFile(gameDir / "Holes" / name, EncodeBmp24(DrawTestHolePicture(hole)), error)) return false;
  std::snprintf(name, sizeof name, "Hole%02d.H2O", hole);
  return SaveFile(gameDir / "Holes" / name, EncodeLzcc(TestHoleOutput(hole)), error);
}

bool WriteTestSprites(const std::filesystem::path& gameDir, std::string* error) {
  const std::filesystem::path holes = gameDir / "Holes", balls = gameDir / "Balls";
  if (!SaveFile(holes / "buttfly.bmp", EncodeBmp24(DrawTestButterfly()), error)) return false;
  if (!SaveFile(holes / "ducky.bmp", EncodeBmp24(DrawTestDucky()), error)) return false;
  for (int32_t player = 1; player <= 8; ++player) {
    char name[16];
    std::snprintf(name, sizeof name, "Ball%d.bmp", player);
    if (!SaveFile(balls / name, EncodeBmp24(DrawTestBallSheet(player)), error)) return false;
  }
  return SaveFile(balls / "Flag.bmp", EncodeBmp24(DrawTestFlag()), error);
}

bool WriteTestCourse(const std::filesystem::path& gameDir, std::string* error) {
  for (int32_t hole = 1; hole <= kTestHoles; ++hole)
    if (!WriteTestHole(gameDir, hole, error)) return false;
  return WriteTestSprites(gameDir, error);
}
