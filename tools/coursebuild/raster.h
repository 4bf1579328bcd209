// A small supersampling painter for coursebuild's pictures. Everything is integer arithmetic, so every
// compiler and optimisation level gives the same bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/draw/bmp.h"

namespace raster {

// Samples per pixel side, and coordinate units per pixel. A sample is two units wide, so sample centres lie
// on odd unit values and a shape edge given in whole units never passes through a centre ambiguously.
constexpr int32_t kSub = 4;
constexpr int32_t kUnit = 2 * kSub;
constexpr int32_t U(int32_t pixels) { return pixels * kUnit; }

struct Rgb {
  int32_t r = 0, g = 0, b = 0;  // 0..255
};

// A colour and how much of it covers what is below: 0 nothing, 256 all.
struct Ink {
  Rgb color;
  int32_t alpha = 0;
};
constexpr int32_t kOpaque = 256;

struct Pt {
  int32_t x = 0, y = 0;  // units
};

constexpr Rgb Hex(uint32_t rgb) {
  return {static_cast<int32_t>((rgb >> 16) & 0xFF), static_cast<int32_t>((rgb >> 8) & 0xFF),
          static_cast<int32_t>(rgb & 0xFF)};
}
uint32_t Pack(Rgb c);  // clamped to 0..255 per channel
// a at t = 0, b at t = 256.
Rgb Mix(Rgb a, Rgb b, int32_t t);
// Adds delta to every channel.
Rgb Shade(Rgb c, int32_t delta);

// 0 at or below lo, 256 at or above hi, linear between.
int32_t Ramp(int64_t v, int64_t lo, int64_t hi);
// Ramp eased at both ends (smoothstep), 0..256.
int32_t SmoothRamp(int64_t v, int64_t lo, int64_t hi);

// Sine of turn/4096 of a full turn, times 1024 (within about 2 of the true value).
int32_t Sin1024(int32_t turn);
inline int32_t Cos1024(int32_t turn) { return Sin1024(turn + 1024); }

// Well-mixed 32-bit hashes for noise; seeds keep the uses apart.
uint32_t Hash(uint32_t x);
uint32_t Hash2(int32_t x, int32_t y, uint32_t seed);

// The classic 32-bit linear congruential generator, for scattering things about.
class Lcg {
 public:
  explicit Lcg(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;  // the low bits of an LCG cycle quickly
  }
  // lo..hi inclusive.
  int32_t Range(int32_t lo, int32_t hi) {
    return lo + static_cast<int32_t>(Next() % static_cast<uint32_t>(hi - lo + 1));
  }

 private:
  uint32_t state_;
};

// Smooth 1D value noise: -256..256, one random value every `cell` units, eased between them.
int32_t Noise1(int32_t x, int32_t cell, uint32_t seed);

bool InEllipse(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t rx, int32_t ry);
// Crossing-number test; the polygon closes itself.
bool InPolygon(std::span<const Pt> polygon, int32_t x, int32_t y);
// How far inside the ellipse (cx, cy, rx, ry) the point lies: 0 at the rim, 256 at the centre, negative outside.
int32_t EllipseDepth(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t rx, int32_t ry);

// Samples of a picture, kSub x kSub per pixel.
class Canvas {
 public:
  Canvas(int32_t width, int32_t height);  // pixels

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int32_t samplesWide() const { return width_ * kSub; }
  int32_t samplesHigh() const { return height_ * kSub; }

  // Blends shade(x, y) over every sample of the pixel box [left, right) x [top, bottom); x and y are the
  // sample's centre in units. The box only limits the work; shade says where the shape is.
  template <class ShadeFn>
  void Paint(int32_t left, int32_t top, int32_t right, int32_t bottom, ShadeFn&& shade) {
    const int32_t sx0 = Clamp(left * kSub, 0, samplesWide()), sx1 = Clamp(right * kSub, 0, samplesWide());
    const int32_t sy0 = Clamp(top * kSub, 0, samplesHigh()), sy1 = Clamp(bottom * kSub, 0, samplesHigh());
    for (int32_t sy = sy0; sy < sy1; ++sy) {
      uint32_t* row = samples_.data() + static_cast<size_t>(sy) * samplesWide();
      for (int32_t sx = sx0; sx < sx1; ++sx) {
        const Ink ink = shade(2 * sx + 1, 2 * sy + 1);
        if (ink.alpha > 0) row[sx] = Blend(row[sx], ink);
      }
    }
  }
  template <class ShadeFn>
  void PaintAll(ShadeFn&& shade) {
    Paint(0, 0, width_, height_, shade);
  }

  // Each pixel the rounded mean of its samples.
  Bitmap Downsample() const;

 private:
  static int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }
  static uint32_t Blend(uint32_t under, const Ink& ink);

  int32_t width_, height_;
  std::vector<uint32_t> samples_;  // 0x00RRGGBB
};

// A one-byte-per-sample coverage map, for lettering.
struct Mask {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> value;
  uint8_t At(int32_t x, int32_t y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? 0 : value[static_cast<size_t>(y) * width + x];
  }
};

// For every sample, its distance to the nearest set sample of `mask` in fifths of a sample (5-7-11 chamfer,
// within about 2% of the true distance); set samples are 0.
std::vector<int32_t> DistanceFifths(const Mask& mask);
// Box blur of a 0..255 mask, radius r samples each way, run twice so the falloff is a soft tent.
Mask Blur(const Mask& mask, int32_t radius);

}  // namespace raster
