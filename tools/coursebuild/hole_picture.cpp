// The hole picture. Every pixel is painted from its own look, so each edge of the playing surface and each wall
// falls exactly where the map changes; light, texture and shadow only shade a pixel, never move an edge. The
// light comes from the top left: raised things are lit on their upper-left edges and throw their shadows down
// and to the right, sunken things (water, sand, the cup) the other way round.
#include "tools/coursebuild/hole_picture.h"

#include <png.h>

#include <algorithm>
#include <cmath>

#include "tools/coursebuild/raster.h"
#include "tools/coursebuild/scenery.h"
#include "tools/coursebuild/texture.h"

using paint::Col;
using paint::Hex;
using paint::Light;
using paint::Mix;
using paint::SmoothStep;

namespace {

constexpr float kPi = 3.14159265f;
constexpr Col kFeltColour = Hex(0x368C46);

// What the painter knows about the map beyond single pixels.
struct Field {
  const HoleMap& m;
  uint32_t seed = 0;
  std::vector<int32_t> edge;           // fifths of a pixel from the edge of the pixel's own look region
  std::vector<uint8_t> raised;         // how tall a raised thing stands here, 0..255
  raster::Mask height;                 // `raised`, softened: its slope lights the raised edges
  raster::Mask shadow;                 // cast down and to the right by raised things
  raster::Mask contact;                // the soft darkening at the foot of every raised thing
  std::vector<int32_t> mouthDistance;  // fifths of a pixel to the nearest tunnel mouth
  // Per pixel, the run of same-look pixels through it along its row and its column.
  std::vector<int16_t> rowStart, rowLength, columnStart, columnLength;

  explicit Field(const HoleMap& map) : m(map) {}
  static size_t Index(int32_t x, int32_t y) { return static_cast<size_t>(y) * kMapW + x; }
  uint8_t Look(int32_t x, int32_t y) const {
    return x < 0 || y < 0 || x >= kMapW || y >= kFieldRows ? static_cast<uint8_t>(kVoid) : m.LookAt(x, y);
  }
  float Edge(int32_t x, int32_t y) const { return static_cast<float>(edge[Index(x, y)]) / 5 + 0.5f; }
  float Height(int32_t x, int32_t y) const {
    return x < 0 || y < 0 || x >= kMapW || y >= kMapH ? 0.0f : static_cast<float>(height.value[Index(x, y)]) / 255;
  }
};

uint8_t RaisedHeight(uint8_t look) {
  switch (look) {
    case kWall:
    case kRock:
    case kPipeWall:
    case kGate:
      return 255;
    case kPipe:
      return 230;
    case kBumper:
      return 170;
    default:
      return 0;
  }
}

// Like Mask but from a predicate over the whole screen.
template <typename F>
raster::Mask MaskOf(F value) {
  raster::Mask mask{kMapW, kMapH, std::vector<uint8_t>(kMapPixels)};
  for (int32_t y = 0; y < kMapH; ++y)
    for (int32_t x = 0; x < kMapW; ++x) mask.value[Field::Index(x, y)] = value(x, y);
  return mask;
}

// Runs are of one look, and for slopes of one direction too, so neighbouring slopes shade on their own.
int32_t RunKey(const Field& f, int32_t x, int32_t y) {
  const uint8_t look = f.Look(x, y);
  return look == kSlopeLook ? look | f.m.CodeAt(x, y) << 8 : look;
}

void MeasureRuns(Field& f) {
  f.rowStart.assign(kMapPixels, 0), f.rowLength.assign(kMapPixels, 0);
  f.columnStart.assign(kMapPixels, 0), f.columnLength.assign(kMapPixels, 0);
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kMapW;) {
      int32_t end = x;
      while (end < kMapW && RunKey(f, end, y) == RunKey(f, x, y)) ++end;
      for (int32_t i = x; i < end; ++i)
        f.rowStart[Field::Index(i, y)] = static_cast<int16_t>(x),
                                   f.rowLength[Field::Index(i, y)] = static_cast<int16_t>(end - x);
      x = end;
    }
  for (int32_t x = 0; x < kMapW; ++x)
    for (int32_t y = 0; y < kFieldRows;) {
      int32_t end = y;
      while (end < kFieldRows && RunKey(f, x, end) == RunKey(f, x, y)) ++end;
      for (int32_t i = y; i < end; ++i)
        f.columnStart[Field::Index(x, i)] = static_cast<int16_t>(y),
                                      f.columnLength[Field::Index(x, i)] = static_cast<int16_t>(end - y);
      y = end;
    }
}

