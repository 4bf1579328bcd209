// The figures. Each is a stack of shapes tested at 4 x 4 points a pixel; a point takes the colour of the
// topmost shape holding it. A keyed sprite keeps the pixels at least half covered, with a darker rim so it reads
// on any ground; the butterfly, copied without key, is blended into the flower bed it is copied over.
#include "tools/coursebuild/figures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/raster.h"
#include "tools/coursebuild/texture.h"

using paint::Col;
using paint::Hex;
using paint::Light;
using paint::Mix;
using paint::SmoothStep;
using paint::Vec;

namespace {

constexpr float kPi = 3.14159265f;
constexpr uint32_t kKey = 0xFF00FF;
constexpr int32_t kSub = 4;

struct Shape {
  std::function<bool(Vec)> inside;
  std::function<Col(Vec)> colour;
};
using Shapes = std::vector<Shape>;

// What a stack of shapes leaves on each pixel: the mean colour of its covered points, and how many are covered.
struct Painted {
  int32_t width = 0, height = 0;
  std::vector<Col> colour;
  std::vector<float> cover;  // 0..1
  size_t Index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width + x; }
  bool Solid(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < width && y < height && cover[Index(x, y)] >= 0.5f;
  }
};

Painted Paint(int32_t width, int32_t height, const Shapes& shapes) {
  Painted out{width, height, std::vector<Col>(static_cast<size_t>(width) * height),
              std::vector<float>(static_cast<size_t>(width) * height)};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      Col sum;
      int32_t covered = 0;
      for (int32_t sy = 0; sy < kSub; ++sy)
        for (int32_t sx = 0; sx < kSub; ++sx) {
          const Vec p{static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSub,
                      static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSub};
          for (auto s = shapes.rbegin(); s != shapes.rend(); ++s)
            if (s->inside(p)) {
              sum = sum + s->colour(p);
              ++covered;
              break;
            }
        }
      const size_t i = out.Index(x, y);
      out.cover[i] = static_cast<float>(covered) / (kSub * kSub);
      if (covered > 0) out.colour[i] = sum * (1.0f / static_cast<float>(covered));
    }
  return out;
}

Col ToCol(uint32_t rgb) { return Hex(rgb & 0xFFFFFF); }

uint32_t& At(Bitmap& b, int32_t x, int32_t y) { return b.rgb[static_cast<size_t>(y) * b.width + x]; }

Bitmap Blank(int32_t width, int32_t height) {
  return Bitmap{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, kKey)};
}

// Into a keyed sheet at (left, top). Rim pixels darken by `rim`, half as much on the lit upper left.
void PutKeyed(Bitmap& sheet, int32_t left, int32_t top, const Painted& p, float rim) {
  for (int32_t y = 0; y < p.height; ++y)
    for (int32_t x = 0; x < p.width; ++x) {
      if (!p.Solid(x, y)) {
        At(sheet, left + x, top + y) = kKey;
        continue;
      }
      Col c = p.colour[p.Index(x, y)];
      if (!p.Solid(x + 1, y) || !p.Solid(x, y + 1))
        c = Light(c, -rim);
      else if (!p.Solid(x - 1, y) || !p.Solid(x, y - 1))
        c = Light(c, -rim / 2);
      const uint32_t v = paint::Dither565At(c, left + x, top + y);
      At(sheet, left + x, top + y) = v == kKey ? 0xFF04FF : v;  // never the key inside a figure
    }
}

// Light from the top left and above, as on the greens; `gloss` is the strength of the highlight.
Col Lit(Col base, float nx, float ny, float nz, float gloss) {
  const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (len <= 0) return base;
  nx /= len, ny /= len, nz /= len;
  constexpr float lx = -0.48f, ly = -0.56f, lz = 0.675f;    // toward the light, unit length
  constexpr float hx = -0.262f, hy = -0.306f, hz = 0.915f;  // halfway between the light and the eye
  const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
  float spec = std::max(0.0f, nx * hx + ny * hy + nz * hz);
  spec *= spec, spec *= spec, spec *= spec, spec *= spec;  // ^16
  return Light(base * (0.45f + 0.68f * diffuse), gloss * spec);
}

