// The moorland around a green. Every thing is drawn seen from straight above with the light from the top left:
// lit on its upper-left side, its shadow thrown down and to the right as far as it is tall.
#include "tools/coursebuild/scenery.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/coursebuild/raster.h"

using paint::Col;
using paint::Hex;
using paint::Layer;
using paint::Vec;

namespace {

constexpr float kPi = 3.14159265f;

// Calls fn(x, y, p) for every pixel of the box, clipped to the layer; p is the pixel's centre.
template <typename F>
void ForBox(const Layer& layer, float x0, float y0, float x1, float y1, F fn) {
  const int32_t ix0 = std::max(0, static_cast<int32_t>(std::floor(x0)));
  const int32_t iy0 = std::max(0, static_cast<int32_t>(std::floor(y0)));
  const int32_t ix1 = std::min(layer.width, static_cast<int32_t>(std::ceil(x1)) + 1);
  const int32_t iy1 = std::min(layer.height, static_cast<int32_t>(std::ceil(y1)) + 1);
  for (int32_t y = iy0; y < iy1; ++y)
    for (int32_t x = ix0; x < ix1; ++x) fn(x, y, Vec{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f});
}

// How lit a bump is whose centre lies (dx, dy) from the pixel, scaled by its radius: +1 on the upper left.
float BumpLight(float dx, float dy, float radius) { return -(dx + dy) / (1.41f * radius); }

// ---- The ground ----------------------------------------------------------------------------------------

struct Palette {
  Col grassLow, grassHigh;
};

// The village end of the course is lush and mown, the open moor olive and bleached; most holes lie between.
Palette GroundPalette(const HoleMap& m) {
  float moor = 0.5f;
  for (const SceneryItem& s : m.scenery) {
    switch (s.kind) {
      case SceneryKind::Scree:
      case SceneryKind::Heather:
        moor += 0.15f;
        break;
      case SceneryKind::Bracken:
      case SceneryKind::Gorse:
        moor += 0.05f;
        break;
      case SceneryKind::Cottage:
        moor -= 0.4f;
        break;
      case SceneryKind::Tree:
      case SceneryKind::Flowers:
        moor -= 0.05f;
        break;
      default:
        break;
    }
  }
  moor = paint::Clamp01(moor);
  return {paint::Mix(Hex(0x4E7A34), Hex(0x6C7438), moor), paint::Mix(Hex(0x7CA450), Hex(0x9E9C5C), moor)};
}

Col GroundAt(int32_t x, int32_t y, const Palette& pal, uint32_t seed) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  // Broad patches of lighter and darker grass, then tussocks lit on their upper left, then blades.
  Col c = paint::Mix(pal.grassLow, pal.grassHigh, 0.5f + 0.4f * paint::Fbm(fx / 90, fy / 90, seed));
  // Tussocks, each lit on its upper left with dark hollows between, some of them bleached.
  const float warp = 0.45f * paint::Noise(fx / 13, fy / 13, seed + 6);
  const paint::Cell t = paint::Cellular(fx / 8 + warp, fy / 8 - warp, seed + 3);
  const float mound = 1 - paint::SmoothStep(0.2f, 0.85f, t.f1);
  c = paint::Mix(c, Hex(0xB0A468), 0.3f * paint::Hash01(static_cast<int32_t>(t.id), 0, seed) * mound);
  c = paint::Light(c, 0.09f * BumpLight(t.dx, t.dy, 0.7f) * mound - 0.1f * (1 - mound));
  const float blade = paint::Noise(fx / 1.2f, fy / 3.2f, seed + 4);
  c = paint::Light(c, 0.08f * blade + 0.09f * (paint::Hash01(x, y, seed + 5) - 0.5f));
  return c;
}

// A few loose stones, dark tufts and small flowers in the grass, different on every hole.
void ScatterGround(Layer& layer, uint32_t seed) {
  raster::Lcg rng(seed ^ 0x5CA77E2u);
  static constexpr Col kFlowers[] = {Hex(0xF0D040), Hex(0xF4F0E0), Hex(0xA8709C)};
  for (int32_t i = 0; i < 160; ++i) {
    const int32_t x = rng.Range(0, 639), y = rng.Range(0, 479);
    const Col bloom = kFlowers[rng.Range(0, 2)];
    layer.Darken(x + 1, y + 1, 0.25f);
    layer.Blend(x, y, bloom, 0.9f);
    if (rng.Range(0, 2) == 0) layer.Blend(x + 1, y, paint::Light(bloom, -0.2f), 0.7f);
  }
  for (int32_t i = 0; i < 90; ++i) {
    const float cx = static_cast<float>(rng.Range(0, 639)), cy = static_cast<float>(rng.Range(0, 479));
    const bool stone = rng.Range(0, 3) == 0;
    const float r = stone ? 1.2f + static_cast<float>(rng.Range(0, 10)) / 10 : 2.0f;
    ForBox(layer, cx - r - 2, cy - r - 2, cx + r + 3, cy + r + 3, [&](int32_t x, int32_t y, Vec p) {
      const float d = paint::Length(p.x - cx, p.y - cy) - r;
      if (stone) {
        layer.Darken(x, y, 0.35f * paint::Cover(paint::Length(p.x - cx - 1, p.y - cy - 1) - r));
        const float lit = BumpLight(cx - p.x, cy - p.y, r + 0.5f);
        layer.Blend(x, y, paint::Light(Hex(0x9A968C), 0.3f * lit), paint::Cover(d));
      } else {
        const float blade = paint::Noise(p.x * 1.7f, p.y / 2, seed + static_cast<uint32_t>(i));
        layer.Darken(x, y, 0.22f * paint::Cover(d + 0.8f * blade));
      }
    });
  }
}