Field Analyse(const HoleMap& m) {
  Field f(m);
  f.seed = HoleSeed(m);
  f.edge = raster::DistanceFifths(MaskOf([&](int32_t x, int32_t y) {
    const uint8_t l = f.Look(x, y);
    return static_cast<uint8_t>(l != f.Look(x - 1, y) || l != f.Look(x + 1, y) || l != f.Look(x, y - 1) ||
                                l != f.Look(x, y + 1));
  }));
  const raster::Mask raised = MaskOf([&](int32_t x, int32_t y) { return RaisedHeight(f.Look(x, y)); });
  f.raised = raised.value;
  f.height = raster::Blur(raised, 1);
  f.contact = raster::Blur(raised, 2);
  constexpr int32_t kShadowOffset = 3;
  f.shadow = raster::Blur(MaskOf([&](int32_t x, int32_t y) {
                            return x < kShadowOffset || y < kShadowOffset
                                       ? uint8_t{0}
                                       : raised.value[Field::Index(x - kShadowOffset, y - kShadowOffset)];
                          }),
                          2);
  f.mouthDistance = raster::DistanceFifths(
      MaskOf([&](int32_t x, int32_t y) { return static_cast<uint8_t>(f.Look(x, y) == kMouth); }));
  MeasureRuns(f);
  return f;
}

// ---- Light ---------------------------------------------------------------------------------------------

// Where the pixel lies within `width` pixels of its region's edge: how squarely that edge faces the light,
// +1 for an edge on the region's upper left, -1 for one on its lower right; 0 deep inside.
float EdgeFacing(const Field& f, int32_t x, int32_t y, float width) {
  const float d = f.Edge(x, y);
  if (d >= width) return 0;
  const uint8_t look = f.Look(x, y);
  auto signedEdge = [&](int32_t qx, int32_t qy) {
    if (qx < 0 || qy < 0 || qx >= kMapW || qy >= kMapH) return -1.0f;
    const float e = f.Edge(qx, qy);
    return f.Look(qx, qy) == look ? e : -e;
  };
  // The way into the region, away from its nearest edge.
  const float gx = signedEdge(x + 1, y) - signedEdge(x - 1, y), gy = signedEdge(x, y + 1) - signedEdge(x, y - 1);
  const float len = paint::Length(gx, gy);
  if (len < 1e-3f) return 0;
  return (gx + gy) / (1.41f * len) * SmoothStep(width, width * 0.3f, d);
}

// The slope of the softened height: +1 where a raised edge faces the upper left.
float RaisedLight(const Field& f, int32_t x, int32_t y) {
  const float gx = f.Height(x + 1, y) - f.Height(x - 1, y), gy = f.Height(x, y + 1) - f.Height(x, y - 1);
  return (gx + gy) * 1.6f;
}

// A soft fall of light across the whole green, brightest at the top left.
float SoftLight(int32_t x, int32_t y, uint32_t seed) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  return 0.05f - 0.1f * (fx / 640 + fy / 440) / 2 + 0.025f * paint::Noise(fx / 90, fy / 90, seed + 77);
}

// ---- Ground --------------------------------------------------------------------------------------------

// Where along its run a pixel lies, 0 at the start (left or top) and 1 at the end.
float RunPosition(const Field& f, int32_t x, int32_t y, bool alongRow) {
  const size_t i = Field::Index(x, y);
  const float start = alongRow ? f.rowStart[i] : f.columnStart[i],
              length = alongRow ? f.rowLength[i] : f.columnLength[i];
  return (static_cast<float>(alongRow ? x : y) - start + 0.5f) / std::max(1.0f, length);
}
bool RunsAlongRow(const Field& f, int32_t x, int32_t y) {
  return f.rowLength[Field::Index(x, y)] >= f.columnLength[Field::Index(x, y)];
}

Col Felt(int32_t x, int32_t y, uint32_t seed) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  // Fine nap: single-pixel fibres over a faint weave.
  const float fibre = paint::Hash01(x, y, seed) - 0.5f;
  const float weave = paint::Noise(fx / 2.2f, fy / 2.2f, seed + 1);
  const float cloud = paint::Noise(fx / 24, fy / 24, seed + 2);
  return Light(kFeltColour, 0.07f * fibre + 0.035f * weave + 0.03f * cloud);
}

// The 8-step directions of the map codes as unit vectors.
paint::Vec Direction8(int32_t d) {
  static constexpr float kS = 0.70710678f;
  static constexpr paint::Vec kDirs[8] = {{1, 0}, {kS, kS}, {0, 1}, {-kS, kS}, {-1, 0}, {-kS, -kS}, {0, -1}, {kS, -kS}};
  return kDirs[d & 7];
}

