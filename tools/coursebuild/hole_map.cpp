// The hole under construction: shapes, grown walls and their normals, and the bytes of the H2O map.
#include "tools/coursebuild/hole_map.h"

#include <cstdio>
#include <cstdlib>

#include "tools/coursebuild/raster.h"

namespace {

struct SceneryName {
  const char* name;
  SceneryKind kind;
};

constexpr SceneryName kSceneryNames[] = {
    {"heather", SceneryKind::Heather}, {"gorse", SceneryKind::Gorse},     {"bracken", SceneryKind::Bracken},
    {"pool", SceneryKind::Pool},       {"scree", SceneryKind::Scree},     {"brook", SceneryKind::Brook},
    {"track", SceneryKind::Track},     {"drystone", SceneryKind::DryStone}, {"tree", SceneryKind::Tree},
    {"rock", SceneryKind::Rock},       {"sheep", SceneryKind::Sheep},     {"mill", SceneryKind::Mill},
    {"bridge", SceneryKind::Bridge},   {"cottage", SceneryKind::Cottage}, {"flowers", SceneryKind::Flowers},
};

void PutI16(std::vector<uint8_t>& map, size_t at, int32_t v) {
  map[at] = static_cast<uint8_t>(v & 0xFF);
  map[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

// tan 22.5 degrees is about 0.414: within that of an axis the normal is straight, else diagonal.
int32_t NormalIndex(int32_t sx, int32_t sy) {
  const int64_t ax = std::abs(sx), ay = std::abs(sy);
  if (ax == 0 && ay == 0) return 0;  // deep inside a wall: no ball ever gets here
  if (ay * 1000 <= ax * 414) return sx > 0 ? 0 : 2;
  if (ax * 1000 <= ay * 414) return sy > 0 ? 1 : 3;
  for (int32_t n = 4; n < 8; ++n)
    if ((kWallNormals[n][0] > 0) == (sx > 0) && (kWallNormals[n][1] > 0) == (sy > 0)) return n;
  return 0;
}

}  // namespace

bool SceneryKindNamed(const std::string& name, SceneryKind* kind) {
  for (const SceneryName& s : kSceneryNames)
    if (name == s.name) {
      *kind = s.kind;
      return true;
    }
  return false;
}

bool IsSceneryArea(SceneryKind kind) {
  switch (kind) {
    case SceneryKind::Heather:
    case SceneryKind::Gorse:
    case SceneryKind::Bracken:
    case SceneryKind::Pool:
    case SceneryKind::Scree:
    case SceneryKind::Flowers:
      return true;
    default:
      return false;
  }
}

bool IsSceneryPath(SceneryKind kind) {
  return kind == SceneryKind::Brook || kind == SceneryKind::Track || kind == SceneryKind::DryStone;
}

bool IsGroundCode(uint8_t code) { return code != 0 && code != 4 && (code & 0xF0) != 0xA0; }

int32_t ISqrt(int64_t v) {
  if (v <= 0) return 0;
  int64_t r = 0;
  int64_t bit = int64_t{1} << 40;
  while (bit > v) bit >>= 2;
  while (bit) {
    if (v >= r + bit) {
      v -= r + bit;
      r = (r >> 1) + bit;
    } else {
      r >>= 1;
    }
    bit >>= 2;
  }
  return static_cast<int32_t>(r);
}

HoleMap::HoleMap() {
  for (int32_t n = 0; n < 8; ++n) wall[n] = {kWallNormals[n][0], kWallNormals[n][1]};
}

void HoleMap::Rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t c, uint8_t l) {
  Paint(
      x0, y0, x1, y1, [](int32_t, int32_t) { return true; }, c, l);
}

void HoleMap::Disc(int32_t cx, int32_t cy, int32_t r, uint8_t c, uint8_t l) {
  Paint(
      cx - r, cy - r, cx + r + 1, cy + r + 1,
      [=](int32_t x, int32_t y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }, c, l);
}

void HoleMap::Ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t c, uint8_t l) {
  Paint(
      cx - rx, cy - ry, cx + rx + 1, cy + ry + 1,
      [=](int32_t x, int32_t y) { return raster::InEllipse(x, y, cx, cy, rx, ry); }, c, l);
}