// The normal of a rounded bump: q is the offset from its middle over its radius, turned by (ux, uy) to the screen.
Col Bulged(Col base, Vec q, Vec u, float gloss) {
  const float r2 = std::min(1.0f, q.x * q.x + q.y * q.y);
  return Lit(base, q.x * u.x - q.y * u.y, q.x * u.y + q.y * u.x, std::sqrt(1 - r2) * 1.3f + 0.05f, gloss);
}

bool InEllipse(Vec p, Vec c, float rx, float ry) {
  const float dx = (p.x - c.x) / rx, dy = (p.y - c.y) / ry;
  return dx * dx + dy * dy < 1;
}

// A point of the screen in a figure's own frame: a along its heading, b to its right.
struct Frame {
  Vec centre, u;
  float scale = 1;
  Vec Local(Vec p) const {
    const float dx = (p.x - centre.x) / scale, dy = (p.y - centre.y) / scale;
    return {dx * u.x + dy * u.y, -dx * u.y + dy * u.x};
  }
};

Vec Heading(float radians) { return {std::cos(radians), std::sin(radians)}; }

// ---- Balls -------------------------------------------------------------------------------------------------

struct BallLook {
  Col base, spot;
};

BallLook BallColours(int32_t player) {
  static constexpr std::array<uint32_t, 8> kBase = {0xF2F0EA, 0xF4CC2C, 0xD8362A, 0x3A5CE0,
                                                    0xF07CBC, 0x8A48CC, 0xF48A1E, 0x2CC4D2};
  const Col base = Hex(kBase[static_cast<size_t>(std::clamp(player, 1, 8) - 1)]);
  const bool light = base.r * 0.3f + base.g * 0.59f + base.b * 0.11f > 170;
  return {base, light ? Mix(base, Hex(0x1C3C8C), 0.85f) : Light(base, -0.6f)};
}

// A ball of radius r at c, rolled by `turn` radians toward u. Its marks, a spot on each pole and a band round
// the equator, look the same after half a turn about any level axis, so the rolling frames of every direction
// join the resting one seamlessly.
Shape Ball(Vec c, float r, Vec u, float turn, BallLook look, float dim) {
  return {[=](Vec p) { return (p.x - c.x) * (p.x - c.x) + (p.y - c.y) * (p.y - c.y) < r * r; },
          [=](Vec p) {
            const float vx = (p.x - c.x) / r, vy = (p.y - c.y) / r;
            const float vz = std::sqrt(std::max(0.0f, 1 - vx * vx - vy * vy));
            const float along = vx * u.x + vy * u.y;
            const float bodyZ = along * std::sin(turn) + vz * std::cos(turn);
            const float pole = std::abs(bodyZ);
            const Col base = pole > 0.9f ? look.spot : pole < 0.11f ? Mix(look.base, look.spot, 0.6f) : look.base;
            return Lit(base * dim, vx, vy, vz, 0.6f);
          }};
}

// A four-pointed glint one pixel wide, centred on pixel (x, y).
Shape Glint(int32_t x, int32_t y, int32_t arm, Col colour) {
  return {[=](Vec p) {
            const float dx = std::abs(p.x - static_cast<float>(x) - 0.5f),
                        dy = std::abs(p.y - static_cast<float>(y) - 0.5f);
            return (dx < 0.5f && dy < static_cast<float>(arm) + 0.5f) ||
                   (dy < 0.5f && dx < static_cast<float>(arm) + 0.5f);
          },
          [=](Vec) { return colour; }};
}

void PutBall(Bitmap& sheet, int32_t row, int32_t column, const Shapes& shapes) {
  PutKeyed(sheet, 11 * column, 11 * row, Paint(11, 11, shapes), 0.22f);
}

// ---- Flag --------------------------------------------------------------------------------------------------

