// The supersampling painter: colour arithmetic, noise, shape tests, and the lettering helpers.
#include "tools/coursebuild/raster.h"

#include <algorithm>
#include <limits>

namespace raster {

namespace {

int32_t Channel(int32_t v) { return std::clamp(v, 0, 255); }

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

uint32_t Pack(Rgb c) {
  return (static_cast<uint32_t>(Channel(c.r)) << 16) | (static_cast<uint32_t>(Channel(c.g)) << 8) |
         static_cast<uint32_t>(Channel(c.b));
}

Rgb Mix(Rgb a, Rgb b, int32_t t) {
  t = std::clamp(t, 0, 256);
  auto mix = [t](int32_t x, int32_t y) { return (x * (256 - t) + y * t + 128) >> 8; };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

Rgb Shade(Rgb c, int32_t delta) { return {c.r + delta, c.g + delta, c.b + delta}; }

int32_t Ramp(int64_t v, int64_t lo, int64_t hi) {
  if (v <= lo) return 0;
  if (v >= hi) return 256;
  return static_cast<int32_t>((v - lo) * 256 / (hi - lo));
}

int32_t SmoothRamp(int64_t v, int64_t lo, int64_t hi) {
  const int64_t t = Ramp(v, lo, hi);
  return static_cast<int32_t>((3 * t * t * 256 - 2 * t * t * t) >> 16);
}

int32_t Sin1024(int32_t turn) {
  int32_t t = turn & 4095;
  int32_t sign = 1;
  if (t >= 2048) {
    t -= 2048;
    sign = -1;
  }
  // Bhaskara's rational approximation over half a turn, with half a turn = 2048.
  const int64_t p = static_cast<int64_t>(t) * (2048 - t);
  const int64_t value = (16384 * p + (5LL * 2048 * 2048 - 4 * p) / 2) / (5LL * 2048 * 2048 - 4 * p);
  return sign * static_cast<int32_t>(value);
}

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352du;
  x ^= x >> 15;
  x *= 0x846ca68bu;
  x ^= x >> 16;
  return x;
}

uint32_t Hash2(int32_t x, int32_t y, uint32_t seed) {
  return Hash(static_cast<uint32_t>(x) * 0x9E3779B1u ^ Hash(static_cast<uint32_t>(y) + seed * 0x85EBCA77u));
}

int32_t Noise1(int32_t x, int32_t cell, uint32_t seed) {
  const int64_t i = FloorDiv(x, cell);
  const int32_t t = static_cast<int32_t>((x - i * cell) * 256 / cell);
  const int32_t s = SmoothRamp(t, 0, 256);
  auto value = [seed](int64_t n) { return static_cast<int32_t>(Hash2(static_cast<int32_t>(n), 0, seed) % 513) - 256; };
  const int32_t v0 = value(i), v1 = value(i + 1);
  return v0 + (v1 - v0) * s / 256;
}

bool InEllipse(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
  const int64_t dx = x - cx, dy = y - cy, a = rx, b = ry;
  return dx * dx * b * b + dy * dy * a * a <= a * a * b * b;
}

int32_t EllipseDepth(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
  const int64_t dx = x - cx, dy = y - cy, a = rx, b = ry;
  const int64_t whole = a * a * b * b;
  const int64_t d = dx * dx * b * b + dy * dy * a * a;
  if (d >= 2 * whole) return -256;
  return static_cast<int32_t>((whole - d) * 256 / whole);
}

bool InPolygon(std::span<const Pt> polygon, int32_t x, int32_t y) {
  bool inside = false;
  const size_t n = polygon.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const Pt a = polygon[j], b = polygon[i];
    if ((a.y > y) == (b.y > y)) continue;
    // Does the edge cross the horizontal line through y to the right of x? Decided exactly by a cross product.
    const int64_t lhs = static_cast<int64_t>(b.x - a.x) * (y - a.y);
    const int64_t rhs = static_cast<int64_t>(x - a.x) * (b.y - a.y);
    if (b.y > a.y ? lhs > rhs : lhs < rhs) inside = !inside;
  }
  return inside;
}

Canvas::Canvas(int32_t width, int32_t height)
    : width_(width), height_(height), samples_(static_cast<size_t>(width) * kSub * height * kSub, 0) {}

uint32_t Canvas::Blend(uint32_t under, const Ink& ink) {
  const int32_t a = std::min(ink.alpha, kOpaque);
  auto mix = [a](int32_t below, int32_t above) { return (below * (256 - a) + Channel(above) * a + 128) >> 8; };
  const int32_t r = mix(static_cast<int32_t>((under >> 16) & 0xFF), ink.color.r);
  const int32_t g = mix(static_cast<int32_t>((under >> 8) & 0xFF), ink.color.g);
  const int32_t b = mix(static_cast<int32_t>(under & 0xFF), ink.color.b);
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

Bitmap Canvas::Downsample() const {
  Bitmap out;
  out.width = width_;
  out.height = height_;
  out.rgb.resize(static_cast<size_t>(width_) * height_);
  constexpr uint32_t kCount = kSub * kSub;
  for (int32_t y = 0; y < height_; ++y) {
    for (int32_t x = 0; x < width_; ++x) {
      uint32_t r = 0, g = 0, b = 0;
      for (int32_t sy = 0; sy < kSub; ++sy) {
        const uint32_t* row =
            samples_.data() + static_cast<size_t>(y * kSub + sy) * samplesWide() + static_cast<size_t>(x) * kSub;
        for (int32_t sx = 0; sx < kSub; ++sx) {
          r += (row[sx] >> 16) & 0xFF;
          g += (row[sx] >> 8) & 0xFF;
          b += row[sx] & 0xFF;
        }
      }
      out.rgb[static_cast<size_t>(y) * width_ + x] =
          (((r + kCount / 2) / kCount) << 16) | (((g + kCount / 2) / kCount) << 8) | ((b + kCount / 2) / kCount);
    }
  }
  return out;
}

std::vector<int32_t> DistanceFifths(const Mask& mask) {
  constexpr int32_t kFar = std::numeric_limits<int32_t>::max() / 2;
  const int32_t w = mask.width, h = mask.height;
  std::vector<int32_t> d(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < d.size(); ++i) d[i] = mask.value[i] ? 0 : kFar;
  struct Step {
    int32_t dx, dy, cost;
  };
  // The half of the 5x5 neighbourhood already visited by a forward scan; the backward scan mirrors it.
  static constexpr Step kSteps[] = {{-1, 0, 5},   {0, -1, 5},  {-1, -1, 7},  {1, -1, 7},
                                    {-2, -1, 11}, {2, -1, 11}, {-1, -2, 11}, {1, -2, 11}};
  auto relax = [&](int32_t x, int32_t y, int32_t sign) {
    int32_t& here = d[static_cast<size_t>(y) * w + x];
    for (const Step& s : kSteps) {
      const int32_t nx = x + sign * s.dx, ny = y + sign * s.dy;
      if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
      here = std::min(here, d[static_cast<size_t>(ny) * w + nx] + s.cost);
    }
  };
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) relax(x, y, 1);
  for (int32_t y = h - 1; y >= 0; --y)
    for (int32_t x = w - 1; x >= 0; --x) relax(x, y, -1);
  return d;
}

Mask Blur(const Mask& mask, int32_t radius) {
  const int32_t w = mask.width, h = mask.height, span = 2 * radius + 1;
  std::vector<int32_t> a(mask.value.begin(), mask.value.end()), b(a.size());
  // One box pass along rows (step 1) or columns (step w), zero beyond the edges.
  auto pass = [&](const std::vector<int32_t>& in, std::vector<int32_t>& out, int32_t lines, int32_t length,
                  int32_t lineStep, int32_t step) {
    for (int32_t l = 0; l < lines; ++l) {
      const size_t base = static_cast<size_t>(l) * lineStep;
      int32_t sum = 0;
      for (int32_t i = 0; i < radius && i < length; ++i) sum += in[base + static_cast<size_t>(i) * step];
      for (int32_t i = 0; i < length; ++i) {
        if (i + radius < length) sum += in[base + static_cast<size_t>(i + radius) * step];
        if (i - radius - 1 >= 0) sum -= in[base + static_cast<size_t>(i - radius - 1) * step];
        out[base + static_cast<size_t>(i) * step] = (sum + span / 2) / span;
      }
    }
  };
  for (int round = 0; round < 2; ++round) {
    pass(a, b, h, w, w, 1);
    pass(b, a, w, h, 1, w);
  }
  Mask out{w, h, std::vector<uint8_t>(a.size())};
  for (size_t i = 0; i < a.size(); ++i) out.value[i] = static_cast<uint8_t>(a[i]);
  return out;
}

}  // namespace raster