// A slope falls toward direction n of 16: it is darker the more it turns from the light, crossed by soft
// terraces that step down the fall line, with faint painted chevrons pointing downhill.
Col Slope(const Field& f, int32_t x, int32_t y, uint8_t code) {
  const float turn = static_cast<float>(code & 0x0F) * kPi / 8, dx = std::cos(turn), dy = std::sin(turn);
  const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
  const float along = fx * dx + fy * dy, across = -fx * dy + fy * dx;
  Col c = Mix(Felt(x, y, f.seed), Hex(0x4A9A3E), 0.3f);
  // High ground pale, low ground in shadow: from the slope's uphill edge to its downhill one.
  const float fall = (dx * (RunPosition(f, x, y, true) - 0.5f) + dy * (RunPosition(f, x, y, false) - 0.5f)) /
                     (std::fabs(dx) + std::fabs(dy));
  const float towardLight = -(dx + dy) / 1.41f;
  c = Light(c, 0.06f * towardLight - 0.26f * fall);
  const float row = std::floor(across / 24);
  float cu = along + 12 * std::fmod(std::fabs(row), 2.0f);
  cu = cu - 24 * std::floor(cu / 24) - 12;
  const float cv = across - 24 * row - 12;
  if (std::fabs(cv) < 6.5f) c = Light(c, 0.22f * paint::Cover(std::fabs(cu + std::fabs(cv) - 3) * 0.707f - 0.8f));
  return c;
}

// A dish falling toward centre: lit on the far side from the light, with faint rings like contour lines.
Col Dish(Col base, int32_t x, int32_t y, MapPt centre, float strength, float rings, float fade) {
  const float rx = static_cast<float>(x - centre.x), ry = static_cast<float>(y - centre.y);
  const float r = paint::Length(rx, ry);
  if (r < 0.5f) return Light(base, -strength);
  const float fading = fade > 0 ? SmoothStep(fade, fade * 0.3f, r) : 1.0f;
  Col c = Light(base, strength * fading * (rx + ry) / (1.41f * r) * SmoothStep(0, 10, r));
  if (rings > 0) {
    const float ring = r / rings - std::floor(r / rings);
    c = Light(c, -0.06f * SmoothStep(0.25f, 0.0f, std::fabs(ring - 0.5f) - 0.25f));
  }
  return c;
}

MapPt NearestCup(const HoleMap& m, int32_t x, int32_t y) {
  MapPt best{x, y};
  int64_t bestD = INT64_MAX;
  for (const MapPt& c : m.cup) {
    if (c.x == 0 && c.y == 0) continue;
    const int64_t d = int64_t{c.x - x} * (c.x - x) + int64_t{c.y - y} * (c.y - y);
    if (d < bestD) bestD = d, best = c;
  }
  return best;
}

Col Cup(const Field& f, int32_t x, int32_t y) {
  const MapPt c = NearestCup(f.m, x, y);
  const float rx = static_cast<float>(x - c.x), ry = static_cast<float>(y - c.y), r = paint::Length(rx, ry);
  const float facing = r > 0.1f ? (rx + ry) / (1.41f * r) : 0;
  // A white liner's lip round a dark hole whose far (lower-right) wall catches a little light.
  if (r > 3.1f) return Light(Hex(0xACACA4), -0.25f * facing);
  return Mix(Hex(0x040404), Hex(0x403C36), paint::Clamp01((0.5f + 0.5f * facing) * r / 2.6f));
}

Col Water(const Field& f, int32_t x, int32_t y) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y), d = f.Edge(x, y);
  Col c = Mix(Hex(0x4C94B4), Hex(0x1E5A92), SmoothStep(0, 16, d));
  const float wave = std::sin(0.12f * fx + 0.42f * fy + 3 * paint::Noise(fx / 22, fy / 22, f.seed + 10));
  c = Light(c, 0.22f * SmoothStep(0.8f, 0.98f, wave) - 0.06f * SmoothStep(-0.7f, -1.0f, wave));
  if (paint::Noise(fx / 5, fy / 1.6f, f.seed + 11) > 0.72f) c = Light(c, 0.45f);
  // The bank shades the water below its upper-left edge; the far bank shows a bright wet line.
  const float facing = EdgeFacing(f, x, y, 3.5f);
  c = Light(c, facing > 0 ? -0.45f * facing : -0.5f * facing);
  return c;
}

