// The SDL backend's arithmetic, kept free of SDL so it can be tested on its own: text between UTF-8 (what
// SDL speaks) and Windows-1252 (what the game speaks), and the letterboxed mapping between window pixels and
// the 640x480 game picture.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win.h"

namespace sdlbits {

// What Windows-1252 puts at 0x80..0x9F, where Latin-1 has control characters; 0 for the five unused bytes.
inline constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The Windows-1252 byte of a typed character, or -1 when it has none. Control characters have none: keys
// such as Return and Backspace reach the game as key messages, not as typed text.
inline int32_t CodePointToCp1252(uint32_t cp) {
  if ((cp >= 0x20 && cp < 0x7F) || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int32_t>(cp);
  for (int32_t i = 0; i < 32; ++i) {
    if (kCp1252High[i] != 0 && kCp1252High[i] == cp) return 0x80 + i;
  }
  return -1;
}

// Decodes one UTF-8 sequence at text[*pos], moving *pos past it; -1 (and one byte on) for a malformed one.
inline int64_t DecodeUtf8(std::string_view text, size_t* pos) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(*pos);
  size_t length = 0;
  uint32_t cp = 0, least = 0;
  if (lead < 0x80) {
    ++*pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, least = 0x10000;
  } else {
    ++*pos;
    return -1;
  }
  if (*pos + length > text.size()) {
    ++*pos;
    return -1;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((byte(*pos + i) & 0xC0) != 0x80) {
      ++*pos;
      return -1;
    }
    cp = (cp << 6) | (byte(*pos + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are not characters.
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++*pos;
    return -1;
  }
  *pos += length;
  return cp;
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

inline void AppendUtf8(std::string* out, uint32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Game text for SDL. Text that already reads as UTF-8 (plain ASCII included) is passed through untouched,
// so a caller that wrote UTF-8 literals is not mangled; anything else is read as Windows-1252. The five
// unused bytes become U+FFFD.
inline std::string GameTextToUtf8(std::string_view text) {
  if (IsUtf8(text)) return std::string(text);
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<uint8_t>(c);
    uint32_t cp = b;
    if (b >= 0x80 && b < 0xA0) cp = kCp1252High[b - 0x80] != 0 ? kCp1252High[b - 0x80] : 0xFFFD;
    AppendUtf8(&out, cp);
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

}  // namespace sdlbits