// ---- Areas ---------------------------------------------------------------------------------------------

std::vector<Vec> Points(const SceneryItem& s) {
  std::vector<Vec> out;
  for (const MapPt& p : s.points) out.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
  return out;
}

void Bounds(const std::vector<Vec>& pts, float grow, float* x0, float* y0, float* x1, float* y1) {
  *x0 = *y0 = 1e9f;
  *x1 = *y1 = -1e9f;
  for (const Vec& p : pts) {
    *x0 = std::min(*x0, p.x - grow), *y0 = std::min(*y0, p.y - grow);
    *x1 = std::max(*x1, p.x + grow), *y1 = std::max(*y1, p.y + grow);
  }
}

// The colour of an area's vegetation or stones at a pixel; `edge` is how far inside the area it lies.
Col AreaColour(SceneryKind kind, int32_t x, int32_t y, float edge, Col ground, uint32_t seed) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  switch (kind) {
    case SceneryKind::Heather: {
      const paint::Cell c = paint::Cellular(fx / 5, fy / 5, seed);
      const float lit = BumpLight(c.dx, c.dy, 0.6f), gap = paint::SmoothStep(0.35f, 0.7f, c.f1);
      Col col = paint::Mix(Hex(0x4A3440), Hex(0x7E4E72), 0.5f + 0.45f * paint::Noise(fx / 9, fy / 9, seed + 1));
      if (paint::Hash01(x, y, seed + 2) < 0.12f + 0.1f * lit) col = Hex(0xA8709C);
      if (paint::Hash01(x, y, seed + 3) < 0.14f) col = Hex(0x4E5632);  // green shoots between the bells
      return paint::Light(col, 0.2f * lit - 0.35f * gap);
    }
    case SceneryKind::Gorse: {
      const paint::Cell c = paint::Cellular(fx / 8, fy / 8, seed);
      const float lit = BumpLight(c.dx, c.dy, 0.6f), gap = paint::SmoothStep(0.4f, 0.75f, c.f1);
      Col col = paint::Mix(Hex(0x2E4A24), Hex(0x5E7A34), 0.5f + 0.5f * lit);
      const paint::Cell bloom = paint::Cellular(fx / 2.2f, fy / 2.2f, seed + 1);
      if (bloom.f1 < 0.3f && paint::Hash01(static_cast<int32_t>(bloom.id), 0, seed) < 0.55f + 0.3f * lit)
        col = paint::Light(Hex(0xE8C030), 0.25f * lit);
      if (paint::Hash01(x, y, seed + 2) < 0.15f) col = paint::Light(col, -0.3f);  // spines
      return paint::Light(col, 0.12f * lit - 0.45f * gap);
    }
    case SceneryKind::Bracken: {
      // Fronds in two layers over dark undergrowth, each a blade tapering both ways from its middle, its
      // leaflets slanting toward the tip off a darker stem, the side facing the top left lit.
      Col col = paint::Mix(Hex(0x26301A), Hex(0x3E3420), 0.5f + 0.5f * paint::Noise(fx / 12, fy / 12, seed + 3));
      const float rust = paint::SmoothStep(-0.4f, 0.6f, paint::Noise(fx / 40, fy / 40, seed + 2));
      for (uint32_t layer = 0; layer < 2; ++layer) {
        const paint::Cell c = paint::Cellular(fx / 8 + 0.5f * static_cast<float>(layer),
                                              fy / 8 + 0.37f * static_cast<float>(layer), seed + layer * 13);
        const float turn = static_cast<float>(c.id & 0xFF) / 256 * 2 * kPi, ct = std::cos(turn), st = std::sin(turn);
        const float u = c.dx * ct + c.dy * st, v = -c.dx * st + c.dy * ct;
        const float half = 0.24f * (1 - paint::SmoothStep(0.15f, 0.8f, std::fabs(u)));
        if (std::fabs(v) >= half) continue;
        const float tone = paint::Hash01(static_cast<int32_t>(c.id), 7, seed);
        Col frond = paint::Mix(Hex(0x567A2A), Hex(0xA8622C), paint::Clamp01(rust * (0.4f + 0.8f * tone)));
        const float facing = (v > 0 ? 1.0f : -1.0f) * (st - ct) / 1.41f;
        const float leaflet = std::sin(u * 70 - std::fabs(v) * 60);
        frond = paint::Light(frond, 0.18f * facing + 0.12f * leaflet - 0.25f * std::fabs(v) / half);
        if (std::fabs(v) < 0.03f) frond = paint::Light(frond, -0.25f);  // the stem
        col = frond;
      }
      return paint::Light(col, 0.06f * (paint::Hash01(x, y, seed + 1) - 0.5f));
    }
    case SceneryKind::Scree: {
      const paint::Cell c = paint::Cellular(fx / 4, fy / 4, seed);
      const float tone = paint::Hash01(static_cast<int32_t>(c.id), 1, seed);
      Col stone = paint::Mix(Hex(0x8C867C), Hex(0xC2BCB0), tone);
      stone = paint::Light(stone, 0.3f * BumpLight(c.dx, c.dy, 0.5f));
      const float gap = paint::SmoothStep(0.18f, 0.0f, c.f2 - c.f1);
      // Thinner toward the edge of the slide, where grass shows between the stones.
      const float grass = paint::SmoothStep(6.0f, 0.0f, edge) * (paint::Hash01(static_cast<int32_t>(c.id), 2, seed));
      return paint::Mix(paint::Mix(stone, Hex(0x4E4A44), gap), ground, grass);
    }
    case SceneryKind::Flowers: {
      const paint::Cell c = paint::Cellular(fx / 3.5f, fy / 3.5f, seed);
      static constexpr Col kBlooms[] = {Hex(0xF4F0E4), Hex(0xF0D040), Hex(0xE87AA4), Hex(0x8A8AE0), Hex(0xF4F4F4)};
      // Drifts of flowers in lush grass, thicker in some places than others and thinning out at the edge.
      const float drift = (0.3f + 0.35f * paint::Noise(fx / 25, fy / 25, seed + 4)) * paint::SmoothStep(0, 8, edge);
      const bool bloom = paint::Hash01(static_cast<int32_t>(c.id), 3, seed) < drift;
      const Col lush = paint::Mix(ground, Hex(0x4E8A34), 0.3f);
      if (bloom && c.f1 < 0.26f) {
        const Col petal = kBlooms[c.id % 5];
        if (c.f1 < 0.09f) return Hex(0xD8A020);  // the eye
        return paint::Light(petal, 0.25f * BumpLight(c.dx, c.dy, 0.26f));
      }
      // Each bloom's shadow falls to its lower right.
      if (bloom && c.f1 < 0.4f && c.dx > 0 && c.dy > 0) return paint::Light(lush, -0.3f);
      return lush;
    }
    default:
      return ground;
  }
}