// Frame k of the flag: the cloth's folds run from the pole to the fly an eighth of a wave further each frame.
Shapes FlagFrame(int32_t k) {
  constexpr float kPole = 3, kLength = 38, kTop = 5, kDepth = 20;
  const float phase = static_cast<float>(k) * 2 * kPi / 8;
  auto wave = [=](float x) {
    const float s = (x - kPole) / kLength;
    return std::sin(2 * kPi * 1.25f * s - phase) * 3.2f * s + 1.5f * s;  // the fly droops a little
  };
  Shapes shapes;
  shapes.push_back({[=](Vec p) { return p.x >= 1 && p.x < 3 && p.y >= 3 && p.y < 64; },
                    [](Vec p) { return p.x < 2 ? Hex(0xF4F4F0) : Hex(0x9C9C98); }});
  shapes.push_back({[](Vec p) {
                      return InEllipse(p, {2, 2.4f}, 1.9f, 1.9f);
                    },
                    [](Vec p) {
                      return Bulged(Hex(0xE0B030), {(p.x - 2) / 1.9f, (p.y - 2.4f) / 1.9f}, {1, 0}, 0.7f);
                    }});
  shapes.push_back({[=](Vec p) {
                      const float top = kTop + wave(p.x);
                      const float s = (p.x - kPole) / kLength;
                      return p.x >= kPole && s < 1 && p.y >= top && p.y < top + kDepth * (1 - 0.12f * s);
                    },
                    [=](Vec p) {
                      const float s = (p.x - kPole) / kLength;
                      const float fold = std::cos(2 * kPi * 1.25f * s - phase) * s;  // the slope of the cloth
                      const float t = (p.y - kTop - wave(p.x)) / kDepth;
                      Col c = Light(Hex(0xD42A30), -0.6f * fold);
                      if (p.x < kPole + 2) c = Light(c, -0.25f);  // the sleeve round the pole
                      return Light(c, t < 0.1f ? 0.15f : 0.0f);
                    }});
  return shapes;
}

// ---- Butterfly ---------------------------------------------------------------------------------------------

// A peacock butterfly: rust wings, a blue-ringed eye on each. Wing outlines are (a, b) in its frame, b outward.
constexpr std::array<Vec, 7> kForewing = {
    {{4, 0.6f}, {9, 7}, {10.5f, 12.5f}, {8.5f, 15.5f}, {3, 15}, {-1.5f, 11}, {-1, 0.6f}}};
constexpr std::array<Vec, 6> kHindwing = {{{0.5f, 0.6f}, {-1, 9}, {-4, 13}, {-9, 11.5f}, {-12, 6}, {-10, 0.6f}}};

Col Eyespot(Vec w, Vec eye, std::initializer_list<std::pair<float, uint32_t>> rings, Col outside) {
  const float r = paint::Length(w.x - eye.x, w.y - eye.y);
  for (const auto& [radius, colour] : rings)
    if (r < radius) return Hex(colour);
  return outside;
}

Col ForewingColour(Vec w, float edge) {
  Col c = Mix(Hex(0x4A1C14), Hex(0xB83A20), SmoothStep(1, 6, w.y));
  if (InEllipse(w, {8.6f, 8.8f}, 1.3f, 2.4f)) c = Hex(0xE2CC92);  // the pale bar on the leading edge
  if (edge > -1.4f && w.y > 8) c = Hex(0x3C2A24);                 // the dark outer margin
  c = Eyespot(w, {6, 12.2f}, {{1.0f, 0x1A1418}, {2.0f, 0x6C7ACC}, {2.8f, 0xE8D28C}, {3.3f, 0x301C1C}}, c);
  return edge > -0.6f ? Light(c, -0.35f) : c;
}

Col HindwingColour(Vec w, float edge) {
  Col c = Mix(Hex(0x4A1C14), Hex(0xAC3420), SmoothStep(1, 5, w.y));
  if (edge > -1.8f && w.y > 5) c = Hex(0x3A2622);
  const float r = paint::Length(w.x + 7, w.y - 7.5f);
  if (r < 1.8f)
    c = raster::Hash2(static_cast<int32_t>(w.x * 2), static_cast<int32_t>(w.y * 2), 7) % 3 ? Hex(0x141014)
                                                                                           : Hex(0x4656B0);
  else if (r < 2.9f)
    c = Hex(0x8C8E9A);
  else if (r < 3.5f)
    c = Hex(0x241818);
  return edge > -0.6f ? Light(c, -0.35f) : c;
}

