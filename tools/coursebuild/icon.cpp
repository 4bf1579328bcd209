// The game's icon, painted with coursebuild's supersampling painter at each installed size.
#include "tools/coursebuild/icon.h"

#include <png.h>

#include <algorithm>
#include <span>

#include "tools/coursebuild/course_files.h"
#include "tools/coursebuild/raster.h"

namespace {

using raster::Hex;
using raster::Ink;
using raster::kOpaque;
using raster::Pt;
using raster::Rgb;

// Shapes are laid out on a 4096 x 4096 design square whatever the size; a sample's centre is mapped onto it.
constexpr int32_t kDesign = 4096;

// Inside the square [lo, hi]^2 with corners rounded to radius r.
bool InRoundedSquare(int32_t x, int32_t y, int32_t lo, int32_t hi, int32_t r) {
  if (x < lo || y < lo || x > hi || y > hi) return false;
  const int32_t cx = std::clamp(x, lo + r, hi - r), cy = std::clamp(y, lo + r, hi - r);
  return raster::InEllipse(x, y, cx, cy, r, r);
}

constexpr int32_t kTileLo = 128, kTileHi = kDesign - 128, kTileRadius = 720;
constexpr int32_t kFeltLo = 400, kFeltHi = kDesign - 400, kFeltRadius = 460;
constexpr int32_t kCupX = 1450, kCupY = 2760, kCupRx = 560, kCupRy = 300;
constexpr int32_t kPoleLeft = 1400, kPoleRight = 1520, kPoleTop = 520;
constexpr int32_t kBallX = 2700, kBallY = 2860, kBallR = 640;

bool InTile(int32_t x, int32_t y) { return InRoundedSquare(x, y, kTileLo, kTileHi, kTileRadius); }

// The wooden rail round the green, lit from the top left.
Ink Rail(int32_t x, int32_t y) {
  if (!InTile(x, y)) return {};
  const int32_t light = raster::Ramp(int64_t{kDesign} * 2 - x - y, 0, int64_t{kDesign} * 2);
  return {raster::Shade(raster::Mix(Hex(0x6b4222), Hex(0xb07a44), light), (raster::Hash2(x / 48, y / 160, 7) & 15) - 8),
          kOpaque};
}

// Felt: bright in the middle, darker toward the rail, with a fine grain that vanishes at small sizes.
Ink Felt(int32_t x, int32_t y) {
  if (!InRoundedSquare(x, y, kFeltLo, kFeltHi, kFeltRadius)) return {};
  const int32_t edge = std::min({x - kFeltLo, y - kFeltLo, kFeltHi - x, kFeltHi - y});
  const Rgb base = raster::Mix(Hex(0x1f6b2a), Hex(0x3fa34a), raster::SmoothRamp(edge, 0, 900));
  return {raster::Shade(base, static_cast<int32_t>(raster::Hash2(x / 40, y / 40, 3) % 13) - 6), kOpaque};
}

// The cup: a pale liner round a dark hole whose far wall catches the light.
Ink Cup(int32_t x, int32_t y) {
  if (!raster::InEllipse(x, y, kCupX, kCupY, kCupRx + 50, kCupRy + 36)) return {};
  if (!raster::InEllipse(x, y, kCupX, kCupY, kCupRx, kCupRy)) return {Hex(0xe4e6dc), kOpaque};
  const int32_t wall = raster::Ramp(y, kCupY - kCupRy, kCupY + kCupRy / 2);
  return {raster::Mix(Hex(0x0a120a), Hex(0x2a3a26), 256 - wall), kOpaque};
}

Ink Pole(int32_t x, int32_t y) {
  if (x < kPoleLeft || x > kPoleRight || y < kPoleTop || y > kCupY) return {};
  return {x < (kPoleLeft + kPoleRight) / 2 ? Hex(0xf4f4f0) : Hex(0xb8bab4), kOpaque};
}

// A red pennant with one fold across it.
Ink Flag(int32_t x, int32_t y) {
  static constexpr Pt kPennant[] = {{kPoleRight, 560}, {2100, 700},  {2500, 900},       {2950, 1020},
                                    {2450, 1200},      {2050, 1330}, {kPoleRight, 1480}};
  if (!raster::InPolygon(std::span<const Pt>(kPennant), x, y)) return {};
  const int32_t fold = raster::Sin1024((x - kPoleRight) * 3);  // one light and one dark band along the cloth
  return {raster::Shade(Hex(0xd42a26), fold * 28 / 1024), kOpaque};
}

Ink BallShadow(int32_t x, int32_t y) {
  const int32_t depth = raster::EllipseDepth(x, y, kBallX + 180, kBallY + 470, kBallR + 40, kBallR / 2);
  return depth > 0 ? Ink{Hex(0x000000), std::min(depth, 110)} : Ink{};
}

// The ball, lit from the top left, with dimples where the size can show them.
Ink Ball(int32_t x, int32_t y, bool dimpled) {
  if (!raster::InEllipse(x, y, kBallX, kBallY, kBallR, kBallR)) return {};
  const int64_t dx = x - (kBallX - 260), dy = y - (kBallY - 280);
  const int32_t lit = 256 - raster::SmoothRamp(dx * dx + dy * dy, 0, int64_t{kBallR + 300} * (kBallR + 300));
  Rgb color = raster::Mix(Hex(0x9aa4ae), Hex(0xffffff), lit);
  if (dimpled) {
    const int32_t cellX = ((x % 220) + 220) % 220 - 110, cellY = ((y % 220) + 220) % 220 - 110;
    if (cellX * cellX + cellY * cellY < 50 * 50) color = raster::Shade(color, -22);
  }
  return {color, kOpaque};
}

}  // namespace