// Moorland water; on a hole whose green has ice on it the weather has frozen it too, so it is drawn as the
// same pale ice, cracked, with the bank's shadow and a rime of frost at its margin.
void PaintPool(Layer& layer, const std::vector<Vec>& poly, bool frozen, uint32_t seed) {
  float x0, y0, x1, y1;
  Bounds(poly, 6, &x0, &y0, &x1, &y1);
  ForBox(layer, x0, y0, x1, y1, [&](int32_t x, int32_t y, Vec p) {
    const float wobble = 2.0f * paint::Noise(p.x / 7, p.y / 7, seed);
    const float d = paint::PolygonDistance(p, poly) + wobble;
    // Rushes and a peaty margin round the water.
    if (d > -1 && d < 4) {
      const bool rush = paint::Hash01(x, y / 3, seed + 1) < 0.35f && paint::Noise(p.x / 4, p.y / 4, seed + 2) > -0.1f;
      if (rush) layer.Blend(x, y, Hex(0x3E5A2A), 0.8f * paint::SmoothStep(4, 1, d));
      layer.Blend(x, y, Hex(0x4A3E2E), paint::Cover(std::fabs(d) - 1.2f) * 0.9f);
    }
    if (d >= 0) return;
    const float depth = paint::SmoothStep(0, 14, -d);
    const float upLeft = paint::PolygonDistance({p.x - 3, p.y - 3}, poly) + wobble;
    if (frozen) {
      Col ice = paint::Mix(Hex(0xDCEEF4), Hex(0xA8D0E0), depth);
      ice = paint::Light(ice, 0.06f * paint::Noise(p.x / 12, p.y / 12, seed + 3));
      const paint::Cell crack = paint::Cellular(p.x / 14, p.y / 14, seed + 4);
      if (crack.f2 - crack.f1 < 0.04f) ice = paint::Light(ice, -0.18f);
      if (upLeft > 0) ice = paint::Light(ice, -0.2f);
      return layer.Blend(x, y, ice, paint::Cover(d + 1.2f));
    }
    Col water = paint::Mix(Hex(0x566E6A), Hex(0x24384A), depth);
    // Sky in the still water, a few glints, and the bank's shadow on its upper-left side.
    water = paint::Light(water, 0.18f * paint::SmoothStep(0.35f, 0.9f, paint::Noise(p.x / 30, p.y / 5, seed + 3)));
    if (paint::Noise(p.x / 5, p.y / 1.2f, seed + 4) > 0.78f) water = paint::Light(water, 0.45f);
    if (upLeft > 0) water = paint::Light(water, -0.35f);
    layer.Blend(x, y, water, paint::Cover(d + 1.2f));
  });
}