Col Sand(const Field& f, int32_t x, int32_t y) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  Col c = Light(Hex(0xD8BE86), 0.12f * (paint::Hash01(x, y, f.seed + 20) - 0.5f));
  const float h = paint::Hash01(x, y, f.seed + 21);
  if (h < 0.05f) c = Hex(0xA08A5C);
  if (h > 0.96f) c = Hex(0xF0E2C0);
  // Rake marks, and the bunker lip shading its upper-left side.
  c = Light(c, 0.04f * std::sin(fy * 1.1f + 3 * paint::Noise(fx / 30, fy / 30, f.seed + 22)));
  return Light(c, -0.3f * EdgeFacing(f, x, y, 3.0f));
}

Col Pad(const Field& f, int32_t x, int32_t y) {
  // A rubber mat, its dimples lit on their upper left, raised a little above the felt.
  Col c = Light(Hex(0x3E4C46), 0.06f * (paint::Hash01(x, y, f.seed + 30) - 0.5f));
  const int32_t cx = x & 3, cy = y & 3;
  if (cx == 1 && cy == 1) c = Light(c, 0.22f);
  if (cx == 2 && cy == 2) c = Light(c, -0.25f);
  return Light(c, 0.35f * EdgeFacing(f, x, y, 2.0f));
}

// A tunnel mouth: a dark opening under a stone lintel, deepening the way a ball goes in.
Col Mouth(const Field& f, int32_t x, int32_t y, uint8_t code) {
  const paint::Vec d = Direction8((code >> 3) & 7);
  float depth = 0, parts = 0;
  if (d.x != 0) depth += d.x > 0 ? RunPosition(f, x, y, true) : 1 - RunPosition(f, x, y, true), parts += 1;
  if (d.y != 0) depth += d.y > 0 ? RunPosition(f, x, y, false) : 1 - RunPosition(f, x, y, false), parts += 1;
  depth /= parts;
  // Daylight reaches a little way in; beyond that the tunnel is black.
  Col c = Mix(Hex(0x5A544C), Hex(0x040404), std::sqrt(paint::Clamp01(depth * 1.3f)));
  // Stone jambs along the opening's sides, lit on the upper-left one, with the drop into the dark inside them.
  const size_t i = Field::Index(x, y);
  int32_t side = 99;
  bool upperLeft = false;
  if (d.y == 0) {
    side = std::min(y - f.columnStart[i], f.columnStart[i] + f.columnLength[i] - 1 - y);
    upperLeft = y - f.columnStart[i] == side;
  } else if (d.x == 0) {
    side = std::min(x - f.rowStart[i], f.rowStart[i] + f.rowLength[i] - 1 - x);
    upperLeft = x - f.rowStart[i] == side;
  }
  if (side <= 2) {
    const paint::Cell s = paint::Cellular(static_cast<float>(x) / 3.5f, static_cast<float>(y) / 3.5f, f.seed + 97);
    c = Mix(Hex(0x7A7468), Hex(0xA8A292), paint::Hash01(static_cast<int32_t>(s.id), 4, f.seed));
    c = Light(c, (upperLeft ? 0.2f : -0.25f) + (side == 0 ? (upperLeft ? 0.2f : -0.1f) : 0));
    if (side == 2) c = Light(c, upperLeft ? -0.45f : -0.2f);
  }
  return c;
}

Col Bridge(const Field& f, int32_t x, int32_t y, uint8_t code) {
  // Planks laid across the way over, each its own shade, seams dark, the glide's ends a little paler.
  const bool alongRow = RunsAlongRow(f, x, y);
  const int32_t a = alongRow ? x : y, b = alongRow ? y : x;
  const int32_t plank = a / 5;
  Col c = Mix(Hex(0x8A5E34), Hex(0xB08050), paint::Hash01(plank, 0, f.seed + 40));
  c = Light(c, 0.08f * paint::Noise(static_cast<float>(a) * 0.8f, static_cast<float>(b) / 9, f.seed + 41));
  if (a % 5 == 0) c = Light(c, -0.45f);
  if (code == 24 || code == 25) c = Light(c, 0.12f);
  return Light(c, 0.25f * EdgeFacing(f, x, y, 1.5f));
}

// A glide pipe: a metal cylinder lit along its upper-left flank, with bands at its joints. Its walls are the
// same pipe's rims.
Col Pipe(const Field& f, int32_t x, int32_t y, bool wall) {
  auto inPipe = [&](int32_t qx, int32_t qy) {
    const uint8_t l = f.Look(qx, qy);
    return l == kPipe || l == kPipeWall;
  };
  int32_t w = 0, h = 0, left = x, top = y;
  while (inPipe(left - 1, y)) --left;
  while (inPipe(x + w, y)) ++w;
  while (inPipe(x, top - 1)) --top;
  while (inPipe(x, y + h)) ++h;
  const int32_t rowLength = x - left + w, columnLength = y - top + h;
  const bool alongRow = rowLength >= columnLength;
  const float t = alongRow ? (static_cast<float>(y - top) + 0.5f) / static_cast<float>(columnLength)
                           : (static_cast<float>(x - left) + 0.5f) / static_cast<float>(rowLength);
  Col c = Hex(0x8C96A4);
  c = Light(c, 0.35f * std::sin(kPi * t) - 0.3f + 0.35f * (0.5f - t));
  const int32_t along = alongRow ? x : y;
  if (along % 32 < 2) c = Light(c, along % 32 == 0 ? 0.2f : -0.25f);
  if (wall) c = Light(c, -0.12f);
  return c;
}

