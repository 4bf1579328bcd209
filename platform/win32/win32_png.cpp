// Screenshots on Windows, where no PNG library is at hand: an RGB565 surface as an 8-bit RGB PNG whose
// image data is stored in uncompressed deflate blocks. Bigger files, the same pixels.
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/draw/png.h"

namespace {

constexpr size_t kStoredBlockMax = 65535;

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBig32(std::vector<uint8_t>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>* out, std::string_view type, const std::vector<uint8_t>& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out->size();
  out->insert(out->end(), type.begin(), type.end());
  out->insert(out->end(), data.begin(), data.end());
  PutBig32(out, Crc32(out->data() + start, out->size() - start));
}

// A zlib stream of stored blocks.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> z{0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  size_t at = 0;
  do {
    const size_t n = std::min(kStoredBlockMax, raw.size() - at);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(at), raw.begin() + static_cast<ptrdiff_t>(at + n));
    at += n;
  } while (at < raw.size());
  PutBig32(&z, (b << 16) | a);
  return z;
}

}  // namespace

bool WriteSurfacePng(const Surface& surface, const std::string& path) {
  if (surface.width <= 0 || surface.height <= 0 || surface.width > (1 << 20) || surface.height > (1 << 20)) {
    return false;
  }
  const size_t count = static_cast<size_t>(surface.width) * static_cast<size_t>(surface.height);
  if (surface.pixels.size() < count) return false;
  std::vector<uint8_t> raw;
  raw.reserve(count * 3 + static_cast<size_t>(surface.height));
  for (int32_t y = 0; y < surface.height; ++y) {
    raw.push_back(0);  // no filter
    const uint16_t* row = SurfaceRow(&surface, y);
    for (int32_t x = 0; x < surface.width; ++x) {
      const COLORREF c = Color565ToRgb(row[x]);
      raw.insert(raw.end(), {static_cast<uint8_t>(GetRValue(c)), static_cast<uint8_t>(GetGValue(c)),
                             static_cast<uint8_t>(GetBValue(c))});
    }
  }
  std::vector<uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBig32(&header, static_cast<uint32_t>(surface.width));
  PutBig32(&header, static_cast<uint32_t>(surface.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, adaptive filtering, no interlace
  PutChunk(&file, "IHDR", header);
  PutChunk(&file, "IDAT", StoredZlib(raw));
  PutChunk(&file, "IEND", {});
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  return f && std::fwrite(file.data(), 1, file.size(), f.get()) == file.size() && std::fflush(f.get()) == 0;
}
