// Colour, noise, shapes and the 16-bit dither of the hole pictures.
#include "tools/coursebuild/texture.h"

#include <algorithm>
#include <cmath>

#include "tools/coursebuild/raster.h"

namespace paint {

float Clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

float SmoothStep(float lo, float hi, float v) {
  const float t = Clamp01((v - lo) / (hi - lo));
  return t * t * (3 - 2 * t);
}

Col Mix(Col a, Col b, float t) {
  t = Clamp01(t);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Col Light(Col c, float k) { return k >= 0 ? Mix(c, {255, 255, 255}, k) : c * (1 + std::max(k, -1.0f)); }

float Hash01(int32_t x, int32_t y, uint32_t seed) {
  return static_cast<float>(raster::Hash2(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

float Noise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const float a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
  const float c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
  const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
  return 2 * (top + (bottom - top) * ty) - 1;
}

float Fbm(float x, float y, uint32_t seed) {
  return (Noise(x, y, seed) * 4 + Noise(2.03f * x, 2.03f * y, seed + 1) * 2 + Noise(4.1f * x, 4.1f * y, seed + 2)) / 7;
}

Cell Cellular(float x, float y, uint32_t seed) {
  const int32_t ix = static_cast<int32_t>(std::floor(x)), iy = static_cast<int32_t>(std::floor(y));
  Cell best;
  float d1 = 1e9f, d2 = 1e9f;
  for (int32_t j = iy - 1; j <= iy + 1; ++j)
    for (int32_t i = ix - 1; i <= ix + 1; ++i) {
      const uint32_t h = raster::Hash2(i, j, seed);
      const float px = static_cast<float>(i) + 0.15f + 0.7f * static_cast<float>(h & 0xFFFF) / 65536.0f;
      const float py = static_cast<float>(j) + 0.15f + 0.7f * static_cast<float>(h >> 16) / 65536.0f;
      const float dx = x - px, dy = y - py, d = dx * dx + dy * dy;
      if (d < d1) {
        d2 = d1;
        d1 = d;
        best.dx = dx, best.dy = dy, best.id = h;
      } else if (d < d2) {
        d2 = d;
      }
    }
  best.f1 = std::sqrt(d1);
  best.f2 = std::sqrt(d2);
  return best;
}

float Length(float x, float y) { return std::sqrt(x * x + y * y); }

float SegmentDistance(Vec p, Vec a, Vec b, float* along) {
  const float vx = b.x - a.x, vy = b.y - a.y, len2 = vx * vx + vy * vy;
  float t = len2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2 : 0;
  t = Clamp01(t);
  if (along) *along = t;
  return Length(p.x - a.x - t * vx, p.y - a.y - t * vy);
}

float PolygonDistance(Vec p, std::span<const Vec> poly) {
  float d = 1e9f;
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    d = std::min(d, SegmentDistance(p, poly[j], poly[i], nullptr));
    const Vec a = poly[j], b = poly[i];
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (b.x - a.x) * (p.y - a.y) / (b.y - a.y)) in = !in;
  }
  return in ? -d : d;
}

uint32_t Dither565At(Col c, int32_t x, int32_t y) {
  static constexpr int32_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  // Levels 0..top; a channel value v lands on level floor(v * top / 255 + threshold).
  auto quantise = [](float v, int32_t top, float threshold) {
    const int32_t q = static_cast<int32_t>(std::floor(Clamp01(v / 255.0f) * static_cast<float>(top) + threshold));
    return static_cast<uint32_t>(std::clamp(q, 0, top));
  };
  const float t = (static_cast<float>(kBayer[y & 3][x & 3]) + 0.5f) / 16.0f;
  // Green gets the mirrored threshold so the three channels do not step together.
  const uint32_t r = quantise(c.r, 31, t), g = quantise(c.g, 63, 1 - t), b = quantise(c.b, 31, t);
  return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

Bitmap Dither565(const Layer& layer) {
  Bitmap out;
  out.width = layer.width;
  out.height = layer.height;
  out.rgb.resize(layer.px.size());
  for (int32_t y = 0; y < layer.height; ++y)
    for (int32_t x = 0; x < layer.width; ++x)
      out.rgb[static_cast<size_t>(y) * layer.width + x] = Dither565At(layer.At(x, y), x, y);
  return out;
}

}  // namespace paint