IconPicture DrawIcon(int32_t side) {
  IconPicture icon;
  if (side <= 0 || side > 1024) return icon;
  raster::Canvas paint(side, side), cover(side, side);
  // Sample units to design units: a pixel is kUnit units wide and kDesign / side design units.
  auto design = [side](int32_t u) {
    return static_cast<int32_t>(int64_t{u} * kDesign / (int64_t{side} * raster::kUnit));
  };
  const bool dimpled = side >= 64;
  paint.PaintAll([&](int32_t ux, int32_t uy) {
    const int32_t x = design(ux), y = design(uy);
    // The layers from the bottom up; each covers what is below where it has ink.
    const Ink layers[] = {Rail(x, y), Felt(x, y), BallShadow(x, y),   Cup(x, y),
                          Pole(x, y), Flag(x, y), Ball(x, y, dimpled)};
    Rgb color;
    int32_t alpha = 0;
    for (const Ink& ink : layers) {
      if (ink.alpha <= 0) continue;
      color = alpha == 0 ? ink.color : raster::Mix(color, ink.color, ink.alpha);
      alpha = kOpaque;
    }
    return Ink{color, alpha};
  });
  cover.PaintAll([&](int32_t ux, int32_t uy) {
    return InTile(design(ux), design(uy)) ? Ink{Hex(0xffffff), kOpaque} : Ink{};
  });
  // The painting lies on black, so each pixel's colour is already multiplied by its coverage: divide it out.
  const Bitmap colors = paint.Downsample(), coverage = cover.Downsample();
  icon.side = side;
  icon.rgba.resize(static_cast<size_t>(side) * side * 4);
  for (size_t i = 0; i < colors.rgb.size(); ++i) {
    const uint32_t a = coverage.rgb[i] & 0xFF;
    for (int32_t k = 0; k < 3; ++k) {
      const uint32_t c = (colors.rgb[i] >> (16 - 8 * k)) & 0xFF;
      icon.rgba[4 * i + k] = static_cast<uint8_t>(a == 0 ? 0 : std::min<uint32_t>(255, (c * 255 + a / 2) / a));
    }
    icon.rgba[4 * i + 3] = static_cast<uint8_t>(a);
  }
  return icon;
}

std::vector<uint8_t> EncodeIconPng(const IconPicture& icon) {
  if (icon.side <= 0 || icon.rgba.size() != static_cast<size_t>(icon.side) * icon.side * 4) return {};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(icon.side);
  image.height = static_cast<png_uint_32>(icon.side);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  std::vector<uint8_t> bytes;
  // The first call measures, the second writes.
  if (png_image_write_to_memory(&image, nullptr, &size, 0, icon.rgba.data(), 0, nullptr)) {
    bytes.resize(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, icon.rgba.data(), 0, nullptr)) bytes.clear();
    bytes.resize(std::min<size_t>(bytes.size(), size));
  }
  png_image_free(&image);
  return bytes;
}

bool WriteIcons(const std::filesystem::path& dir, const std::string& name, std::string* error) {
  for (const int32_t side : kIconSizes) {
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    const std::vector<uint8_t> png = EncodeIconPng(DrawIcon(side));
    if (png.empty()) {
      *error = "cannot encode the " + size + " icon";
      return false;
    }
    if (WriteIfChanged(dir / size / "apps" / (name + ".png"), png, error) == WriteOutcome::Failed) return false;
  }
  return true;
}
