// A hole under construction: the map code and the look of every screen pixel, the tables of the map's
// bottom rows, and the scenery around the green. Shapes paint code and look together, so what the picture
// shows is what the map does; walls are grown around the ground afterwards. Integer arithmetic only: the
// same shapes give the same map bytes on every machine.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

constexpr int32_t kMapW = 640;
constexpr int32_t kMapH = 480;
constexpr size_t kMapPixels = static_cast<size_t>(kMapW) * kMapH;
constexpr int32_t kFieldRows = 441;  // rows 0..440 are ground; below them the status strip

// Straight wall normals, pointing from the ground into the wall: entries 0..7 of every hole's wall table.
constexpr int16_t kWallNormals[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};

// What a pixel looks like in the picture; the painter turns each into texture and light.
enum Look : uint8_t {
  kVoid,  // beyond the green: scenery
  kFelt,
  kWall,  // a border or an obstacle the ball bounces off
  kRock,  // a rough-edged wall
  kPadMat,
  kCupHole,
  kFunnelLip,
  kWaterLook,
  kSand,
  kSlopeLook,
  kBowlLook,
  kSwitchOn,
  kSwitchOff,
  kStrength,
  kMouth,
  kBridge,
  kLaunchLook,
  kReturnLook,
  kBumper,
  kIce,
  kChuteLook,
  kTeleportPad,
  kOutlet,
  kFlowers,
  kBed,
  kPipe,
  kPipeWall,
  kGate,
  kArrow,
  kHumpLook,  // a centre slope ringed by switch-on lamps: it pushes away from its centre
  kLookCount,
};

// The border material of a hole's grown walls.
enum class Border : uint8_t { Wood, Stone, Brick };

struct MapPt {
  int32_t x = 0, y = 0;
};

// Things drawn around the green that the ball never meets.
enum class SceneryKind : uint8_t {
  Heather,   // area: purple-flowering ling
  Gorse,     // area: dark spiny bushes with yellow flowers
  Bracken,   // area: rust-brown fronds
  Pool,      // area: still moorland water
  Scree,     // area: loose grey stones
  Brook,     // path with a width: running water
  Track,     // path with a width: a trodden earth path
  DryStone,  // path with a width: a dry-stone wall
  Tree,      // point with a size: crown radius
  Rock,      // point with a size
  Sheep,     // point; size is the facing: 0 east, 1 west
  Mill,      // point: a small stone mill, size is its width
  Bridge,    // point with a size: a stone footbridge, length along x
  Cottage,   // point: a stone cottage, size is its width
  Flowers,   // area: wild flowers in grass
};

struct SceneryItem {
  SceneryKind kind = SceneryKind::Rock;
  std::vector<MapPt> points;  // polygon of an area, line of a path, or one point
  int32_t size = 0;           // width of a path, radius or width of a point thing
};

// A name in the hole source for each kind; false for an unknown one.
bool SceneryKindNamed(const std::string& name, SceneryKind* kind);
bool IsSceneryArea(SceneryKind kind);
bool IsSceneryPath(SceneryKind kind);

// True for every code the ball may roll onto: not open ground (0) and not a wall.
bool IsGroundCode(uint8_t code);

class HoleMap {
 public:
  std::vector<uint8_t> code = std::vector<uint8_t>(kMapPixels, 0);
  std::vector<uint8_t> look = std::vector<uint8_t>(kMapPixels, kVoid);
  std::vector<uint8_t> fixedNormal = std::vector<uint8_t>(kMapPixels, 0);  // walls whose normal the author gave
  std::array<MapPt, 16> wall{}, cup{}, centre{};
  int16_t slopeStrength = 1;
  bool roughWalls = false;  // grown walls get code 4 instead of a straight normal
  Border border = Border::Wood;
  std::vector<SceneryItem> scenery;

  HoleMap();