void PaintArea(Layer& layer, const SceneryItem& s, const Palette& pal, bool frozen, uint32_t seed) {
  const std::vector<Vec> poly = Points(s);
  if (poly.size() < 3) return;
  if (s.kind == SceneryKind::Pool) return PaintPool(layer, poly, frozen, seed);
  float x0, y0, x1, y1;
  Bounds(poly, 5, &x0, &y0, &x1, &y1);
  const bool tall = s.kind == SceneryKind::Gorse || s.kind == SceneryKind::Bracken || s.kind == SceneryKind::Heather;
  ForBox(layer, x0, y0, x1, y1, [&](int32_t x, int32_t y, Vec p) {
    const float d = paint::PolygonDistance(p, poly) + 3.0f * paint::Noise(p.x / 9, p.y / 9, seed + 7);
    // Bushes throw a short shadow out of the area's lower-right edge.
    if (tall && d > -0.5f) {
      const float behind = paint::PolygonDistance({p.x - 2.5f, p.y - 2.5f}, poly) +
                           3.0f * paint::Noise((p.x - 2.5f) / 9, (p.y - 2.5f) / 9, seed + 7);
      layer.Darken(x, y, 0.3f * paint::Cover(behind));
    }
    const float cover = paint::Cover(d);
    if (cover <= 0) return;
    const Col ground = GroundAt(x, y, pal, seed);
    layer.Blend(x, y, AreaColour(s.kind, x, y, -d, ground, seed + static_cast<uint32_t>(s.kind) * 31), cover);
  });
}

// ---- Paths ---------------------------------------------------------------------------------------------

struct PathPoint {
  float distance = 1e9f;  // from the line
  float along = 0;        // length along the line to the nearest point
  float side = 0;         // which side: -1 or +1
};

PathPoint NearestOnPath(const std::vector<Vec>& line, Vec p) {
  PathPoint best;
  float start = 0;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    float t = 0;
    const float d = paint::SegmentDistance(p, line[i], line[i + 1], &t);
    const float len = paint::Length(line[i + 1].x - line[i].x, line[i + 1].y - line[i].y);
    if (d < best.distance) {
      const float cross =
          (line[i + 1].x - line[i].x) * (p.y - line[i].y) - (line[i + 1].y - line[i].y) * (p.x - line[i].x);
      best = {d, start + t * len, cross >= 0 ? 1.0f : -1.0f};
    }
    start += len;
  }
  return best;
}

void PaintBrook(Layer& layer, const std::vector<Vec>& line, float half, uint32_t seed) {
  float x0, y0, x1, y1;
  Bounds(line, half + 5, &x0, &y0, &x1, &y1);
  ForBox(layer, x0, y0, x1, y1, [&](int32_t x, int32_t y, Vec p) {
    const float wobble = 1.2f * paint::Noise(p.x / 6, p.y / 6, seed);
    const PathPoint q = NearestOnPath(line, p);
    const float d = q.distance + wobble;
    // Banks of wet earth and pebbles.
    if (d < half + 3) {
      const paint::Cell c = paint::Cellular(p.x / 2.2f, p.y / 2.2f, seed + 1);
      Col bank = paint::Mix(Hex(0x5C4A34), Hex(0x8C8472), paint::Hash01(static_cast<int32_t>(c.id), 0, seed));
      bank = paint::Light(bank, 0.25f * BumpLight(c.dx, c.dy, 0.5f) - 0.3f * paint::SmoothStep(0.3f, 0.6f, c.f1));
      layer.Blend(x, y, bank, paint::Cover(d - half - 2.5f));
    }
    if (d >= half) return;
    const float across = d / half;
    Col water = paint::Mix(Hex(0x3C6E80), Hex(0x56889A), across);
    // Ripples drawn out along the flow, brighter where the water breaks.
    const float ripple = paint::Noise(q.along / 7, q.side * d / 1.6f, seed + 2);
    water = paint::Light(
        water, 0.35f * paint::SmoothStep(0.45f, 0.85f, ripple) - 0.1f * paint::SmoothStep(-0.3f, -0.8f, ripple));
    if (paint::Hash01(x, y, seed + 3) < 0.02f) water = paint::Light(water, 0.6f);
    // The bank shades the water on its upper-left side.
    const PathPoint up = NearestOnPath(line, {p.x - 2, p.y - 2});
    if (up.distance + wobble > half) water = paint::Light(water, -0.3f);
    layer.Blend(x, y, water, paint::Cover(d - half + 0.5f));
  });
}

void PaintTrack(Layer& layer, const std::vector<Vec>& line, float half, uint32_t seed) {
  float x0, y0, x1, y1;
  Bounds(line, half + 4, &x0, &y0, &x1, &y1);
  ForBox(layer, x0, y0, x1, y1, [&](int32_t x, int32_t y, Vec p) {
    const PathPoint q = NearestOnPath(line, p);
    const float d = q.distance + 1.8f * paint::Noise(p.x / 5, p.y / 5, seed);
    const float cover = paint::Cover(d - half) * (0.75f + 0.25f * paint::SmoothStep(half, half * 0.6f, d));
    if (cover <= 0) return;
    Col earth = paint::Mix(Hex(0xA08458), Hex(0xC4A878), 0.5f + 0.5f * paint::Noise(p.x / 11, p.y / 11, seed + 1));
    // Two worn ruts, and grass left standing between them on a wide track.
    const float rut = paint::SmoothStep(1.6f, 0.2f, std::fabs(q.distance - half * 0.5f));
    earth = paint::Light(earth, -0.1f * rut + 0.12f * (paint::Hash01(x, y, seed + 2) - 0.5f));
    if (paint::Hash01(x, y, seed + 3) < 0.05f) earth = Hex(0xC8BCA4);  // grit
    if (half >= 5) earth = paint::Mix(earth, Hex(0x6E8A40), 0.7f * paint::SmoothStep(half * 0.3f, half * 0.1f, d));
    layer.Blend(x, y, earth, cover);
  });
}