// The butterfly at `centre` facing `heading`, its wings lifted by `lift` radians (0 flat open), shifted by
// `shift` (its shadow is the same shapes moved down and right).
Shapes Butterfly(Vec centre, float heading, float lift, float feelers, Vec shift) {
  const Frame f{{centre.x + shift.x, centre.y + shift.y}, Heading(heading), 1};
  const float fold = std::max(std::cos(lift), 0.05f);
  Shapes shapes;
  auto wing = [&](auto outline, Col (*colour)(Vec, float), float side) {
    auto unfolded = [=](Vec p) {
      const Vec l = f.Local(p);
      return Vec{l.x, (l.y * side - 0.6f) / fold + 0.6f};
    };
    shapes.push_back({[=](Vec p) { return paint::PolygonDistance(unfolded(p), outline) < 0; },
                      [=](Vec p) {
                        const Vec w = unfolded(p);
                        // A lifted wing turns its face toward the other side.
                        const float nx = -side * 0.6f * std::sin(lift);
                        return Lit(colour(w, paint::PolygonDistance(w, outline)), -nx * f.u.y, nx * f.u.x,
                                   std::cos(lift), 0.15f);
                      }});
  };
  for (const float side : {-1.0f, 1.0f}) wing(kHindwing, HindwingColour, side);
  for (const float side : {-1.0f, 1.0f}) wing(kForewing, ForewingColour, side);
  auto part = [&](Vec c, float ra, float rb) {
    shapes.push_back({[=](Vec p) { return InEllipse(f.Local(p), c, ra, rb); },
                      [=](Vec p) {
                        const Vec l = f.Local(p);
                        return Bulged(Hex(0x3A2C26), {(l.x - c.x) / ra, (l.y - c.y) / rb}, f.u, 0.35f);
                      }});
  };
  part({-4.5f, 0}, 5.5f, 1.3f);
  part({1.5f, 0}, 2.6f, 1.8f);
  part({4.6f, 0}, 1.4f, 1.4f);
  for (const float side : {-1.0f, 1.0f}) {
    const Vec root{5.4f, 0.5f * side}, tip{10.5f, (3.0f + feelers) * side};
    shapes.push_back({[=](Vec p) {
                        const Vec l = f.Local(p);
                        return paint::SegmentDistance(l, root, tip, nullptr) < 0.3f || InEllipse(l, tip, 0.7f, 0.7f);
                      },
                      [](Vec) { return Hex(0x2A201C); }});
  }
  return shapes;
}

// How far the wings are lifted in frame i: two beats between rests.
float Lift(int32_t frame) {
  if (frame % 15 == 0) return 0;
  const float s = std::sin(kPi * static_cast<float>(frame) / 7.5f);
  return 1.4f * s * s;
}

// ---- Duck and tubs -----------------------------------------------------------------------------------------

constexpr Col kDuckWhite = Hex(0xFFFCF0);
constexpr Col kBill = Hex(0xF5961E);

