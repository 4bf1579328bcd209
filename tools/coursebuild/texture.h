// Colour, noise and shape helpers for the hole pictures: float colour with soft blending, smooth value noise,
// cellular noise for stones and clumps, signed distances for antialiased shapes, and the ordered dither that
// takes a picture down to the 16-bit colours the game shows. Plain float arithmetic without library calls
// that vary between runs, so one build draws the same bytes every time.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/draw/bmp.h"

namespace paint {

struct Col {
  float r = 0, g = 0, b = 0;  // 0..255
};
constexpr Col Hex(uint32_t rgb) {
  return {static_cast<float>((rgb >> 16) & 0xFF), static_cast<float>((rgb >> 8) & 0xFF),
          static_cast<float>(rgb & 0xFF)};
}
inline Col operator*(Col c, float k) { return {c.r * k, c.g * k, c.b * k}; }
inline Col operator+(Col a, Col b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
// a at t = 0, b at t = 1 (t is clamped).
Col Mix(Col a, Col b, float t);
// Brighter (k > 0, toward white) or darker (k < 0, toward black) by |k| of the way.
Col Light(Col c, float k);

float Clamp01(float v);
float SmoothStep(float lo, float hi, float v);

// Well-mixed hash of a lattice point, 0..1.
float Hash01(int32_t x, int32_t y, uint32_t seed);
// Smooth value noise, -1..1, one lattice value per unit.
float Noise(float x, float y, uint32_t seed);
// Three octaves of Noise, -1..1.
float Fbm(float x, float y, uint32_t seed);

// Cellular noise with one jittered feature point per unit cell: f1 and f2 are the distances to the nearest and
// second nearest point, (dx, dy) the offset from the nearest to (x, y), id a hash of its cell.
struct Cell {
  float f1 = 0, f2 = 0, dx = 0, dy = 0;
  uint32_t id = 0;
};
Cell Cellular(float x, float y, uint32_t seed);

// Coverage of a pixel by a shape whose signed distance (negative inside) at the pixel centre is d.
inline float Cover(float d) { return Clamp01(0.5f - d); }

struct Vec {
  float x = 0, y = 0;
};
float Length(float x, float y);
// Distance from p to the segment a..b, and where along it (0..1) the nearest point lies.
float SegmentDistance(Vec p, Vec a, Vec b, float* along);
// Signed distance to a closed polygon (negative inside, even-odd).
float PolygonDistance(Vec p, std::span<const Vec> poly);

// A picture in float colour, 640 x 480 or any size.
struct Layer {
  int32_t width = 0, height = 0;
  std::vector<Col> px;
  Layer(int32_t w, int32_t h, Col fill) : width(w), height(h), px(static_cast<size_t>(w) * h, fill) {}
  Col& At(int32_t x, int32_t y) { return px[static_cast<size_t>(y) * width + x]; }
  const Col& At(int32_t x, int32_t y) const { return px[static_cast<size_t>(y) * width + x]; }
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  void Blend(int32_t x, int32_t y, Col c, float alpha) {
    if (alpha > 0 && Inside(x, y)) At(x, y) = Mix(At(x, y), c, alpha);
  }
  void Darken(int32_t x, int32_t y, float k) {
    if (k > 0 && Inside(x, y)) At(x, y) = At(x, y) * (1 - Clamp01(k));
  }
};

// Each channel taken to 5, 6 and 5 bits with a 4 x 4 ordered dither, so soft gradients keep their steps
// invisible on a 16-bit screen; the result holds the exact colours a 16-bit surface gives back.
Bitmap Dither565(const Layer& layer);
// One pixel of that dither, for a colour that lands at (x, y) of the screen or sheet.
uint32_t Dither565At(Col c, int32_t x, int32_t y);

}  // namespace paint
