// The title screen and the score screens' lawn, drawn shape by shape at four samples a pixel side.
#include "tools/coursebuild/pictures.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/draw/gdi.h"
#include "platform/draw/surface.h"
#include "tools/coursebuild/raster.h"

using raster::Canvas;
using raster::Hex;
using raster::Ink;
using raster::kOpaque;
using raster::kSub;
using raster::Mix;
using raster::Pt;
using raster::Rgb;
using raster::U;

namespace {

// ---------------------------------------------------------------------------------------------------------
// Scene

constexpr Rgb kZenith = Hex(0x3F7BC8);
constexpr Rgb kHorizonSky = Hex(0xC4E0F0);
constexpr int32_t kSkyBottom = 330;  // pixels; the hills hide what is below

Rgb SkyAt(int32_t y) {
  // Deep blue overhead paling towards the hills, faster near the horizon as a real sky does.
  const int32_t t = raster::Ramp(y, 0, U(kSkyBottom));
  return Mix(kZenith, kHorizonSky, t * t / 256 / 2 + t / 2);
}

void PaintSky(Canvas& c) {
  c.PaintAll([](int32_t, int32_t y) { return Ink{SkyAt(y), kOpaque}; });
  // A warm haze round a sun high on the right, well clear of the top-left corner.
  constexpr int32_t kSunX = U(574), kSunY = U(58);
  c.Paint(380, 0, 640, 260, [](int32_t x, int32_t y) {
    const int32_t glow = raster::EllipseDepth(x, y, kSunX, kSunY, U(190), U(170));
    if (glow <= 0) return Ink{};
    return Ink{Hex(0xFFF4D2), glow * glow / 256 * 150 / 256};
  });
  c.Paint(540, 20, 610, 96, [](int32_t x, int32_t y) {
    const int32_t core = raster::EllipseDepth(x, y, kSunX, kSunY, U(22), U(22));
    if (core > 0) return Ink{Hex(0xFFFCEB), kOpaque};
    const int32_t halo = raster::EllipseDepth(x, y, kSunX, kSunY, U(32), U(32));
    return halo > 0 ? Ink{Hex(0xFFF7DA), halo * 2} : Ink{};
  });
}

struct Puff {
  int32_t x, y, r;  // pixels
};

// A fair-weather cloud: round puffs over a flat base, lit from above.
void PaintCloud(Canvas& c, std::span<const Puff> puffs, int32_t base, int32_t alpha) {
  int32_t left = 640, right = 0, top = 480;
  for (const Puff& p : puffs) {
    left = std::min(left, p.x - p.r);
    right = std::max(right, p.x + p.r);
    top = std::min(top, p.y - p.r);
  }
  c.Paint(left, top, right + 1, base + 1, [&](int32_t x, int32_t y) {
    if (y > U(base)) return Ink{};
    for (const Puff& p : puffs) {
      if (raster::InEllipse(x, y, U(p.x), U(p.y), U(p.r), U(p.r))) {
        const int32_t t = raster::Ramp(y, U(top + (base - top) / 3), U(base));
        return Ink{Mix(Hex(0xFFFFFF), Hex(0xD3DEEA), t), alpha};
      }
    }
    return Ink{};
  });
}

void PaintClouds(Canvas& c) {
  static constexpr Puff kLeft[] = {{38, 196, 14}, {58, 186, 20}, {82, 192, 16}, {100, 199, 10}};
  static constexpr Puff kRight[] = {{520, 204, 12}, {540, 194, 18}, {563, 190, 22}, {588, 199, 14}, {604, 204, 9}};
  static constexpr Puff kSmall[] = {{300, 232, 7}, {312, 227, 10}, {326, 231, 7}};
  PaintCloud(c, kLeft, 204, 236);
  PaintCloud(c, kRight, 210, 236);
  PaintCloud(c, kSmall, 236, 150);
}

// Ridge heights in units for a column x (units); larger is lower on the screen.
int32_t FarRidge(int32_t x) {
  return U(296) + U(16) * raster::Noise1(x + U(40), U(190), 11) / 256 + U(5) * raster::Noise1(x, U(64), 12) / 256;
}
int32_t NearRidge(int32_t x) {
  return U(326) + U(14) * raster::Noise1(x + U(900), U(240), 13) / 256 + U(4) * raster::Noise1(x, U(80), 14) / 256;
}
int32_t LawnEdge(int32_t x) { return U(352) + U(5) * raster::Noise1(x + U(300), U(300), 15) / 256; }

void PaintHills(Canvas& c) {
  // Far hills fade into the sky's haze.
  c.Paint(0, 260, 640, 400, [](int32_t x, int32_t y) {
    const int32_t ridge = FarRidge(x);
    if (y < ridge) return Ink{};
    const Rgb land = Mix(Hex(0x8DB7A4), Hex(0x78AA80), raster::Ramp(y - ridge, 0, U(40)));
    return Ink{land, kOpaque};
  });
  // A row of trees along the near ridge, round ones and poplars.
  raster::Lcg rng(2024);
  struct Tree {
    int32_t x, rx, ry;
  };
  std::vector<Tree> trees;
  for (int32_t x = 8; x < 640;) {
    const bool poplar = rng.Range(0, 3) == 0;
    trees.push_back({x, poplar ? rng.Range(4, 5) : rng.Range(7, 11), poplar ? rng.Range(13, 17) : rng.Range(7, 10)});
    // Denser at the sides, sparse in the middle where the menus go.
    x += (x > 200 && x < 440) ? rng.Range(40, 70) : rng.Range(10, 24);
  }
  for (const Tree& t : trees) {
    const int32_t cx = U(t.x);
    const int32_t cy = NearRidge(cx) - U(t.ry) + U(4);
    c.Paint(t.x - t.rx - 1, cy / U(1) - t.ry - 1, t.x + t.rx + 2, cy / U(1) + t.ry + 2, [&](int32_t x, int32_t y) {
      const int32_t depth = raster::EllipseDepth(x, y, cx, cy, U(t.rx), U(t.ry));
      if (depth < 0) return Ink{};
      // Lit from the upper right, where the sun is.
      const int32_t lit = raster::EllipseDepth(x, y, cx + U(t.rx) / 3, cy - U(t.ry) / 3, U(t.rx), U(t.ry));
      const Rgb leaf = Mix(Hex(0x2F6B3A), Hex(0x5E9A4A), std::max(0, lit));
      return Ink{leaf, kOpaque};
    });
  }
  // Near hills, lighter along their crest where the sun catches them.
  c.Paint(0, 290, 640, 420, [](int32_t x, int32_t y) {
    const int32_t ridge = NearRidge(x);
    if (y < ridge) return Ink{};
    const Rgb top = Mix(Hex(0x8CC26A), Hex(0x6EA857), raster::Ramp(y - ridge, 0, U(6)));
    return Ink{Mix(top, Hex(0x5F9A4C), raster::Ramp(y - ridge, U(6), U(30))), kOpaque};
  });
}

void PaintLawn(Canvas& c) {
  // Mown stripes that run away from the viewer towards a vanishing point above the horizon.
  c.Paint(0, 340, 640, 480, [](int32_t x, int32_t y) {
    const int32_t edge = LawnEdge(x);
    if (y < edge) return Ink{};
    const int32_t spread = (x - U(320)) * 64 / std::max(1, y - U(250));
    const bool light = (((spread + 4096) / 40) & 1) != 0;
    Rgb grass = Mix(Hex(0x7DB85A), Hex(0x5E9E45), raster::Ramp(y, U(352), U(480)));
    grass = raster::Shade(grass, light ? 6 : -5);
    // Per-pixel speckle, so the lawn is not a flat fill.
    const int32_t speck = static_cast<int32_t>(raster::Hash2(x / U(1), y / U(1), 21) % 9) - 4;
    grass = raster::Shade(grass, speck);
    // The crest line of the lawn catches the light.
    if (y - edge < U(2)) grass = Mix(grass, Hex(0xA8D682), 140);
    return Ink{grass, kOpaque};
  });
}

// A polygon in pixels with its corners rounded by quadratic curves; `cut` is how far along each side
// (in 1/256ths of the side) a corner's curve begins.
std::vector<Pt> RoundedPolygon(std::span<const Pt> corners, int32_t cut) {
  std::vector<Pt> out;
  const size_t n = corners.size();
  for (size_t i = 0; i < n; ++i) {
    const Pt prev = corners[(i + n - 1) % n], c = corners[i], next = corners[(i + 1) % n];
    const Pt a{U(c.x) + (U(prev.x) - U(c.x)) * cut / 256, U(c.y) + (U(prev.y) - U(c.y)) * cut / 256};
    const Pt b{U(c.x) + (U(next.x) - U(c.x)) * cut / 256, U(c.y) + (U(next.y) - U(c.y)) * cut / 256};
    constexpr int32_t kSteps = 8;
    for (int32_t s = 0; s <= kSteps; ++s) {
      const int32_t u = kSteps - s;
      out.push_back({(a.x * u * u + 2 * U(c.x) * u * s + b.x * s * s) / (kSteps * kSteps),
                     (a.y * u * u + 2 * U(c.y) * u * s + b.y * s * s) / (kSteps * kSteps)});
    }
  }
  return out;
}

std::vector<Pt> Shifted(std::span<const Pt> polygon, int32_t dx, int32_t dy) {
  std::vector<Pt> out(polygon.begin(), polygon.end());
  for (Pt& p : out) p = {p.x + dx, p.y + dy};
  return out;
}

// The hole's green: felt in a timber frame, seen from a little above.
constexpr Pt kFeltCorners[] = {{92, 384}, {588, 372}, {720, 520}, {-150, 520}};
constexpr Pt kFrameCorners[] = {{82, 374}, {598, 362}, {740, 520}, {-172, 520}};

void PaintGreen(Canvas& c) {
  const std::vector<Pt> felt = RoundedPolygon(kFeltCorners, 28);
  const std::vector<Pt> frame = RoundedPolygon(kFrameCorners, 28);
  const std::vector<Pt> wall = Shifted(felt, 0, -U(6));
  // Shadow the frame casts on the lawn behind it.
  const std::vector<Pt> shadow = Shifted(frame, U(3), -U(2));
  c.Paint(0, 350, 640, 480, [&](int32_t x, int32_t y) {
    return raster::InPolygon(shadow, x, y) ? Ink{Hex(0x2E5A2A), 70} : Ink{};
  });
  c.Paint(0, 355, 640, 480, [&](int32_t x, int32_t y) {
    if (!raster::InPolygon(frame, x, y)) return Ink{};
    if (raster::InPolygon(felt, x, y)) {
      // Felt, darker where the far rail shades it, with a fine woven grain.
      Rgb cloth = Mix(Hex(0x3C9A4C), Hex(0x4CB85A), raster::Ramp(y, U(372), U(480)));
      const int32_t grain = static_cast<int32_t>(raster::Hash2(x / U(1), y / U(1), 31) % 7) - 3;
      cloth = raster::Shade(cloth, grain);
      bool shaded = false;
      for (int32_t d = 1; d <= 4 && !shaded; ++d) shaded = !raster::InPolygon(felt, x, y - U(d));
      if (shaded) cloth = Mix(cloth, Hex(0x1E5A2A), 90);
      return Ink{cloth, kOpaque};
    }
    if (raster::InPolygon(wall, x, y)) return Ink{Hex(0x9A6A3E), kOpaque};  // rail's inner face, in shade
    // Rail top, sunlit, with the grain of the timber along it.
    const int32_t grain = static_cast<int32_t>(raster::Hash2(x / U(6), y / U(1), 32) % 13) - 6;
    return Ink{raster::Shade(Hex(0xD9AE72), grain), kOpaque};
  });
}

// The classic windmill obstacle: the ball runs through the door under turning sails.
constexpr int32_t kMillX = 142;     // tower centre, pixels
constexpr int32_t kMillBase = 404;  // where it stands on the felt
constexpr int32_t kMillTop = 262;
constexpr int32_t kHubY = 236;

void PaintWindmill(Canvas& c) {
  const int32_t mx = U(kMillX);
  // Its shadow on the felt.
  c.Paint(60, 390, 240, 420, [&](int32_t x, int32_t y) {
    return raster::InEllipse(x, y, mx + U(12), U(kMillBase), U(78), U(9)) ? Ink{Hex(0x1C4A24), 90} : Ink{};
  });
  // Stone plinth.
  c.Paint(70, 384, 215, 406, [&](int32_t x, int32_t y) {
    if (x < mx - U(68) || x > mx + U(68) || y < U(kMillBase - 14) || y > U(kMillBase)) return Ink{};
    const int32_t course = (y - U(kMillBase - 14)) / U(7);
    const int32_t brick = (x - mx + U(80) + course * U(9)) / U(18);
    const bool joint = (y - U(kMillBase - 14)) % U(7) < U(1) || (x - mx + U(80) + course * U(9)) % U(18) < U(1);
    Rgb stone = raster::Shade(Hex(0xA9A39A), static_cast<int32_t>(raster::Hash2(brick, course, 41) % 17) - 8);
    if (x > mx + U(40)) stone = raster::Shade(stone, -14);
    return Ink{joint ? Hex(0x6E6962) : stone, kOpaque};
  });
  // Tower: a tapering body of red weatherboard, lit from the right.
  const Pt body[] = {{mx - U(56), U(kMillBase - 14)},
                     {mx - U(34), U(kMillTop)},
                     {mx + U(34), U(kMillTop)},
                     {mx + U(56), U(kMillBase - 14)}};
  c.Paint(80, kMillTop, 205, kMillBase - 13, [&](int32_t x, int32_t y) {
    if (!raster::InPolygon(body, x, y)) return Ink{};
    const int32_t across = raster::Ramp(x, mx - U(50), mx + U(50));
    Rgb wood = Mix(Hex(0xA8332C), Hex(0xD9554A), across);
    const int32_t board = (y - U(kMillTop)) % U(9);
    if (board < U(1))
      wood = raster::Shade(wood, -34);
    else if (board < U(2))
      wood = raster::Shade(wood, 14);
    // White corner posts.
    const int32_t halfWidth = U(34) + (y - U(kMillTop)) * 22 / (kMillBase - 14 - kMillTop);
    if (x < mx - halfWidth + U(5) || x > mx + halfWidth - U(5)) wood = Mix(Hex(0xD8D2C8), Hex(0xFFFFFF), across);
    return Ink{wood, kOpaque};
  });
  // Arched door: the tunnel the ball goes through, framed in white.
  c.Paint(110, 350, 175, kMillBase, [&](int32_t x, int32_t y) {
    auto inArch = [&](int32_t r, int32_t spring) {
      return (x > mx - U(r) && x < mx + U(r) && y > U(spring) && y < U(kMillBase - 2)) ||
             raster::InEllipse(x, y, mx, U(spring), U(r), U(r));
    };
    if (inArch(15, 378)) {
      const int32_t deep = raster::Ramp(y, U(368), U(400));
      return Ink{Mix(Hex(0x2A1E22), Hex(0x120C10), deep), kOpaque};
    }
    if (inArch(19, 378)) return Ink{Hex(0xF2EEE6), kOpaque};
    return Ink{};
  });
  // A small window above the door.
  c.Paint(125, 300, 160, 330, [&](int32_t x, int32_t y) {
    const int32_t dx = x - mx, dy = y - U(314);
    if (std::abs(dx) > U(11) || std::abs(dy) > U(11)) return Ink{};
    if (std::abs(dx) > U(8) || std::abs(dy) > U(8) || std::abs(dx) < U(1) || std::abs(dy) < U(1)) {
      return Ink{Hex(0xF4F0E8), kOpaque};
    }
    return Ink{Mix(Hex(0x9CC8E6), Hex(0x4A7EA6), raster::Ramp(dy - dx, -U(16), U(16))), kOpaque};
  });
  // Conical roof in slate blue, with a white eave board.
  const Pt roof[] = {{mx - U(46), U(kMillTop + 4)}, {mx, U(kMillTop - 52)}, {mx + U(46), U(kMillTop + 4)}};
  c.Paint(90, kMillTop - 54, 195, kMillTop + 6, [&](int32_t x, int32_t y) {
    if (!raster::InPolygon(roof, x, y)) return Ink{};
    if (y > U(kMillTop - 2)) return Ink{Hex(0xF4F0E8), kOpaque};
    const int32_t across = raster::Ramp(x, mx - U(40), mx + U(40));
    Rgb slate = Mix(Hex(0x3E4A6C), Hex(0x6A7AA4), across);
    if ((y - U(kMillTop - 52)) % U(8) < U(1)) slate = raster::Shade(slate, -18);
    return Ink{slate, kOpaque};
  });
  // Four sails on a hub; a lattice of timber on one side of each stock, filled with canvas.
  constexpr int32_t kAngle = 4096 * 22 / 360;
  const int32_t cs = raster::Cos1024(kAngle), sn = raster::Sin1024(kAngle);
  const int32_t hx = mx, hy = U(kHubY);
  c.Paint(20, 110, 270, 362, [&](int32_t x, int32_t y) {
    const int64_t dx = x - hx, dy = y - hy;
    // Rotate into the sails' frame; each quarter turn maps onto the first sail.
    int32_t u = static_cast<int32_t>((dx * cs + dy * sn) / 1024);
    int32_t v = static_cast<int32_t>((-dx * sn + dy * cs) / 1024);
    for (int q = 0; q < 4 && !(u > 0 && v > -U(3)); ++q) {
      const int32_t t = u;
      u = v;
      v = -t;
    }
    if (u <= 0) return Ink{};
    if (u < U(112) && std::abs(v) <= U(2)) {
      return Ink{v < 0 ? Hex(0x8A5A32) : Hex(0x5E3C22), kOpaque};  // the stock
    }
    if (u < U(26) || u > U(110) || v < U(2) || v > U(24)) return Ink{};
    const bool frame = u > U(107) || v > U(21) || (u - U(26)) % U(12) < U(2) || std::abs(v - U(13)) < U(1);
    if (frame) return Ink{Hex(0x7A4E2C), kOpaque};
    return Ink{Mix(Hex(0xFFF8EA), Hex(0xDCD2C0), raster::Ramp(v, U(2), U(24))), 236};
  });
  c.Paint(130, 224, 156, 250, [&](int32_t x, int32_t y) {
    const int32_t depth = raster::EllipseDepth(x, y, hx, hy, U(8), U(8));
    if (depth < 0) return Ink{};
    const int32_t lit = raster::EllipseDepth(x, y, hx + U(3), hy - U(3), U(8), U(8));
    return Ink{Mix(Hex(0x4A3020), Hex(0xB08050), std::max(0, lit)), kOpaque};
  });
}

constexpr int32_t kCupX = 508, kCupY = 420;

void PaintCupAndFlag(Canvas& c) {
  const int32_t cx = U(kCupX), cy = U(kCupY);
  // The cup: a dark hole whose white liner shows on the far wall.
  c.Paint(kCupX - 20, kCupY - 8, kCupX + 20, kCupY + 8, [&](int32_t x, int32_t y) {
    if (!raster::InEllipse(x, y, cx, cy, U(17), U(6))) return Ink{};
    if (raster::InEllipse(x, y, cx, cy + U(4), U(16), U(6))) return Ink{Hex(0x14201A), kOpaque};
    return Ink{Hex(0xE8ECE4), kOpaque};
  });
  // The pole's shadow falls away from the sun, down and to the left across the felt, from the cup's rim on.
  c.Paint(kCupX - 80, kCupY - 2, kCupX + 2, kCupY + 30, [&](int32_t x, int32_t y) {
    const int32_t along = cx - x;
    if (along < U(14) || y < cy) return Ink{};
    const int32_t line = cy + along * 3 / 10;
    return std::abs(y - line) < U(2) ? Ink{Hex(0x1E5A2A), 80} : Ink{};
  });
  constexpr int32_t kPoleTop = 246;
  // Pole, white with a shaded left side, and a gilt knob on top.
  c.Paint(kCupX - 4, kPoleTop - 6, kCupX + 4, kCupY + 2, [&](int32_t x, int32_t y) {
    if (raster::InEllipse(x, y, cx, U(kPoleTop - 2), U(4), U(4))) {
      const int32_t lit = raster::EllipseDepth(x, y, cx + U(1), U(kPoleTop - 3), U(4), U(4));
      return Ink{Mix(Hex(0xA87A18), Hex(0xFFE690), std::max(0, lit)), kOpaque};
    }
    if (std::abs(x - cx) > U(2) || y < U(kPoleTop) || y > cy + U(1)) return Ink{};
    return Ink{Mix(Hex(0xA4A8AC), Hex(0xFFFFFF), raster::Ramp(x, cx - U(2), cx + U(1))), kOpaque};
  });
  // The flag, rippling in the breeze, with the hole number on it.
  c.Paint(kCupX, kPoleTop, kCupX + 80, kPoleTop + 50, [&](int32_t x, int32_t y) {
    const int32_t along = x - cx - U(2);
    if (along < 0 || along > U(66)) return Ink{};
    const int32_t phase = along * 4096 / U(52);
    const int32_t wave = raster::Sin1024(phase) * U(3) / 1024 * std::min(along, U(20)) / U(20);
    const int32_t top = U(kPoleTop + 2) + wave + along / 14, bottom = U(kPoleTop + 40) + wave - along / 14;
    if (y < top || y > bottom) return Ink{};
    const int32_t light = raster::Cos1024(phase) * 40 / 1024;
    return Ink{raster::Shade(Hex(0xD8262C), light), kOpaque};
  });
}

void PaintBall(Canvas& c) {
  constexpr int32_t kBallX = U(404), kBallY = U(447);
  c.Paint(388, 440, 420, 460, [&](int32_t x, int32_t y) {
    return raster::InEllipse(x, y, kBallX - U(4), kBallY + U(6), U(10), U(3)) ? Ink{Hex(0x1E4A22), 110} : Ink{};
  });
  c.Paint(394, 437, 414, 457, [&](int32_t x, int32_t y) {
    if (!raster::InEllipse(x, y, kBallX, kBallY, U(8), U(8))) return Ink{};
    const int32_t lit = raster::EllipseDepth(x, y, kBallX + U(3), kBallY - U(3), U(10), U(10));
    Rgb ball = Mix(Hex(0xA4ACB4), Hex(0xFFFFFF), std::max(0, lit) * 3 / 2);
    if (raster::InEllipse(x, y, kBallX + U(3), kBallY - U(3), U(2), U(2))) ball = Hex(0xFFFFFF);
    return Ink{ball, kOpaque};
  });
}

struct Bush {
  int32_t x, y, rx, ry;
};

// The nearest of the jittered points scattered one to a cell, and how far the second nearest is: a cellular
// pattern that reads as clumps of leaves.
struct Leaf {
  uint32_t hash;
  int64_t nearest, second;  // squared units
};

Leaf NearestLeaf(int32_t x, int32_t y, int32_t size, uint32_t seed) {
  const int32_t cx = x / size, cy = y / size;
  Leaf leaf{0, INT64_MAX, INT64_MAX};
  for (int32_t j = -1; j <= 1; ++j) {
    for (int32_t i = -1; i <= 1; ++i) {
      const uint32_t h = raster::Hash2(cx + i, cy + j, seed);
      const int64_t dx = x - ((cx + i) * size + static_cast<int32_t>(h % static_cast<uint32_t>(size)));
      const int64_t dy = y - ((cy + j) * size + static_cast<int32_t>((h >> 12) % static_cast<uint32_t>(size)));
      const int64_t d = dx * dx + dy * dy;
      if (d < leaf.nearest) {
        leaf.second = leaf.nearest;
        leaf.nearest = d;
        leaf.hash = h;
      } else if (d < leaf.second) {
        leaf.second = d;
      }
    }
  }
  return leaf;
}

// Squared distances, in units, within a leaf's cell: its size, a flower's, the flower's heart, and how close
// two leaves' edges lie at the crease between them.
constexpr int64_t kLeafSquared = int64_t{U(3)} * U(3);
constexpr int64_t kBloomSquared = int64_t{U(2)} * U(2);
constexpr int64_t kHeartSquared = int64_t{U(1)} * U(1) / 2;
constexpr int64_t kCreaseSquared = int64_t{U(1)} * U(2);

// Flowering shrubs in the front corners, framing the green.
void PaintBushes(Canvas& c) {
  static constexpr Bush kBushes[] = {{14, 470, 40, 26}, {62, 488, 30, 20}, {634, 452, 34, 28}, {598, 488, 30, 20}};
  static constexpr Rgb kBlooms[] = {Hex(0xF24C5A), Hex(0xFFFFFF), Hex(0xE86AC0), Hex(0xFF9A3C)};
  for (size_t i = 0; i < std::size(kBushes); ++i) {
    const Bush b = kBushes[i];
    const int32_t bx = U(b.x), by = U(b.y);
    const uint32_t seed = 50 + static_cast<uint32_t>(i);
    c.Paint(b.x - b.rx - 4, b.y - b.ry - 4, b.x + b.rx + 5, b.y + b.ry + 5, [&](int32_t x, int32_t y) {
      const Leaf leaf = NearestLeaf(x, y, U(5), seed);
      // Leaves near the rim scallop it: the rim bulges out round each leaf's centre.
      const int32_t bulge = 40 - static_cast<int32_t>(std::min<int64_t>(leaf.nearest * 40 / kLeafSquared, 80));
      const int32_t depth = raster::EllipseDepth(x, y, bx, by, U(b.rx), U(b.ry)) + bulge;
      if (depth < 0) return Ink{};
      const bool flower = leaf.hash % 6 == 0 && depth > 50;
      if (flower && leaf.nearest < kBloomSquared) {
        return Ink{leaf.nearest < kHeartSquared ? Hex(0xFFE04A) : kBlooms[(leaf.hash >> 4) % std::size(kBlooms)],
                   kOpaque};
      }
      const int32_t lit = raster::EllipseDepth(x, y, bx + U(b.rx) / 3, by - U(b.ry) / 2, U(b.rx), U(b.ry));
      Rgb green = Mix(Hex(0x22562A), Hex(0x64A84C), std::max(0, lit));
      green = raster::Shade(green, static_cast<int32_t>((leaf.hash >> 20) % 15) - 7);
      // Each leaf brighter at its heart, shaded where it tucks under its neighbours.
      const int64_t gap = leaf.second - leaf.nearest;
      if (gap < kCreaseSquared) return Ink{raster::Shade(green, -22), kOpaque};
      green = raster::Shade(green, 8 - static_cast<int32_t>(std::min<int64_t>(leaf.nearest * 12 / kLeafSquared, 12)));
      return Ink{green, kOpaque};
    });
  }
}

// ---------------------------------------------------------------------------------------------------------
// Lettering: the font engine draws hard 1-bit letters; drawn at kSub times the size they become an
// anti-aliased mask once the canvas is averaged down.

struct Lettering {
  raster::Mask mask;      // samples: the ink with kPad spare on every side
  int32_t inkWidth = 0;   // samples
  int32_t inkHeight = 0;  // samples
};
constexpr int32_t kPad = 16 * kSub;

std::optional<Lettering> Letter(const std::string& text, int32_t emPixels) {
  LOGFONTA lf;
  lf.lfHeight = -emPixels * kSub;
  lf.lfWeight = FW_BOLD;
  std::strncpy(lf.lfFaceName, "Arial Bold", sizeof lf.lfFaceName - 1);
  HFONT font = CreateFontIndirectA(&lf);
  if (!font) return std::nullopt;
  Lettering out;
  DC dc;
  SurfacePtr probe = CreateSurface(1, 1);
  SIZE extent{0, 0};
  if (!probe || !SurfaceGetDC(probe.get(), &dc)) {
    DeleteFont(font);
    return std::nullopt;
  }
  SelectFont(&dc, font);
  GetTextExtentPoint32A(&dc, text.c_str(), -1, &extent);
  SurfaceReleaseDC(probe.get(), &dc);
  // Room for overhanging glyphs such as the tail of a Q.
  const int32_t w = extent.cx + 2 * kPad + emPixels * kSub / 2, h = extent.cy + 2 * kPad;
  SurfacePtr surface = CreateSurface(w, h);
  if (!surface || !SurfaceGetDC(surface.get(), &dc)) {
    DeleteFont(font);
    return std::nullopt;
  }
  SelectFont(&dc, font);
  SetBkMode(&dc, TRANSPARENT);
  SetTextColor(&dc, RGB(255, 255, 255));
  RECT box{kPad, kPad, w - kPad, h - kPad};
  DrawTextA(&dc, text.c_str(), -1, &box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  SurfaceReleaseDC(surface.get(), &dc);
  DeleteFont(font);

  int32_t left = w, right = -1, top = h, bottom = -1;
  for (int32_t y = 0; y < h; ++y) {
    const uint16_t* row = SurfaceRow(surface.get(), y);
    for (int32_t x = 0; x < w; ++x) {
      if (!row[x]) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return out;  // nothing to letter
  out.inkWidth = right - left + 1;
  out.inkHeight = bottom - top + 1;
  out.mask.width = out.inkWidth + 2 * kPad;
  out.mask.height = out.inkHeight + 2 * kPad;
  out.mask.value.assign(static_cast<size_t>(out.mask.width) * out.mask.height, 0);
  for (int32_t y = top; y <= bottom; ++y) {
    const uint16_t* row = SurfaceRow(surface.get(), y);
    for (int32_t x = left; x <= right; ++x) {
      if (row[x]) out.mask.value[static_cast<size_t>(y - top + kPad) * out.mask.width + (x - left + kPad)] = 255;
    }
  }
  return out;
}

struct LetterStyle {
  Rgb fillTop, fillMiddle, fillBottom;
  Rgb outline;
  int32_t outlineFifths;  // outline width in fifths of a sample
  Rgb rim;                // a thin light line round the outline, so the letters lift off any background
  int32_t rimFifths;
  int32_t shadowDx, shadowDy;  // samples
  int32_t shadowBlur;          // samples
  int32_t shadowAlpha;         // 0..256
  bool bevel;                  // light along the letters' upper edges, shade along their lower ones
};

// Letters with their centre at pixel column centreX and the top of their ink at pixel row inkTop.
void PaintLettering(Canvas& c, const Lettering& l, int32_t centreX, int32_t inkTop, const LetterStyle& s) {
  if (l.inkWidth == 0) return;
  const int32_t ox = centreX * kSub - l.inkWidth / 2 - kPad, oy = inkTop * kSub - kPad;
  const std::vector<int32_t> dist = raster::DistanceFifths(l.mask);
  const int32_t outer = s.outlineFifths + s.rimFifths;
  raster::Mask body{l.mask.width, l.mask.height, std::vector<uint8_t>(dist.size())};
  for (size_t i = 0; i < dist.size(); ++i) body.value[i] = dist[i] <= outer ? 255 : 0;
  const raster::Mask shadow = raster::Blur(body, s.shadowBlur);
  auto at = [&](const std::vector<int32_t>& d, int32_t mx, int32_t my) {
    return mx < 0 || my < 0 || mx >= l.mask.width || my >= l.mask.height
               ? 1 << 30
               : d[static_cast<size_t>(my) * l.mask.width + mx];
  };
  const int32_t left = ox / kSub - 1, top = oy / kSub - 1;
  const int32_t right = (ox + l.mask.width + s.shadowDx) / kSub + 2,
                bottom = (oy + l.mask.height + s.shadowDy) / kSub + 2;
  c.Paint(left, top, right, bottom, [&](int32_t x, int32_t y) {
    const int32_t v = shadow.At((x >> 1) - ox - s.shadowDx, (y >> 1) - oy - s.shadowDy);
    return Ink{Hex(0x0C1C30), v * s.shadowAlpha / 255};
  });
  const int32_t inkTopSample = oy + kPad, inkSpan = std::max(1, l.inkHeight);
  c.Paint(left, top, right, bottom, [&](int32_t x, int32_t y) {
    const int32_t mx = (x >> 1) - ox, my = (y >> 1) - oy;
    const int32_t d = at(dist, mx, my);
    if (d > outer) return Ink{};
    if (d > s.outlineFifths) return Ink{s.rim, kOpaque};
    if (d > 0) return Ink{s.outline, kOpaque};
    // A two-stop gradient down the letters: bright above, deeper below, like polished metal.
    const int32_t t = raster::Ramp((y >> 1) - inkTopSample, 0, inkSpan);
    Rgb fill = t < 128 ? Mix(s.fillTop, s.fillMiddle, t * 2) : Mix(s.fillMiddle, s.fillBottom, (t - 128) * 2);
    if (s.bevel) {
      constexpr int32_t kEdge = 2 * kSub;
      if (!l.mask.At(mx - kEdge / 2, my - kEdge))
        fill = Mix(fill, Hex(0xFFFFFF), 150);
      else if (!l.mask.At(mx + kEdge / 2, my + kEdge))
        fill = Mix(fill, s.fillBottom, 200);
    }
    return Ink{fill, kOpaque};
  });
}

// A short rule with a diamond at its end either side of the course name.
void PaintFlourishes(Canvas& c, int32_t centreX, int32_t halfGap, int32_t y) {
  for (int side = -1; side <= 1; side += 2) {
    const int32_t inner = U(centreX) + side * U(halfGap), outer = inner + side * U(46), cy = U(y);
    const int32_t left = std::min(inner, outer) / U(1) - 8, right = std::max(inner, outer) / U(1) + 8;
    c.Paint(left, y - 8, right, y + 8, [&](int32_t x, int32_t yy) {
      const int32_t along = (x - inner) * side;  // 0 at the name, growing outwards
      const int32_t diamond = std::abs(x - outer) + std::abs(yy - cy);
      if (diamond <= U(6)) return Ink{Hex(0xFFE9A0), kOpaque};
      if (diamond <= U(8)) return Ink{Hex(0x1C3A5C), kOpaque};
      if (along < 0 || along > U(46)) return Ink{};
      if (std::abs(yy - cy) <= U(1)) return Ink{Hex(0xFFFFFF), kOpaque};
      if (std::abs(yy - cy) <= U(2) + U(1) / 2) return Ink{Hex(0x1C3A5C), kOpaque};
      return Ink{};
    });
  }
}

}  // namespace

Bitmap DrawTitlePicture(const TitleWords& words) {
  const std::optional<Lettering> product = Letter(words.product, 72);
  const std::optional<Lettering> course = Letter(words.course, 32);
  if (!product || !course) return {};
  // Lettering wider than the screen, less a margin for its outline and shadow, would be cut off.
  constexpr int32_t kWidest = (kTitleWidth - 2 * 20) * kSub;
  if (product->inkWidth > kWidest || course->inkWidth > kWidest) return {};

  Canvas c(kTitleWidth, kTitleHeight);
  PaintSky(c);
  PaintClouds(c);
  PaintHills(c);
  PaintLawn(c);
  PaintGreen(c);
  PaintWindmill(c);
  PaintCupAndFlag(c);
  PaintBall(c);
  PaintBushes(c);

  const LetterStyle productStyle{Hex(0xFFF6B4), Hex(0xFFC83A), Hex(0xE47A1C), Hex(0x1C2A5C),
                                 4 * kSub * 5,  Hex(0xFFFFFF), 2 * 5,         3 * kSub,
                                 4 * kSub,      3 * kSub,      150,           true};
  const LetterStyle courseStyle{
      Hex(0xFFFFFF), Hex(0xF4F8FF), Hex(0xC8DCF4), Hex(0x1C3A5C), 2 * kSub * 5 + 10, Hex(0xFFFFFF), 0, 2 * kSub,
      3 * kSub,      2 * kSub,      130,           false};
  constexpr int32_t kProductTop = 24;
  PaintLettering(c, *product, kTitleWidth / 2, kProductTop, productStyle);
  const int32_t courseTop = kProductTop + product->inkHeight / kSub + 14;
  PaintLettering(c, *course, kTitleWidth / 2, courseTop, courseStyle);
  if (course->inkWidth > 0) {
    PaintFlourishes(c, kTitleWidth / 2, course->inkWidth / kSub / 2 + 14, courseTop + course->inkHeight / kSub / 2);
  }
  return c.Downsample();
}

Bitmap DrawGrassTile() {
  const int32_t n = kGrassSide;
  std::vector<int32_t> light(static_cast<size_t>(n) * n, 0);
  auto cell = [&](int32_t x, int32_t y) -> int32_t& {
    return light[static_cast<size_t>(y & (n - 1)) * n + (x & (n - 1))];
  };

  // Broad, gentle patches: two octaves of value noise on lattices that wrap at the tile's edges.
  auto patches = [&](int32_t lattice, int32_t amplitude, uint32_t seed) {
    const int32_t cells = n / lattice;
    auto corner = [&](int32_t i, int32_t j) {
      return static_cast<int32_t>(raster::Hash2(i % cells, j % cells, seed) % (2 * amplitude + 1)) - amplitude;
    };
    for (int32_t y = 0; y < n; ++y) {
      for (int32_t x = 0; x < n; ++x) {
        const int32_t ix = x / lattice, iy = y / lattice;
        const int32_t tx = raster::SmoothRamp(x % lattice, 0, lattice),
                      ty = raster::SmoothRamp(y % lattice, 0, lattice);
        const int32_t top = corner(ix, iy) * (256 - tx) + corner(ix + 1, iy) * tx;
        const int32_t bottom = corner(ix, iy + 1) * (256 - tx) + corner(ix + 1, iy + 1) * tx;
        cell(x, y) += (top * (256 - ty) + bottom * ty) / 65536;
      }
    }
  };
  patches(32, 5, 70);
  patches(8, 3, 72);
  // Blades: short strokes leaning a little either way, darker at the root and lighter at the tip, each with
  // a shaded edge beside it so it stands up from the lawn.
  raster::Lcg rng(64);
  for (int i = 0; i < 520; ++i) {
    const int32_t x0 = rng.Range(0, n - 1), y0 = rng.Range(0, n - 1), length = rng.Range(3, 7);
    const int32_t lean = rng.Range(-2, 2), tone = rng.Range(0, 2) == 0 ? -1 : 1;
    for (int32_t s = 0; s < length; ++s) {
      const int32_t x = x0 + lean * s / length, y = y0 - s;
      const int32_t strength = 6 + 8 * s / length;
      cell(x, y) += tone * strength;
      cell(x + 1, y) -= strength / 2;
    }
  }
  Bitmap out;
  out.width = n;
  out.height = n;
  out.rgb.resize(static_cast<size_t>(n) * n);
  constexpr Rgb kBase = Hex(0x56983F);
  for (int32_t y = 0; y < n; ++y) {
    for (int32_t x = 0; x < n; ++x) {
      const int32_t speck = static_cast<int32_t>(raster::Hash2(x, y, 71) % 5) - 2;
      const int32_t d = std::clamp(cell(x, y) + speck, -24, 24);
      // Lighter grass turns a little yellow, darker a little blue, as lit and shaded grass does.
      out.rgb[static_cast<size_t>(y) * n + x] = raster::Pack({kBase.r + d * 3 / 4, kBase.g + d, kBase.b + d / 3});
    }
  }
  return out;
}