// A white farm duck seen from above, its back (where the ball rides) at `centre`.
void AddDuck(Shapes& shapes, Vec centre, float heading, float scale) {
  const Frame f{centre, Heading(heading), scale};
  constexpr Vec kHead{8, 0};
  // The head's shadow falls on the neck down and to the right of the screen, whichever way the duck faces.
  const Vec shadow{kHead.x + 1.3f * (f.u.x + f.u.y), kHead.y + 1.3f * (f.u.x - f.u.y)};
  auto blob = [&](Vec c, float ra, float rb, std::function<Col(Vec)> colour, float gloss) {
    shapes.push_back({[=](Vec p) { return InEllipse(f.Local(p), c, ra, rb); },
                      [=](Vec p) {
                        const Vec l = f.Local(p);
                        return Bulged(colour(l), {(l.x - c.x) / ra, (l.y - c.y) / rb}, f.u, gloss);
                      }});
  };
  auto plumage = [=](Vec l) {
    Col c = kDuckWhite;
    for (const float side : {-1.0f, 1.0f}) {  // the folded wings' edges, their long feathers over the tail
      const float dx = (l.x + 4.5f) / 8.5f, dy = (l.y - 3.6f * side) / 3.3f, e = dx * dx + dy * dy;
      if (e > 0.7f && e < 1 && l.x < 2) c = Light(c, -0.2f);
    }
    if (l.x < -9) c = Light(c, -0.12f);
    return paint::Length(l.x - shadow.x, l.y - shadow.y) < 4.3f ? Light(c, -0.16f) : c;
  };
  blob({-11.5f, 0}, 3.4f, 2.4f, plumage, 0.2f);  // the tail
  blob({-2.5f, 0}, 10.5f, 7.3f, plumage, 0.3f);
  blob(
      {12.3f, 0}, 2.8f, 2.1f, [](Vec) { return kBill; }, 0.5f);
  blob(
      kHead, 4.3f, 4.3f,
      [](Vec l) {
        const bool eye = paint::Length(l.x - 8.9f, std::abs(l.y) - 2.7f) < 0.95f;
        return eye ? Hex(0x101010) : kDuckWhite;
      },
      0.3f);
}

// The tub's water, darker away from the light, in the rim's shadow along its top and left, with `ripples`.
Col Water(Vec p, const std::vector<float>& ripples) {
  Col c = Mix(Hex(0x2E7090), Hex(0x1C4A64), SmoothStep(4, 28, p.y + 0.5f * p.x));
  c = c * (1 - 0.3f * (1 - SmoothStep(4, 7, std::min(p.x, p.y))));
  for (const float r : ripples)  // broken rings, as ripples are
    if (std::abs(paint::Length(p.x - 16, p.y - 16) - r) < 0.55f && paint::Noise(p.x * 0.4f, p.y * 0.4f, 5) > -0.25f)
      c = Light(c, 0.25f);
  return c;
}

// A wooden tub of water, with a slipway on the west where the lane meets it.
void AddTub(Shapes& shapes, const std::vector<float>& ripples) {
  shapes.push_back({[](Vec) { return true; }, [=](Vec p) { return Water(p, ripples); }});
  shapes.push_back({[](Vec p) { return p.x < 4 || p.y < 4 || p.x >= 28 || p.y >= 28; },
                    [](Vec p) {
                      const bool across = p.y < 4 || p.y >= 28;  // planks run along each side
                      const float along = across ? p.x : p.y, into = across ? p.y : p.x;
                      const float depth = into < 16 ? into : 32 - into;  // 0 at the outer edge, 4 at the inner
                      Col c = Light(Hex(0x8C5C34), 0.12f * paint::Noise(along * 0.5f, into * 2.5f, 31));
                      if (static_cast<int32_t>(along) % 11 == 10) c = Light(c, -0.35f);  // joints between planks
                      // Edges facing north or west catch the light, those facing south or east are in shade.
                      const bool outerLit = into < 16;
                      if (depth < 1) c = Light(c, outerLit ? 0.35f : -0.35f);
                      if (depth >= 3) c = Light(c, outerLit ? -0.35f : 0.3f);
                      return c;
                    }});
  shapes.push_back({[](Vec p) { return p.x < 8 && p.y >= 10 && p.y < 22; },
                    [=](Vec p) {
                      Col c = Light(Hex(0xAE7E4E), -0.06f * p.x);  // running down into the water
                      if (static_cast<int32_t>(p.x) % 3 == 2) c = Light(c, -0.3f);
                      if (p.y < 11) c = Light(c, 0.3f);
                      if (p.y >= 21) c = Light(c, -0.35f);
                      return Mix(c, Water(p, ripples), SmoothStep(4, 8, p.x));
                    }});
}

}  // namespace