// Pixel centres inside the polygon (even-odd), in doubled coordinates so the centres are whole numbers.
void HoleMap::Polygon(std::span<const MapPt> p, uint8_t c, uint8_t l) {
  if (p.size() < 3) return;
  int32_t x0 = kMapW, y0 = kMapH, x1 = 0, y1 = 0;
  for (const MapPt& q : p)
    x0 = std::min(x0, q.x), y0 = std::min(y0, q.y), x1 = std::max(x1, q.x), y1 = std::max(y1, q.y);
  Paint(
      x0, y0, x1 + 1, y1 + 1,
      [&p](int32_t x, int32_t y) {
        const int64_t px = 2 * x + 1, py = 2 * y + 1;
        bool in = false;
        for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
          const int64_t xi = 2 * int64_t{p[i].x}, yi = 2 * int64_t{p[i].y}, xj = 2 * int64_t{p[j].x},
                        yj = 2 * int64_t{p[j].y};
          if ((yi > py) == (yj > py)) continue;
          // Is the centre left of where the edge crosses its row? Multiplied out, minding the sign.
          const int64_t lhs = (px - xi) * (yj - yi), rhs = (xj - xi) * (py - yi);
          if (yj > yi ? lhs < rhs : lhs > rhs) in = !in;
        }
        return in;
      },
      c, l);
}

void HoleMap::Cup(int32_t cx, int32_t cy, int32_t n, int32_t funnelRadius) {
  auto within = [&](int32_t r) {
    return [=, this](int32_t x, int32_t y) {
      return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r && IsGroundCode(CodeAt(x, y));
    };
  };
  Paint(cx - funnelRadius, cy - funnelRadius, cx + funnelRadius + 1, cy + funnelRadius + 1, within(funnelRadius),
        static_cast<uint8_t>(0x90 + n), kFunnelLip);
  constexpr int32_t kCupRadius = 4;
  Paint(cx - kCupRadius, cy - kCupRadius, cx + kCupRadius + 1, cy + kCupRadius + 1, within(kCupRadius), 2, kCupHole);
  cup[n] = {cx, cy};
}

void HoleMap::Walls(int32_t thickness) {
  std::vector<uint8_t> nearRow(kMapPixels, 0), near(kMapPixels, 0);
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kMapW; ++x) {
      if (!IsGroundCode(CodeAt(x, y))) continue;
      for (int32_t dx = -thickness; dx <= thickness; ++dx)
        if (x + dx >= 0 && x + dx < kMapW) nearRow[Index(x + dx, y)] = 1;
    }
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kMapW; ++x) {
      if (!nearRow[Index(x, y)]) continue;
      for (int32_t dy = -thickness; dy <= thickness; ++dy)
        if (y + dy >= 0 && y + dy < kFieldRows) near[Index(x, y + dy)] = 1;
    }
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kMapW; ++x)
      if (near[Index(x, y)] && CodeAt(x, y) == 0 && LookAt(x, y) == kVoid) Set(x, y, 0xA0, kWall);
  NormalWalls();
}

void HoleMap::NormalWalls() {
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kMapW; ++x) {
      if (LookAt(x, y) != kWall || fixedNormal[Index(x, y)]) continue;
      int32_t sx = 0, sy = 0;
      for (int32_t dy = -3; dy <= 3; ++dy)
        for (int32_t dx = -3; dx <= 3; ++dx) {
          const int32_t qx = x + dx, qy = y + dy;
          if (!OnField(qx, qy) || !IsGroundCode(CodeAt(qx, qy))) continue;
          const int32_t weight = 4 - std::max(std::abs(dx), std::abs(dy));  // the nearest ground counts most
          sx -= dx * weight * weight, sy -= dy * weight * weight;
        }
      code[Index(x, y)] = roughWalls ? 4 : static_cast<uint8_t>(0xA0 + FacingNormal(x, y, sx, sy));
    }
}

void HoleMap::CurveWallPixel(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t n) {
  const uint8_t c = CodeAt(x, y);
  const int64_t nx = kWallNormals[c & 7][0], ny = kWallNormals[c & 7][1], vx = x - cx, vy = y - cy;
  const int64_t dot = nx * vx + ny * vy;
  if (dot > 0 && 100 * dot * dot >= 41 * (nx * nx + ny * ny) * (vx * vx + vy * vy))
    code[Index(x, y)] = static_cast<uint8_t>(0xA8 + n);
}

