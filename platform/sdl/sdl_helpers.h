// The SDL backend's arithmetic, kept free of SDL so it can be tested on its own: text between UTF-8 (what
// SDL speaks) and Windows-1252 (what the game speaks), the letterboxed mapping between window pixels and
// the 640x480 game picture, and finding and scaling what changed on the screen.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/draw/text_encoding.h"
#include "platform/win.h"

namespace sdlbits {

// The Windows-1252 byte of a typed character, or -1 when it has none. Control characters have none: keys
// such as Return and Backspace reach the game as key messages, not as typed text.
inline int32_t CodePointToCp1252(uint32_t cp) {
  const int32_t b = UnicodeToCp1252(cp);
  const bool control = b < 0x20 || b == 0x7F ||
                       (b >= 0x80 && b < 0xA0 && Cp1252ToUnicode(static_cast<uint8_t>(b)) == static_cast<uint32_t>(b));
  return control ? -1 : b;
}

// Typed text as the game's bytes; whatever has no Windows-1252 byte is left out.
inline std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  for (size_t pos = 0; pos < text.size();) {
    const int64_t cp = DecodeUtf8(text, &pos);
    if (cp < 0) continue;
    const int32_t b = CodePointToCp1252(static_cast<uint32_t>(cp));
    if (b >= 0) out.push_back(static_cast<char>(b));
  }
  return out;
}

inline bool IsUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    if (DecodeUtf8(text, &pos) < 0) return false;
  }
  return true;
}

// Game text for SDL. Text that already reads as UTF-8 (plain ASCII included) is passed through untouched,
// so a caller that wrote UTF-8 literals is not mangled; anything else is read as Windows-1252. The five
// unused bytes become U+FFFD.
inline std::string GameTextToUtf8(std::string_view text) {
  if (IsUtf8(text)) return std::string(text);
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<uint8_t>(c);
    const uint32_t cp = Cp1252ToUnicode(b);
    AppendUtf8(&out, b >= 0x80 && b < 0xA0 && cp == b ? 0xFFFD : cp);
  }
  return out;
}

// RGB565 pixels as 0x00RRGGBB, each channel widened by repeating its top bits (pure white stays white),
// the same widening as Color565ToRgb.
inline void ExpandRgb565(const uint16_t* src, uint32_t* dst, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = src[i];
    const uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
    dst[i] = (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
  }
}

// Where a picture of pictureW x pictureH lands in a window, scaled to fit with its aspect kept and centred,
// the rest left as black bars. Reckoned as SDL's logical size reckons it, so warping the cursor and reading
// it back agree.
struct Letterbox {
  float scale = 1;
  int32_t x = 0;  // the picture's top left, in window pixels
  int32_t y = 0;
};

inline Letterbox FitPicture(int32_t windowW, int32_t windowH, int32_t pictureW, int32_t pictureH) {
  Letterbox box;
  if (windowW <= 0 || windowH <= 0 || pictureW <= 0 || pictureH <= 0) return box;
  const float sx = static_cast<float>(windowW) / static_cast<float>(pictureW);
  const float sy = static_cast<float>(windowH) / static_cast<float>(pictureH);
  box.scale = std::min(sx, sy);
  const auto shownW = static_cast<int32_t>(static_cast<float>(pictureW) * box.scale);
  const auto shownH = static_cast<int32_t>(static_cast<float>(pictureH) * box.scale);
  box.x = (windowW - shownW) / 2;
  box.y = (windowH - shownH) / 2;
  return box;
}

// A window pixel as a picture pixel, clamped onto the picture (a click on a bar counts at its edge).
// Divides as SDL does for its logical size: float, truncated.
inline POINT WindowToPicture(const Letterbox& box, int32_t wx, int32_t wy, int32_t pictureW, int32_t pictureH) {
  const auto px = static_cast<int32_t>(static_cast<float>(wx - box.x) / box.scale);
  const auto py = static_cast<int32_t>(static_cast<float>(wy - box.y) / box.scale);
  return POINT{std::clamp(px, 0, pictureW - 1), std::clamp(py, 0, pictureH - 1)};
}

// A window pixel that reads back as the given picture pixel: the one under the picture pixel's middle,
// moved in the few cases where float rounding in the reading back would tip it into a neighbour.
inline int32_t PictureToWindowAxis(float scale, int32_t origin, int32_t p) {
  const auto back = [scale](int32_t w) { return static_cast<int32_t>(static_cast<float>(w) / scale); };
  auto w = static_cast<int32_t>((static_cast<float>(p) + 0.5f) * scale);
  while (back(w) < p && back(w + 1) <= p) ++w;
  while (w > 0 && back(w) > p && back(w - 1) >= p) --w;
  return origin + w;
}

inline POINT PictureToWindow(const Letterbox& box, int32_t px, int32_t py) {
  return POINT{PictureToWindowAxis(box.scale, box.x, px), PictureToWindowAxis(box.scale, box.y, py)};
}

// ---- Showing the picture in the window ----------------------------------------------------------------------