Col Bed(const Field& f, int32_t x, int32_t y, Col soil) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  const paint::Cell leaf = paint::Cellular(fx / 4, fy / 4, f.seed + 50);
  Col c = Light(soil, 0.1f * (paint::Hash01(x, y, f.seed + 51) - 0.5f));
  if (leaf.f1 < 0.45f) c = Light(Hex(0x3E7A32), 0.3f * (-(leaf.dx + leaf.dy)));
  const paint::Cell bloom = paint::Cellular(fx / 3, fy / 3, f.seed + 52);
  static constexpr Col kBlooms[] = {Hex(0xE84050), Hex(0xF4D040), Hex(0xF4F0F0), Hex(0xC060D0)};
  if (bloom.f1 < 0.26f) c = Light(kBlooms[bloom.id % 4], -0.3f * (bloom.dx + bloom.dy));
  return c;
}

// Lamps in a brass strip: red for the switch that turns the dishes over, blue for the one that sets them back.
Col Switch(const Field& f, int32_t x, int32_t y, bool on) {
  const bool alongRow = RunsAlongRow(f, x, y);
  const int32_t a = alongRow ? x : y;
  const float across = RunPosition(f, x, y, !alongRow);
  Col c = on ? Hex(0x9A2A20) : Hex(0x24408E);
  const int32_t phase = a % 8;
  if (phase >= 2 && phase <= 5 && std::fabs(across - 0.5f) < 0.3f)
    c = Light(on ? Hex(0xF05A3A) : Hex(0x5A8AF0), phase == 3 ? 0.35f : 0.1f);
  if (f.Edge(x, y) < 1.0f) c = Light(Hex(0xB89A50), 0.3f * EdgeFacing(f, x, y, 1.5f));
  return c;
}

Col Stripe(const Field& f, int32_t x, int32_t y, Col paint) {
  return Light(paint, 0.05f * (paint::Hash01(x, y, f.seed + 60) - 0.5f) + 0.15f * EdgeFacing(f, x, y, 1.5f));
}

Col Strength(const Field& f, int32_t x, int32_t y, uint8_t code) {
  if (code < 120 || code > 126) return Stripe(f, x, y, Hex(0xECECE4));
  return Stripe(f, x, y, Mix(Hex(0xE8D47A), Hex(0xC84A2A), static_cast<float>(code - 120) / 6));
}

Col Bumper(const Field& f, int32_t x, int32_t y) {
  Col c = ((x + y) / 5) % 2 ? Hex(0xC8302A) : Hex(0xE8E2DA);
  return Light(c, RaisedLight(f, x, y) * 0.6f);
}

Col Ice(const Field& f, int32_t x, int32_t y) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  Col c = Light(Hex(0xB4DCEA), 0.06f * paint::Noise(fx / 20, fy / 20, f.seed + 70));
  const float streak = (fx - fy) / 17 + 0.6f * paint::Noise(fx / 30, fy / 30, f.seed + 71);
  c = Light(c, 0.35f * SmoothStep(0.93f, 1.0f, std::cos(streak * 2 * kPi)));
  const paint::Cell crack = paint::Cellular(fx / 16, fy / 16, f.seed + 72);
  if (crack.f2 - crack.f1 < 0.03f) c = Light(c, 0.3f);
  return Light(c, -0.2f * EdgeFacing(f, x, y, 2.0f));
}

Col Chute(const Field& f, int32_t x, int32_t y) {
  // Wooden slats down a dark trough.
  const bool alongRow = RunsAlongRow(f, x, y);
  const int32_t across = alongRow ? y : x;
  Col c = Mix(Hex(0x6A4A2A), Hex(0xA87A48),
              0.5f + 0.5f * paint::Noise(static_cast<float>(x) / 3, static_cast<float>(y) / 3, f.seed));
  if (across % 4 == 0) c = Hex(0x2A1E12);
  return Light(c, -0.3f * EdgeFacing(f, x, y, 3.0f));
}