// The normal for a wall pixel: of the eight, those that every ground pixel beside it (left, right, above,
// below) would run into, and of those the one nearest the sum of the directions from that ground, else
// (ground only at a corner, or beyond) nearest (sx, sy). So a flat edge faces its ground, the corner where
// a slanted edge meets a straight one takes the diagonal between them, and the tip of a thin rail faces the
// way it is met rather than the water behind it. Ground on opposite sides: plain rounding of (sx, sy).
int32_t HoleMap::FacingNormal(int32_t x, int32_t y, int32_t sx, int32_t sy) const {
  int32_t ax = 0, ay = 0;
  MapPt beside[4];
  int32_t besideCount = 0;
  for (const MapPt s : {MapPt{1, 0}, MapPt{-1, 0}, MapPt{0, 1}, MapPt{0, -1}}) {
    const int32_t qx = x - s.x, qy = y - s.y;
    if (OnField(qx, qy) && IsGroundCode(CodeAt(qx, qy))) {
      beside[besideCount++] = s;
      ax += s.x, ay += s.y;
    }
  }
  auto score = [](int32_t n, int64_t vx, int64_t vy) {
    // dot / |n| compared without roots: the sign, then dot squared over |n| squared.
    const int64_t dot = kWallNormals[n][0] * vx + kWallNormals[n][1] * vy;
    return (dot >= 0 ? 1 : -1) * dot * dot * (n < 4 ? 2 : 1);
  };
  int32_t best = -1;
  for (int32_t n = 0; n < 8; ++n) {
    bool faces = true;
    for (int32_t i = 0; i < besideCount; ++i)
      faces = faces && kWallNormals[n][0] * beside[i].x + kWallNormals[n][1] * beside[i].y > 0;
    if (!faces) continue;
    if (best < 0) {
      best = n;
      continue;
    }
    const int64_t a = score(n, ax, ay), b = score(best, ax, ay);
    if (a > b || (a == b && score(n, sx, sy) > score(best, sx, sy))) best = n;
  }
  return best >= 0 ? best : NormalIndex(sx, sy);
}

namespace {

enum class Seen { Nothing, Wall, Ground };

Seen LookSeen(uint8_t look) {
  if (look == kVoid) return Seen::Nothing;
  return look == kWall || look == kRock || look == kPipeWall ? Seen::Wall : Seen::Ground;
}

// Tunnel cells lie hidden under whatever is drawn: bends and ends under ground or walls alike.
Seen CodeSeen(uint8_t code) {
  if (code == 0) return Seen::Nothing;
  return code == 4 || (code & 0xF0) == 0xA0 ? Seen::Wall : Seen::Ground;
}

}  // namespace

std::vector<std::string> PictureMapDisagreements(const HoleMap& m, size_t most) {
  std::vector<std::string> found;
  for (int32_t y = 0; y < kFieldRows && found.size() < most; ++y)
    for (int32_t x = 0; x < kMapW && found.size() < most; ++x) {
      const uint8_t code = m.CodeAt(x, y);
      const Seen drawn = LookSeen(m.LookAt(x, y)), does = CodeSeen(code);
      if (drawn == does || (code >= 0xC0 && m.LookAt(x, y) != kMouth)) continue;
      static const char* const kSeen[] = {"nothing", "a wall", "ground"};
      char line[96];
      std::snprintf(line, sizeof line, "(%d, %d): drawn as %s, but the map holds %s (code 0x%02X)", x, y,
                    kSeen[static_cast<int>(drawn)], kSeen[static_cast<int>(does)], code);
      found.emplace_back(line);
    }
  return found;
}

std::vector<uint8_t> HoleMapBytes(const HoleMap& m, const std::array<uint8_t, 256>& rawOf) {
  std::vector<uint8_t> map(kMapPixels, 0);
  for (int32_t y = 0; y < kFieldRows; ++y)
    for (int32_t x = 0; x < kMapW; ++x)
      map[static_cast<size_t>(x) + static_cast<size_t>(kMapW) * (kMapH - 1 - y)] = rawOf[m.CodeAt(x, y)];
  for (int32_t code = 0; code < 256; ++code) map[rawOf[code]] = static_cast<uint8_t>(code);
  for (int32_t n = 0; n < 16; ++n) {
    PutI16(map, 640 + 4 * n, m.wall[n].x);
    PutI16(map, 640 + 4 * n + 2, m.wall[n].y);
    PutI16(map, 1280 + 4 * n, m.cup[n].x);
    PutI16(map, 1280 + 4 * n + 2, m.cup[n].y);
    PutI16(map, 1920 + 4 * n, m.centre[n].x);
    PutI16(map, 1920 + 4 * n + 2, m.centre[n].y);
  }
  PutI16(map, 1920 + 64, m.slopeStrength);
  return map;
}

std::vector<uint8_t> HoleMapBytes(const HoleMap& m) {
  std::array<uint8_t, 256> identity{};
  for (int32_t code = 0; code < 256; ++code) identity[code] = static_cast<uint8_t>(code);
  return HoleMapBytes(m, identity);
}