void PaintDryStone(Layer& layer, const std::vector<Vec>& line, float half, uint32_t seed) {
  float x0, y0, x1, y1;
  Bounds(line, half + 6, &x0, &y0, &x1, &y1);
  // Its shadow first, everywhere, then the stones over it.
  ForBox(layer, x0, y0, x1, y1, [&](int32_t x, int32_t y, Vec p) {
    layer.Darken(x, y, 0.4f * paint::Cover(NearestOnPath(line, {p.x - 3, p.y - 3}).distance - half));
  });
  ForBox(layer, x0, y0, x1, y1, [&](int32_t x, int32_t y, Vec p) {
    const PathPoint q = NearestOnPath(line, p);
    const float cover = paint::Cover(q.distance - half);
    if (cover <= 0) return;
    const paint::Cell c = paint::Cellular(q.along / 3.6f, q.side * q.distance / 2.6f + 0.5f, seed);
    Col stone = paint::Mix(Hex(0x7E7A70), Hex(0xB4AE9E), paint::Hash01(static_cast<int32_t>(c.id), 0, seed));
    if (paint::Noise(p.x / 6, p.y / 6, seed + 1) > 0.35f) stone = paint::Mix(stone, Hex(0x7A8A4A), 0.45f);  // moss
    // Each stone lit on its upper left, the wall's top catching more light than its lower-right face.
    const float top = paint::SmoothStep(half, 0, q.distance) * 0.5f;
    stone = paint::Light(stone, 0.25f * BumpLight(c.dx, c.dy, 0.5f) + 0.1f * top);
    stone = paint::Mix(stone, Hex(0x2E2C28), paint::SmoothStep(0.16f, 0.0f, c.f2 - c.f1));
    layer.Blend(x, y, stone, cover);
  });
}

// ---- Things --------------------------------------------------------------------------------------------

void PaintTree(Layer& layer, Vec c, float r, uint32_t seed) {
  raster::Lcg rng(seed);
  struct Lobe {
    Vec at;
    float r;
  };
  std::vector<Lobe> lobes{{c, r * 0.62f}};
  const int32_t count = 6 + rng.Range(0, 3);
  for (int32_t i = 0; i < count; ++i) {
    const float turn =
        2 * kPi * (static_cast<float>(i) + static_cast<float>(rng.Range(0, 60)) / 100) / static_cast<float>(count);
    const float out = r * (0.38f + static_cast<float>(rng.Range(0, 15)) / 100);
    lobes.push_back({{c.x + out * std::cos(turn), c.y + out * std::sin(turn)},
                     r * (0.42f + static_cast<float>(rng.Range(0, 18)) / 100)});
  }
  auto crown = [&](Vec p, const Lobe** nearest) {
    float d = 1e9f;
    for (const Lobe& l : lobes) {
      const float e = paint::Length(p.x - l.at.x, p.y - l.at.y) - l.r;
      if (e < d) d = e, *nearest = &l;
    }
    return d + 1.2f * paint::Noise(p.x / 2.5f, p.y / 2.5f, seed);
  };
  const float reach = r * 1.25f + 4;
  ForBox(layer, c.x - reach, c.y - reach, c.x + reach + r * 0.6f, c.y + reach + r * 0.6f,
         [&](int32_t x, int32_t y, Vec p) {
           const Lobe* l = nullptr;
           layer.Darken(x, y, 0.45f * paint::Cover(crown({p.x - r * 0.55f, p.y - r * 0.6f}, &l) - 1));
         });
  ForBox(layer, c.x - reach, c.y - reach, c.x + reach, c.y + reach, [&](int32_t x, int32_t y, Vec p) {
    const Lobe* l = nullptr;
    const float d = crown(p, &l);
    const float cover = paint::Cover(d);
    if (cover <= 0) return;
    const paint::Cell leaf = paint::Cellular(p.x / 3, p.y / 3, seed + 1);
    const float lit = 0.45f * BumpLight(c.x - p.x, c.y - p.y, r) +
                      0.35f * BumpLight(l->at.x - p.x, l->at.y - p.y, l->r) + 0.3f * BumpLight(leaf.dx, leaf.dy, 0.6f) -
                      0.4f * paint::SmoothStep(0.45f, 0.8f, leaf.f1);
    Col col = lit < 0 ? paint::Mix(Hex(0x3E6630), Hex(0x1C3218), -lit) : paint::Mix(Hex(0x3E6630), Hex(0x8EAA58), lit);
    col = paint::Light(col, -0.3f * paint::SmoothStep(-2.0f, 0.0f, d));  // the crown's rim
    layer.Blend(x, y, col, cover);
  });
}