Col Teleport(const Field& f, int32_t x, int32_t y) {
  const size_t i = Field::Index(x, y);
  const float cx = f.rowStart[i] + f.rowLength[i] / 2.0f, cy = f.columnStart[i] + f.columnLength[i] / 2.0f;
  const float r = paint::Length(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
  Col c = Mix(Hex(0x6A3C8A), Hex(0xD6A8F0), 0.5f + 0.5f * std::cos(r * 1.3f));
  return Light(c, 0.3f * EdgeFacing(f, x, y, 1.5f) - 0.15f * SmoothStep(1.5f, 0, f.Edge(x, y)));
}

Col Outlet(const Field& f, int32_t x, int32_t y) {
  // An iron grating over a dark drain.
  const bool alongRow = RunsAlongRow(f, x, y);
  const int32_t a = alongRow ? x : y;
  Col c = Hex(0x1C1C22);
  if (a % 4 == 0) c = Hex(0x7C7C88);
  if (a % 4 == 1) c = Hex(0x50505A);
  if (f.Edge(x, y) < 1.0f) c = Light(Hex(0x6A6A74), 0.3f * EdgeFacing(f, x, y, 1.5f));
  return c;
}

Col Rock(const Field& f, int32_t x, int32_t y) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  const paint::Cell facet = paint::Cellular(fx / 5, fy / 5, f.seed + 80);
  Col c = Mix(Hex(0x7A7468), Hex(0x9C968A), paint::Hash01(static_cast<int32_t>(facet.id), 0, f.seed));
  if (paint::Noise(fx / 4, fy / 4, f.seed + 81) > 0.55f) c = Mix(c, Hex(0xA8A870), 0.5f);  // lichen
  const float dome = EdgeFacing(f, x, y, 7.0f);
  c = Light(c, 0.45f * dome + 0.2f * (-(facet.dx + facet.dy)) - 0.25f * SmoothStep(0.12f, 0, facet.f2 - facet.f1));
  return Light(c, 0.08f * (paint::Hash01(x, y, f.seed + 82) - 0.5f));
}

// ---- Walls ---------------------------------------------------------------------------------------------

enum class Material { Wood, Stone, Brick, Rubble };

// Coordinates along and across a wall, from the normal its map code carries.
void WallFrame(const HoleMap& m, int32_t x, int32_t y, float* along, float* across) {
  const uint8_t code = m.CodeAt(x, y);
  const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
  if ((code & 0xF8) == 0xA0) {
    const float nx = kWallNormals[code & 7][0], ny = kWallNormals[code & 7][1], len = paint::Length(nx, ny);
    *along = (-fx * ny + fy * nx) / len;
    *across = (fx * nx + fy * ny) / len;
  } else if ((code & 0xF8) == 0xA8) {
    const MapPt c = m.wall[8 + (code & 7)];
    const float vx = fx - static_cast<float>(c.x), vy = fy - static_cast<float>(c.y), r = paint::Length(vx, vy);
    *along = std::atan2(vy, vx) * std::max(r, 1.0f);
    *across = r;
  } else {
    *along = fx;
    *across = fy;
  }
}

Col WallTop(const Field& f, int32_t x, int32_t y, Material material) {
  float along, across;
  WallFrame(f.m, x, y, &along, &across);
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  switch (material) {
    case Material::Wood: {
      // Boards along the rail with their grain, butt joints and a nail each side of every joint.
      const float board = std::floor(along / 56);
      const float grain = paint::Noise(along / 16, across * 1.1f, f.seed + 90) +
                          0.5f * paint::Noise(along / 3, across * 2.3f, f.seed + 91);
      Col c = Mix(Hex(0x6A3E1E), Hex(0xA46C3A),
                  0.5f + 0.35f * grain + 0.3f * (paint::Hash01(static_cast<int32_t>(board), 0, f.seed) - 0.5f));
      const float joint = along - 56 * board;
      if (joint < 1.0f) c = Hex(0x3A2414);
      return c;
    }
    case Material::Stone: {
      const paint::Cell s = paint::Cellular(along / 6.0f, across / 4.0f, f.seed + 92);
      Col c = Mix(Hex(0x6C675E), Hex(0xA09A8A), paint::Hash01(static_cast<int32_t>(s.id), 1, f.seed));
      c = Light(c, 0.25f * (-(s.dx + s.dy)) + 0.06f * (paint::Hash01(x, y, f.seed + 93) - 0.5f));
      return Mix(c, Hex(0x3A362F), SmoothStep(0.16f, 0.03f, s.f2 - s.f1));
    }
    case Material::Brick: {
      // A coping of bricks laid across the wall's top.
      const float brick = std::floor(along / 4.5f), in = along - 4.5f * brick;
      if (in < 0.9f) return Hex(0xB8AE98);
      Col c = Mix(Hex(0x8E3A26), Hex(0xB45A3A), paint::Hash01(static_cast<int32_t>(brick), 2, f.seed));
      return Light(c, 0.08f * (paint::Hash01(x, y, f.seed + 94) - 0.5f));
    }
    case Material::Rubble: {
      const paint::Cell s = paint::Cellular(fx / 4.5f, fy / 4.5f, f.seed + 95);
      Col c = Mix(Hex(0x7C766A), Hex(0xA8A290), paint::Hash01(static_cast<int32_t>(s.id), 3, f.seed));
      if (paint::Noise(fx / 5, fy / 5, f.seed + 96) > 0.5f) c = Mix(c, Hex(0x8C9A5A), 0.4f);
      c = Light(c, 0.3f * (-(s.dx + s.dy)));
      return Mix(c, Hex(0x3C3A34), SmoothStep(0.2f, 0.02f, s.f2 - s.f1));
    }
  }
  return kFeltColour;
}