// Compares the picture with what the window shows, copies what changed into shown, and returns it as one
// rectangle (picture pixels) per band of bandRows rows that changed: a ball and a flag far apart stay two
// small rectangles.
inline std::vector<RECT> TakeChangedBands(const uint16_t* picture, uint16_t* shown, int32_t width, int32_t height,
                                          int32_t bandRows) {
  std::vector<RECT> bands;
  for (int32_t top = 0; top < height; top += bandRows) {
    RECT r{width, height, 0, 0};
    for (int32_t y = top; y < std::min(height, top + bandRows); ++y) {
      const uint16_t* a = picture + static_cast<size_t>(y) * width;
      const uint16_t* b = shown + static_cast<size_t>(y) * width;
      if (std::memcmp(a, b, sizeof(uint16_t) * width) == 0) continue;
      int32_t left = 0, right = width;
      while (a[left] == b[left]) ++left;
      while (a[right - 1] == b[right - 1]) --right;
      r = RECT{std::min(r.left, left), std::min(r.top, y), std::max(r.right, right), y + 1};
    }
    if (r.left >= r.right) continue;
    for (int32_t y = r.top; y < r.bottom; ++y) {
      const size_t row = static_cast<size_t>(y) * width;
      std::copy(picture + row + r.left, picture + row + r.right, shown + row + r.left);
    }
    bands.push_back(r);
  }
  return bands;
}

// One axis of the letterboxed picture: which picture pixel each window pixel shows (the one under the window
// pixel's centre, as a scaling renderer samples), and the first window pixel of each.
struct ScaleAxis {
  int32_t origin = 0;           // the window pixel where the picture starts
  std::vector<int32_t> source;  // per window pixel from origin: the picture pixel shown there
  std::vector<int32_t> first;   // per picture pixel, and one past the last: its first window pixel from origin
};

inline ScaleAxis MakeScaleAxis(float scale, int32_t origin, int32_t pictureSize) {
  ScaleAxis a;
  a.origin = origin;
  const auto shown = static_cast<int32_t>(static_cast<float>(pictureSize) * scale);
  a.first.assign(static_cast<size_t>(pictureSize) + 1, shown);
  for (int32_t w = 0; w < shown; ++w) {
    const int32_t p = std::min(static_cast<int32_t>((static_cast<float>(w) + 0.5f) / scale), pictureSize - 1);
    a.source.push_back(p);
    if (a.first[p] == shown) a.first[p] = w;
  }
  // A picture pixel no window pixel shows (a window smaller than the picture) starts where the next one does.
  for (int32_t p = pictureSize - 1; p >= 0; --p) a.first[p] = std::min(a.first[p], a.first[p + 1]);
  return a;
}

// The window's pixel for each 16-bit picture colour: channels widened as ExpandRgb565 does, then placed at
// the window format's shifts (after dropping its lost low bits), with its alpha bits set.
struct WindowFormat {
  uint32_t rShift = 16, gShift = 8, bShift = 0;
  uint32_t rLoss = 0, gLoss = 0, bLoss = 0;
  uint32_t alpha = 0;
};

inline std::vector<uint32_t> MakeColourTable(const WindowFormat& f) {
  std::vector<uint32_t> table(65536);
  for (uint32_t p = 0; p < table.size(); ++p) {
    const auto c = static_cast<uint16_t>(p);
    uint32_t rgb = 0;
    ExpandRgb565(&c, &rgb, 1);
    table[p] = (((rgb >> 16) & 255) >> f.rLoss << f.rShift) | (((rgb >> 8) & 255) >> f.gLoss << f.gShift) |
               ((rgb & 255) >> f.bLoss << f.bShift) | f.alpha;
  }
  return table;
}

// Draws the picture rectangle r scaled into the window's pixels (P is the window's pixel type) and returns
// the window rectangle it covered, as x, y, width, height.
template <typename P>
RECT ScaleIntoWindow(const uint16_t* picture, int32_t pictureWidth, const RECT& r, const ScaleAxis& ax,
                     const ScaleAxis& ay, const std::vector<uint32_t>& colours, uint8_t* window, int32_t pitch) {
  const int32_t x0 = ax.first[r.left], x1 = ax.first[r.right];
  const int32_t y0 = ay.first[r.top], y1 = ay.first[r.bottom];
  const P* previous = nullptr;
  int32_t previousSource = -1;
  for (int32_t y = y0; y < y1; ++y) {
    P* out = reinterpret_cast<P*>(window + static_cast<ptrdiff_t>(ay.origin + y) * pitch) + ax.origin;
    const int32_t sy = ay.source[y];
    if (sy == previousSource) {  // a picture row shown on several window rows is scaled once
      std::memcpy(out + x0, previous + x0, sizeof(P) * static_cast<size_t>(x1 - x0));
      continue;
    }
    const uint16_t* in = picture + static_cast<size_t>(sy) * pictureWidth;
    for (int32_t x = x0; x < x1; ++x) out[x] = static_cast<P>(colours[in[ax.source[x]]]);
    previous = out;
    previousSource = sy;
  }
  return RECT{ax.origin + x0, ay.origin + y0, x1 - x0, y1 - y0};
}

}  // namespace sdlbits