void PaintRock(Layer& layer, Vec c, float r, uint32_t seed) {
  auto shape = [&](Vec p) {
    const float dx = p.x - c.x, dy = p.y - c.y, len = paint::Length(dx, dy) + 1e-3f;
    return len - r * (1 + 0.22f * paint::Noise(2 + 1.6f * dx / len, 2 + 1.6f * dy / len, seed));
  };
  const float reach = r * 1.3f + 3;
  ForBox(layer, c.x - reach, c.y - reach, c.x + reach + r * 0.5f, c.y + reach + r * 0.5f,
         [&](int32_t x, int32_t y, Vec p) {
           layer.Darken(x, y, 0.45f * paint::Cover(shape({p.x - r * 0.45f, p.y - r * 0.45f})));
         });
  ForBox(layer, c.x - reach, c.y - reach, c.x + reach, c.y + reach, [&](int32_t x, int32_t y, Vec p) {
    const float d = shape(p), cover = paint::Cover(d);
    if (cover <= 0) return;
    const paint::Cell facet = paint::Cellular(p.x / 4, p.y / 4, seed + 1);
    const float lit = 0.7f * BumpLight(c.x - p.x, c.y - p.y, r) + 0.2f * BumpLight(facet.dx, facet.dy, 0.6f);
    Col col = paint::Light(Hex(0x8E8A80), 0.4f * lit);
    if (paint::Noise(p.x / 3, p.y / 3, seed + 2) > 0.5f) col = paint::Mix(col, Hex(0xB4B478), 0.5f);  // lichen
    col = paint::Light(col, 0.08f * (paint::Hash01(x, y, seed) - 0.5f) - 0.25f * paint::SmoothStep(-1.5f, 0, d));
    layer.Blend(x, y, col, cover);
  });
}

void PaintSheep(Layer& layer, Vec c, bool west, uint32_t seed) {
  const float face = west ? -1.0f : 1.0f;
  auto body = [&](Vec p) {
    const float dx = (p.x - c.x) / 6.5f, dy = (p.y - c.y) / 4.6f;
    return (paint::Length(dx, dy) - 1) * 4.6f;
  };
  const Vec head{c.x + face * 7.2f, c.y};
  ForBox(layer, c.x - 11, c.y - 7, c.x + 13, c.y + 10, [&](int32_t x, int32_t y, Vec p) {
    const Vec s{p.x - 2, p.y - 2.5f};
    const float shadow = std::min(body(s), paint::Length(s.x - head.x, (s.y - head.y) * 1.2f) - 2.4f);
    layer.Darken(x, y, 0.4f * paint::Cover(shadow));
    const float d = body(p);
    if (paint::Cover(d) > 0) {
      const paint::Cell curl = paint::Cellular(p.x / 1.6f, p.y / 1.6f, seed);
      const float lit = 0.5f * BumpLight(c.x - p.x, c.y - p.y, 6) + 0.3f * BumpLight(curl.dx, curl.dy, 0.6f);
      layer.Blend(x, y, paint::Light(Hex(0xDCD6C4), 0.35f * lit - 0.1f * paint::SmoothStep(-1.5f, 0, d)),
                  paint::Cover(d));
    }
    const float h = paint::Length(p.x - head.x, (p.y - head.y) * 1.2f) - 2.4f;
    const float ear = std::min(paint::Length(p.x - head.x + face * 1.6f, p.y - head.y - 2.6f),
                               paint::Length(p.x - head.x + face * 1.6f, p.y - head.y + 2.6f)) -
                      1.1f;
    const float dark = std::min(h, ear);
    if (paint::Cover(dark) > 0)
      layer.Blend(x, y, paint::Light(Hex(0x2E2A28), 0.4f * BumpLight(head.x - p.x, head.y - p.y, 2.4f)),
                  paint::Cover(dark));
  });
}