  uint8_t CodeAt(int32_t x, int32_t y) const { return code[Index(x, y)]; }
  uint8_t LookAt(int32_t x, int32_t y) const { return look[Index(x, y)]; }
  bool OnField(int32_t x, int32_t y) const { return x >= 0 && x < kMapW && y >= 0 && y < kFieldRows; }
  void Set(int32_t x, int32_t y, uint8_t c, uint8_t l) {
    code[Index(x, y)] = c;
    look[Index(x, y)] = l;
  }
  // A tunnel's bends and ends lie under whatever is drawn there.
  void Hidden(int32_t x, int32_t y, uint8_t c) { code[Index(x, y)] = c; }

  // Sets code and look on every field pixel of the box [x0, x1) x [y0, y1) where inside(x, y) holds.
  template <typename F>
  void Paint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, F inside, uint8_t c, uint8_t l) {
    ForEach(x0, y0, x1, y1, inside, [&](int32_t x, int32_t y) { Set(x, y, c, l); });
  }
  template <typename F, typename Do>
  void ForEach(int32_t x0, int32_t y0, int32_t x1, int32_t y1, F inside, Do act) const {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, kMapW), y1 = std::min(y1, kFieldRows);
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x)
        if (inside(x, y)) act(x, y);
  }
  void Rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t c, uint8_t l);
  void Disc(int32_t cx, int32_t cy, int32_t r, uint8_t c, uint8_t l);
  void Ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t c, uint8_t l);
  void Polygon(std::span<const MapPt> points, uint8_t c, uint8_t l);
  void Polygon(std::initializer_list<MapPt> points, uint8_t c, uint8_t l) {
    Polygon(std::span<const MapPt>(points.begin(), points.size()), c, l);
  }
  void Pad(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { Rect(x0, y0, x1, y1, 1, kPadMat); }
  // The cup with its funnel of the given radius pulling toward cup table entry n; the funnel lies only on
  // ground, never over a wall.
  void Cup(int32_t cx, int32_t cy, int32_t n, int32_t funnelRadius = 14);

  // Grows walls `thickness` pixels into the void around the ground, then gives every straight wall pixel the
  // normal of the ground beside it, rounded to one of the eight directions of the wall table.
  void Walls(int32_t thickness = 6);
  // Gives every wall pixel (look kWall) the normal of the ground beside it; for walls painted by hand.
  void NormalWalls();
  // Turns the straight walls where `where` holds into a wall curved around (cx, cy): wall table entry 8 + n.
  // Only pixels whose straight normal lies within 50 degrees of the line from the centre change: where the
  // curve meets a straight wall at an angle, the straight wall keeps its own normal, or a ball running along
  // it would meet a normal pointing out of the wall.
  template <typename F>
  void CurvedWalls(int32_t cx, int32_t cy, int32_t n, F where) {
    for (int32_t y = 0; y < kFieldRows; ++y)
      for (int32_t x = 0; x < kMapW; ++x)
        if (LookAt(x, y) == kWall && (CodeAt(x, y) & 0xF8) == 0xA0 && where(x, y)) CurveWallPixel(x, y, cx, cy, n);
    wall[8 + n] = {cx, cy};
  }

 private:
  static size_t Index(int32_t x, int32_t y) { return static_cast<size_t>(y) * kMapW + x; }
  void CurveWallPixel(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t n);
  int32_t FacingNormal(int32_t x, int32_t y, int32_t sx, int32_t sy) const;
};

// Where the picture would mislead about the map, as "(x, y): ..." lines, at most `most` of them: ground drawn
// where the map has a wall or nothing, and a wall the ball can meet drawn as ground. Empty when they agree.
std::vector<std::string> PictureMapDisagreements(const HoleMap& m, size_t most = 10);

// What the hole's H2O file decodes to: the map stored bottom-up under raw values, with the code, wall, cup
// and centre tables and the hole slope strength in the bottom rows. rawOf[code] is the raw value a code is
// stored as; it must be one to one, with rawOf[0] = 0.
std::vector<uint8_t> HoleMapBytes(const HoleMap& m, const std::array<uint8_t, 256>& rawOf);
std::vector<uint8_t> HoleMapBytes(const HoleMap& m);

// Integer square root, rounded down.
int32_t ISqrt(int64_t v);