Material WallMaterial(const Field& f, int32_t x, int32_t y) {
  // Round a tunnel the wall is the tunnel's stonework, whatever the hole's border.
  if (f.mouthDistance[Field::Index(x, y)] <= 5 * 14) return Material::Stone;
  if (f.m.CodeAt(x, y) == 4) return Material::Rubble;
  switch (f.m.border) {
    case Border::Stone:
      return Material::Stone;
    case Border::Brick:
      return Material::Brick;
    case Border::Wood:
      break;
  }
  return Material::Wood;
}

Col Wall(const Field& f, int32_t x, int32_t y) {
  const Col top = WallTop(f, x, y, WallMaterial(f, x, y));
  // Rounded edges from the softened height: the upper-left one catches the light in a bright line.
  const float lit = RaisedLight(f, x, y);
  const float h = f.Height(x, y);
  const float gleam = lit > 0.25f && h < 0.95f ? 0.2f * SmoothStep(0.25f, 0.8f, lit) : 0;
  return Light(top, 0.5f * std::clamp(lit, -1.0f, 1.0f) + gleam);
}

// ---- The whole picture ---------------------------------------------------------------------------------

Col GroundColour(const Field& f, int32_t x, int32_t y) {
  const uint8_t code = f.m.CodeAt(x, y);
  switch (f.m.LookAt(x, y)) {
    case kFelt:
      return Felt(x, y, f.seed);
    case kWall:
      return Wall(f, x, y);
    case kRock:
      return Rock(f, x, y);
    case kPadMat:
      return Pad(f, x, y);
    case kCupHole:
      return Cup(f, x, y);
    case kFunnelLip: {
      const MapPt c = f.m.cup[code & 0x0F];
      return Dish(Felt(x, y, f.seed), x, y, c, 0.16f, 0, 15);
    }
    case kWaterLook:
      return Water(f, x, y);
    case kSand:
      return Sand(f, x, y);
    case kSlopeLook:
      return Slope(f, x, y, code);
    case kBowlLook:
      return Dish(Mix(Felt(x, y, f.seed), Hex(0x2A8A6A), 0.3f), x, y, f.m.centre[code & 0x0F], 0.2f, 9, 0);
    case kHumpLook:  // the same slopes, lit the other way: a mound
      return Dish(Mix(Felt(x, y, f.seed), Hex(0x2A8A6A), 0.3f), x, y, f.m.centre[code & 0x0F], -0.2f, 9, 0);
    case kSwitchOn:
      return Switch(f, x, y, true);
    case kSwitchOff:
      return Switch(f, x, y, false);
    case kStrength:
      return Strength(f, x, y, code);
    case kMouth:
      return Mouth(f, x, y, code);
    case kBridge:
      return Bridge(f, x, y, code);
    case kLaunchLook:
      return Stripe(f, x, y, Hex(0xF0822A));
    case kReturnLook:
      return Stripe(f, x, y, Hex(0xECD23C));
    case kBumper:
      return Bumper(f, x, y);
    case kIce:
      return Ice(f, x, y);
    case kChuteLook:
      return Chute(f, x, y);
    case kTeleportPad:
      return Teleport(f, x, y);
    case kOutlet:
      return Outlet(f, x, y);
    case kFlowers:
      return Bed(f, x, y, Hex(0x5E4430));
    case kBed:
      return Bed(f, x, y, Hex(0x4E6A30));
    case kPipe:
      return Pipe(f, x, y, false);
    case kPipeWall:
      return Pipe(f, x, y, true);
    case kGate:
      return Light(Hex(0xB8362C), 0.5f * RaisedLight(f, x, y));
    case kArrow:
      return Mix(Felt(x, y, f.seed), Hex(0xF2E6B8), 0.8f);
    default:
      return {255, 0, 255};
  }
}

}  // namespace

