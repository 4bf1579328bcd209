// The open fonts shared by (face, em, width).
#include "platform/draw/font_cache.h"

#include <map>
#include <tuple>

namespace {

struct CacheEntry {
  Font* font;
  int32_t refs;
};
using CacheKey = std::tuple<std::string, int32_t, int32_t>;
std::map<CacheKey, CacheEntry> gCache;

}  // namespace

std::mutex& FontCacheMutex() {
  static std::mutex mutex;
  return mutex;
}

Font* FindCachedFont(const std::string& face, int32_t em, int32_t width) {
  const auto it = gCache.find(CacheKey{face, em, width});
  if (it == gCache.end()) return nullptr;
  ++it->second.refs;
  return it->second.font;
}

void AddCachedFont(const std::string& face, int32_t em, int32_t width, Font* font) {
  gCache.emplace(CacheKey{face, em, width}, CacheEntry{font, 1});
}

void CloseFont(Font* font) {
  if (!font) return;
  std::lock_guard lock(FontCacheMutex());
  for (auto it = gCache.begin(); it != gCache.end(); ++it) {
    if (it->second.font != font) continue;
    if (--it->second.refs > 0) return;
    gCache.erase(it);
    break;
  }
  FreeFontFace(font->face);
  delete font;
}

const Glyph& FontGlyph(Font* font, uint8_t ch) {
  Glyph& g = font->glyphs[ch];
  std::lock_guard lock(FontCacheMutex());
  if (!g.loaded) LoadGlyph(font, ch, &g);
  return g;
}