// Distance to a rectangle centred at c with half sizes (hw, hh) and rounded corners of radius rr.
float BoxDistance(Vec p, Vec c, float hw, float hh, float rr) {
  const float qx = std::fabs(p.x - c.x) - hw + rr, qy = std::fabs(p.y - c.y) - hh + rr;
  return paint::Length(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - rr;
}

void PaintMill(Layer& layer, Vec c, float w, uint32_t seed) {
  const float R = w / 2, sail = w * 0.95f, half = std::max(2.5f, w * 0.09f);
  const float start = 0.45f + static_cast<float>(seed % 40) / 100;
  auto sails = [&](Vec p, float* u, float* v) {
    float best = 1e9f;
    for (int32_t k = 0; k < 4; ++k) {
      const float a = start + static_cast<float>(k) * kPi / 2, ca = std::cos(a), sa = std::sin(a);
      const float pu = (p.x - c.x) * ca + (p.y - c.y) * sa, pv = -(p.x - c.x) * sa + (p.y - c.y) * ca;
      // The sail cloth on one side of its stock, from a little out of the cap to the tip.
      const float d = BoxDistance({pu, pv}, {(sail + R * 0.3f) / 2, half}, (sail - R * 0.3f) / 2, half, 0.5f);
      if (d < best) best = d, *u = pu, *v = pv;
    }
    return best;
  };
  const float reach = sail + 8;
  ForBox(layer, c.x - reach, c.y - reach, c.x + reach + 8, c.y + reach + 8, [&](int32_t x, int32_t y, Vec p) {
    float u = 0, v = 0;
    const Vec s{p.x - R * 0.7f, p.y - R * 0.7f};
    layer.Darken(x, y, 0.45f * paint::Cover(paint::Length(s.x - c.x, s.y - c.y) - R));
    layer.Darken(x, y, 0.3f * paint::Cover(sails({p.x - R, p.y - R}, &u, &v)));
  });
  ForBox(layer, c.x - reach, c.y - reach, c.x + reach, c.y + reach, [&](int32_t x, int32_t y, Vec p) {
    const float dx = p.x - c.x, dy = p.y - c.y, dist = paint::Length(dx, dy);
    const float roof = dist - R;
    if (paint::Cover(roof) > 0) {
      // A conical thatch: lit on the upper-left flank, its courses running round.
      const float lit = dist > 0.5f ? -(dx + dy) / (1.41f * dist) : 0;
      Col col = paint::Light(Hex(0x8C7650), 0.35f * lit * paint::SmoothStep(0, R * 0.4f, dist));
      col = paint::Light(col, 0.1f * std::sin(dist * 2.2f) + 0.08f * (paint::Hash01(x, y, seed) - 0.5f));
      if (dist < R * 0.22f) col = paint::Light(Hex(0x6A5E50), 0.3f * lit);  // the cap
      layer.Blend(x, y, paint::Light(col, -0.3f * paint::SmoothStep(-1.5f, 0, roof)), paint::Cover(roof));
    }
    float u = 0, v = 0;
    const float d = sails(p, &u, &v);
    if (paint::Cover(d) > 0) {
      const bool lattice = std::fmod(u, 4.0f) < 1.0f || std::fabs(v - half) > half - 0.9f;
      layer.Blend(x, y, lattice ? Hex(0x5A4632) : Hex(0xE0D6C0), paint::Cover(d));
    }
    // The stock each sail hangs from.
    if (dist < sail && dist > R * 0.2f && u > 0) layer.Blend(x, y, Hex(0x4A3A2A), paint::Cover(std::fabs(v) - 0.8f));
  });
}

void PaintBridge(Layer& layer, Vec c, float length, uint32_t seed) {
  const float hw = length / 2, hh = 10;
  ForBox(layer, c.x - hw - 2, c.y - hh - 2, c.x + hw + 8, c.y + hh + 8, [&](int32_t x, int32_t y, Vec p) {
    layer.Darken(x, y, 0.45f * paint::Cover(BoxDistance({p.x - 3, p.y - 4}, c, hw, hh, 3)));
  });
  ForBox(layer, c.x - hw - 2, c.y - hh - 2, c.x + hw + 2, c.y + hh + 2, [&](int32_t x, int32_t y, Vec p) {
    const float d = BoxDistance(p, c, hw, hh, 3);
    if (paint::Cover(d) <= 0) return;
    const float fromEdge = -(std::fabs(p.y - c.y) - hh);  // parapets run along both long sides
    Col col;
    if (fromEdge < 3.5f) {
      const float block = std::floor((p.x - c.x + hw) / 6 + (p.y < c.y ? 0 : 0.5f));
      col = paint::Mix(Hex(0x8A8478), Hex(0xAEA696), paint::Hash01(static_cast<int32_t>(block), p.y < c.y, seed));
      // The parapet's top: lit on its upper edge, shaded on its lower one.
      col = paint::Light(col, p.y < c.y ? 0.25f * paint::SmoothStep(2.5f, 0.5f, fromEdge)
                                        : -0.25f * paint::SmoothStep(1.5f, 3.5f, fromEdge));
      if (std::fmod(p.x - c.x + hw + (p.y < c.y ? 0 : 3), 6.0f) < 0.9f) col = paint::Light(col, -0.35f);
    } else {
      const paint::Cell f = paint::Cellular(p.x / 5, p.y / 4, seed + 1);
      col = paint::Mix(Hex(0x7C7466), Hex(0x9C9482), paint::Hash01(static_cast<int32_t>(f.id), 0, seed));
      col = paint::Mix(col, Hex(0x4A463E), paint::SmoothStep(0.14f, 0, f.f2 - f.f1));
      if (p.y < c.y - hh + 5.5f) col = paint::Light(col, -0.25f);  // under the upper parapet's shadow
    }
    layer.Blend(x, y, paint::Light(col, -0.3f * paint::SmoothStep(-1.2f, 0, d)), paint::Cover(d));
  });
}

void PaintCottage(Layer& layer, Vec c, float w, uint32_t seed) {
  const float hw = w / 2, hh = std::max(7.0f, w * 0.3f);
  const Vec chimney{c.x + hw * 0.62f, c.y};
  const float cw = std::max(3.0f, w * 0.05f), ch = std::max(2.5f, w * 0.04f);  // the stack's half sizes
  ForBox(layer, c.x - hw - 2, c.y - hh - 2, c.x + hw + 10, c.y + hh + 10, [&](int32_t x, int32_t y, Vec p) {
    layer.Darken(x, y, 0.5f * paint::Cover(BoxDistance({p.x - 6, p.y - 6}, c, hw, hh, 1)));
  });
  ForBox(layer, c.x - hw - 2, c.y - hh - 2, c.x + hw + 2, c.y + hh + 2, [&](int32_t x, int32_t y, Vec p) {
    const float d = BoxDistance(p, c, hw, hh, 1);
    if (paint::Cover(d) <= 0) return;
    // Slates in courses along the ridge; the north slope faces the light, the south one turns away.
    const bool north = p.y < c.y;
    const float row = std::floor((north ? c.y - p.y : p.y - c.y) / 3);
    const float slate = std::floor((p.x - c.x + hw) / 5 + 0.5f * std::fmod(row, 2.0f));
    Col col = paint::Mix(Hex(0x545A66), Hex(0x6E7480),
                         paint::Hash01(static_cast<int32_t>(slate), static_cast<int32_t>(row) * 2 + north, seed));
    if (paint::Noise(p.x / 5, p.y / 5, seed + 1) > 0.55f) col = paint::Mix(col, Hex(0x6E7A40), 0.4f);  // moss
    col = paint::Light(col, north ? 0.18f : -0.22f);
    if (std::fmod(std::fabs(p.y - c.y), 3.0f) < 0.8f) col = paint::Light(col, -0.25f);
    if (std::fabs(p.y - c.y) < 1.2f) col = Hex(0x9A9282);  // ridge tiles
    layer.Blend(x, y, paint::Light(col, -0.3f * paint::SmoothStep(-1.2f, 0, d)), paint::Cover(d));
    // The chimney stack and the shadow it throws on the roof.
    layer.Darken(x, y, 0.35f * paint::Cover(BoxDistance({p.x - 3, p.y - 3}, chimney, cw, ch, 0)));
    const float stack = BoxDistance(p, chimney, cw, ch, 0);
    if (paint::Cover(stack) > 0) {
      Col s = paint::Light(Hex(0x9A8E7C), 0.25f * BumpLight(chimney.x - p.x, chimney.y - p.y, cw));
      if (BoxDistance(p, {chimney.x + 0.5f, chimney.y}, cw * 0.4f, ch * 0.4f, 0) < 0) s = Hex(0x2A2622);
      layer.Blend(x, y, s, paint::Cover(stack));
    }
  });
}

Vec PointOf(const SceneryItem& s) {
  return s.points.empty() ? Vec{} : Vec{static_cast<float>(s.points[0].x), static_cast<float>(s.points[0].y)};
}

// Low things first, tall ones last, so a crown is never under a sheep.
int32_t DrawOrder(SceneryKind k) {
  switch (k) {
    case SceneryKind::Track:
      return 1;
    case SceneryKind::Brook:
      return 2;
    case SceneryKind::Bridge:
      return 3;
    case SceneryKind::DryStone:
      return 4;
    case SceneryKind::Rock:
    case SceneryKind::Sheep:
      return 5;
    case SceneryKind::Cottage:
    case SceneryKind::Mill:
      return 6;
    case SceneryKind::Tree:
      return 7;
    default:
      return 0;  // areas
  }
}

}  // namespace