Bitmap DrawBallSheet(int32_t player) {
  const BallLook look = BallColours(player);
  constexpr Vec kMiddle{5.5f, 5.5f};
  constexpr float kRadius = 5.3f;
  Bitmap sheet = Blank(99, 99);
  for (int32_t row = 0; row < 8; ++row)
    for (int32_t column = 0; column < 9; ++column)  // a falling column rolls the ball forward a tenth of a turn
      PutBall(sheet, row, column,
              {Ball(kMiddle, kRadius, Heading(static_cast<float>(row) * kPi / 8),
                    static_cast<float>(9 - column) * kPi / 10, look, 1)});
  const Shape rest = Ball(kMiddle, kRadius, {1, 0}, 0, look, 1);
  // Under the cursor the ball is lifted: smaller, with its shadow beside it.
  PutBall(sheet, 8, 0,
          {{[](Vec p) {
              return InEllipse(p, {6.6f, 6.6f}, 4.4f, 4.4f);
            },
            [](Vec) { return Hex(0x1E2A1E); }},
           Ball({4.9f, 4.9f}, 4.5f, {1, 0}, 0, look, 1)});
  PutBall(sheet, 8, 1, {rest});
  PutBall(sheet, 8, 8, {rest});
  for (int32_t i = 0; i < 3; ++i) {  // dropping away: smaller and darker each frame
    const float k = static_cast<float>(i);
    PutBall(sheet, 8, 2 + i, {Ball(kMiddle, 4.6f - 0.95f * k, {0, 1}, 0.4f * (k + 1), look, 0.8f - 0.2f * k)});
  }
  // Teleporting: the ball pales and shrinks into glints that spread and thin out.
  const Col glint = Light(look.base, 0.75f);
  PutBall(sheet, 8, 5,
          {Ball(kMiddle, 4.8f, {1, 0}, 0, {Light(look.base, 0.35f), look.spot}, 1), Glint(1, 2, 1, glint),
           Glint(9, 8, 1, glint)});
  PutBall(sheet, 8, 6,
          {Ball(kMiddle, 3.2f, {1, 0}, 0, {Light(look.base, 0.6f), glint}, 1), Glint(1, 1, 1, glint),
           Glint(9, 3, 1, glint), Glint(2, 9, 1, glint), Glint(8, 9, 0, glint)});
  PutBall(sheet, 8, 7,
          {Glint(5, 5, 1, glint), Glint(1, 0, 0, glint), Glint(10, 2, 0, glint), Glint(0, 8, 0, glint),
           Glint(8, 10, 0, glint)});
  return sheet;
}

Bitmap DrawFlagSheet() {
  Bitmap sheet = Blank(512, 64);
  for (int32_t k = 0; k < 8; ++k) PutKeyed(sheet, 64 * k, 0, Paint(64, 64, FlagFrame(k)), 0.25f);
  return sheet;
}

Bitmap DrawButterflySheet(const Bitmap& bed, int32_t left, int32_t top) {
  Bitmap sheet{kButterflySide * kButterflyFrames, kButterflySide,
               std::vector<uint32_t>(static_cast<size_t>(kButterflySide * kButterflyFrames) * kButterflySide)};
  constexpr Vec kCentre{20, 20.5f};
  const float heading = -kPi / 2 + 0.35f;  // head to the north-north-east
  for (int32_t i = 0; i < kButterflyFrames; ++i) {
    const float lift = Lift(i), feelers = lift > 0 ? 0.8f * std::sin(static_cast<float>(i) * 1.7f) : 0;
    const Painted body = Paint(kButterflySide, kButterflySide, Butterfly(kCentre, heading, lift, feelers, {0, 0}));
    const Painted shadow =
        Paint(kButterflySide, kButterflySide, Butterfly(kCentre, heading, lift, feelers, {1.5f, 1.8f + 1.5f * lift}));
    for (int32_t y = 0; y < kButterflySide; ++y)
      for (int32_t x = 0; x < kButterflySide; ++x) {
        const int32_t bx = left + x, by = top + y;
        const bool onBed = bx >= 0 && by >= 0 && bx < bed.width && by < bed.height;
        const uint32_t under = onBed ? bed.rgb[static_cast<size_t>(by) * bed.width + bx] : 0xC0C0C0;
        const float shade = 0.35f * shadow.cover[shadow.Index(x, y)], cover = body.cover[body.Index(x, y)];
        uint32_t& out = At(sheet, kButterflySide * i + x, y);
        out = under;
        if (shade > 0 || cover > 0)
          out = paint::Dither565At(Mix(ToCol(under) * (1 - shade), body.colour[body.Index(x, y)], cover), bx, by);
      }
  }
  return sheet;
}