Bitmap DrawHolePicture(const HoleMap& m) {
  const Field f = Analyse(m);
  paint::Layer picture(kMapW, kMapH, {});
  PaintScenery(m, picture);
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kMapW; ++x) {
      const uint8_t look = m.LookAt(x, y);
      Col& c = picture.At(x, y);
      if (look != kVoid) c = Light(GroundColour(f, x, y), SoftLight(x, y, f.seed));
    }
  // Shadows fall on everything that is not itself raised: felt, water, scenery.
  for (int32_t y = 0; y < kMapH; ++y)
    for (int32_t x = 0; x < kMapW; ++x) {
      const size_t i = Field::Index(x, y);
      if (f.raised[i]) continue;
      const float shade =
          0.5f * static_cast<float>(f.shadow.value[i]) / 255 + 0.18f * static_cast<float>(f.contact.value[i]) / 255;
      picture.Darken(x, y, shade);
    }
  return paint::Dither565(picture);
}

// ---- The course sheet ------------------------------------------------------------------------------------

namespace {

// Digits 3 wide and 5 high, a row a byte, for the hole numbers on the sheet.
constexpr uint8_t kDigits[10][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
                                    {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
                                    {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};

void Label(std::vector<uint8_t>& rgb, int32_t width, int32_t left, int32_t top, int32_t number) {
  const std::string text = std::to_string(number);
  constexpr int32_t kScale = 2;
  for (size_t k = 0; k < text.size(); ++k)
    for (int32_t row = 0; row < 5; ++row)
      for (int32_t col = 0; col < 3; ++col) {
        if (!((kDigits[text[k] - '0'][row] >> (2 - col)) & 1)) continue;
        for (int32_t sy = 0; sy < kScale; ++sy)
          for (int32_t sx = 0; sx < kScale; ++sx) {
            const size_t at = (static_cast<size_t>(top + row * kScale + sy) * width + left +
                               static_cast<int32_t>(k) * 4 * kScale + col * kScale + sx) *
                              3;
            rgb[at] = rgb[at + 1] = rgb[at + 2] = 255;
          }
      }
}

}  // namespace

bool WriteCourseSheet(const std::vector<Bitmap>& pictures, const std::filesystem::path& png, std::string* error) {
  constexpr int32_t kScale = 3, kThumbW = kMapW / kScale, kThumbH = kFieldRows / kScale, kGap = 6, kLabelH = 14;
  constexpr int32_t kColumns = 6;
  if (pictures.empty()) {
    *error = "no hole pictures for the course sheet " + png.string();
    return false;
  }
  const int32_t count = static_cast<int32_t>(pictures.size()), columns = std::min(count, kColumns);
  const int32_t rows = (count + columns - 1) / columns;
  const int32_t width = kGap + columns * (kThumbW + kGap), height = kGap + rows * (kLabelH + kThumbH + kGap);
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 36);
  for (int32_t n = 0; n < count; ++n) {
    const Bitmap& p = pictures[static_cast<size_t>(n)];
    if (p.width != kMapW || p.height < kFieldRows) {
      *error = "hole picture " + std::to_string(n + 1) + " is not 640 x 480";
      return false;
    }
    const int32_t left = kGap + (n % columns) * (kThumbW + kGap),
                  top = kGap + (n / columns) * (kLabelH + kThumbH + kGap);
    Label(rgb, width, left, top + 2, n + 1);
    for (int32_t y = 0; y < kThumbH; ++y)
      for (int32_t x = 0; x < kThumbW; ++x) {
        uint32_t sum[3] = {0, 0, 0};
        for (int32_t sy = 0; sy < kScale; ++sy)
          for (int32_t sx = 0; sx < kScale; ++sx) {
            const uint32_t c = p.rgb[static_cast<size_t>(y * kScale + sy) * p.width + x * kScale + sx];
            sum[0] += (c >> 16) & 0xFF, sum[1] += (c >> 8) & 0xFF, sum[2] += c & 0xFF;
          }
        const size_t at = (static_cast<size_t>(top + kLabelH + y) * width + left + x) * 3;
        for (int32_t k = 0; k < 3; ++k) rgb[at + k] = static_cast<uint8_t>((sum[k] + 4) / 9);
      }
  }
  std::error_code ec;
  std::filesystem::create_directories(png.parent_path(), ec);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const int ok = png_image_write_to_file(&image, png.c_str(), 0, rgb.data(), width * 3, nullptr);
  png_image_free(&image);
  if (!ok) *error = "cannot write " + png.string();
  return ok != 0;
}