uint32_t HoleSeed(const HoleMap& m) {
  uint32_t h = 0x9E3779B9u;
  for (const MapPt& p : m.cup) h = raster::Hash(h ^ static_cast<uint32_t>(p.x * 1000 + p.y));
  return h;
}

void PaintScenery(const HoleMap& m, Layer& layer) {
  const uint32_t seed = HoleSeed(m);
  const Palette pal = GroundPalette(m);
  const bool frozen = std::find(m.look.begin(), m.look.end(), uint8_t{kIce}) != m.look.end();
  for (int32_t y = 0; y < layer.height; ++y)
    for (int32_t x = 0; x < layer.width; ++x) layer.At(x, y) = GroundAt(x, y, pal, seed);
  ScatterGround(layer, seed);

  std::vector<const SceneryItem*> items;
  for (const SceneryItem& s : m.scenery) items.push_back(&s);
  std::stable_sort(items.begin(), items.end(),
                   [](const SceneryItem* a, const SceneryItem* b) { return DrawOrder(a->kind) < DrawOrder(b->kind); });
  uint32_t n = 0;
  for (const SceneryItem* s : items) {
    const uint32_t own = raster::Hash(seed + ++n * 0x632BE5ABu);
    const float size = static_cast<float>(s->size);
    switch (s->kind) {
      case SceneryKind::Brook:
        PaintBrook(layer, Points(*s), std::max(1.5f, size / 2), own);
        break;
      case SceneryKind::Track:
        PaintTrack(layer, Points(*s), std::max(1.5f, size / 2), own);
        break;
      case SceneryKind::DryStone:
        PaintDryStone(layer, Points(*s), std::max(2.0f, size / 2), own);
        break;
      case SceneryKind::Tree:
        PaintTree(layer, PointOf(*s), std::max(6.0f, size), own);
        break;
      case SceneryKind::Rock:
        PaintRock(layer, PointOf(*s), std::max(3.0f, size), own);
        break;
      case SceneryKind::Sheep:
        PaintSheep(layer, PointOf(*s), s->size == 1, own);
        break;
      case SceneryKind::Mill:
        PaintMill(layer, PointOf(*s), std::max(16.0f, size), own);
        break;
      case SceneryKind::Bridge:
        PaintBridge(layer, PointOf(*s), std::max(16.0f, size), own);
        break;
      case SceneryKind::Cottage:
        PaintCottage(layer, PointOf(*s), std::max(20.0f, size), own);
        break;
      default:
        PaintArea(layer, *s, pal, frozen, own);
        break;
    }
  }
}