Bitmap DrawDuckSheet() {
  Bitmap sheet = Blank(640, kDuckSide);
  constexpr Vec kBack{16.5f, 16.5f};  // where the ball is drawn over the duck
  for (int32_t d = 0; d < 8; ++d) {
    Shapes duck;
    AddDuck(duck, kBack, static_cast<float>(d) * kPi / 4, 1);
    PutKeyed(sheet, 64 * d, 0, Paint(kDuckSide, kDuckSide, duck), 0.4f);
  }
  const struct {
    int32_t x;
    bool duck;
    std::vector<float> rings;
  } tubs[] = {{kTopTubEmpty, false, {5, 9.5f}},
              {kTopTubDuck, true, {}},
              {kBottomTubEmpty, false, {}},
              {kBottomTubDuck, true, {12.5f}}};
  for (const auto& tub : tubs) {
    Shapes shapes;
    AddTub(shapes, tub.rings);
    if (tub.duck) AddDuck(shapes, {17, 16}, kPi, 0.66f);  // afloat, facing the lane
    PutKeyed(sheet, tub.x, 0, Paint(kDuckSide, kDuckSide, shapes), 0);
  }
  return sheet;
}

void PlaceFigureAtRest(int32_t hole, Bitmap& picture) {
  auto place = [&](const Bitmap& sheet, int32_t sx, int32_t side, int32_t left, int32_t top) {
    for (int32_t y = 0; y < side; ++y)
      for (int32_t x = 0; x < side; ++x)
        if (left + x < picture.width && top + y < picture.height)
          At(picture, left + x, top + y) = sheet.rgb[static_cast<size_t>(y) * sheet.width + sx + x];
  };
  if (hole == 16) place(DrawButterflySheet(picture), 0, kButterflySide, kButterflyLeft, kButterflyTop);
  if (hole == 18) {
    const Bitmap ducks = DrawDuckSheet();
    place(ducks, kTopTubDuck, kDuckSide, kTubLeft, kTopTubTop);
    place(ducks, kBottomTubEmpty, kDuckSide, kTubLeft, kBottomTubTop);
  }
}

bool WriteCourseSprites(const std::filesystem::path& gameDir, const Bitmap& hole16Bed, std::string* error) {
  if (hole16Bed.width < kButterflyLeft + kButterflySide || hole16Bed.height < kButterflyTop + kButterflySide) {
    *error = "hole 16's picture is " + std::to_string(hole16Bed.width) + " x " + std::to_string(hole16Bed.height) +
             ", too small to hold the butterfly's flower bed";
    return false;
  }
  auto save = [&](const std::filesystem::path& path, const Bitmap& picture) {
    const std::vector<uint8_t> bytes = EncodeBmp24(picture);
    if (bytes.empty()) *error = path.string() + ": cannot be encoded";
    return !bytes.empty() && WriteIfChanged(path, bytes, error) != WriteOutcome::Failed;
  };
  const std::filesystem::path holes = gameDir / "Holes", balls = gameDir / "Balls";
  if (!save(holes / "buttfly.bmp", DrawButterflySheet(hole16Bed)) || !save(holes / "ducky.bmp", DrawDuckSheet()))
    return false;
  for (int32_t player = 1; player <= 8; ++player)
    if (!save(balls / ("Ball" + std::to_string(player) + ".bmp"), DrawBallSheet(player))) return false;
  return save(balls / "Flag.bmp", DrawFlagSheet());
}
