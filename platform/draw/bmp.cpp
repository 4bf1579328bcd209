// BMP reading and writing. Every header field is treated as hostile: nothing is read or allocated until
// the bytes it describes are known to be inside the buffer.
#include "platform/draw/bmp.h"

#include <array>
#include <bit>

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV2HeaderSize = 52;  // RGB masks inside the header
constexpr uint32_t kV3HeaderSize = 56;  // and the alpha mask
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;

// Larger pictures than this are never legitimate game art, and refusing them bounds every allocation.
constexpr int64_t kMaxDimension = 16384;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// One colour channel described by a bit mask: where it sits and how wide it is.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

// A mask must be one run of set bits (or empty: that channel reads as zero).
bool MakeChannel(uint32_t mask, Channel* channel) {
  channel->mask = mask;
  if (mask == 0) return true;
  channel->shift = std::countr_zero(mask);
  channel->bits = std::popcount(mask);
  return (mask >> channel->shift) == (channel->bits == 32 ? 0xFFFFFFFFu : (1u << channel->bits) - 1);
}

// Scales a channel to 8 bits: wide ones keep their top bits, narrow ones repeat their bits so the
// full-scale value becomes 255 and zero stays zero.
uint32_t ChannelTo8(const Channel& c, uint32_t pixel) {
  if (c.bits == 0) return 0;
  const uint32_t v = (pixel & c.mask) >> c.shift;
  if (c.bits >= 8) return v >> (c.bits - 8);
  uint32_t out = 0;
  int at = 8 - c.bits;
  for (; at > 0; at -= c.bits) out |= v << at;
  return (out | (v >> -at)) & 0xFF;
}

struct Layout {
  int32_t width = 0;
  int32_t height = 0;  // always positive here
  bool topDown = false;
  uint32_t bpp = 0;
  uint32_t compression = kBiRgb;
  std::array<Channel, 3> channels{};  // red, green, blue; used for 16 and 32 bits
  std::array<uint32_t, 256> palette{};
  uint32_t paletteSize = 0;
};

}  // namespace

std::optional<Bitmap> DecodeBmp(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kFileHeaderSize + 4) return std::nullopt;
  if (data[0] != 'B' || data[1] != 'M') return std::nullopt;
  // The file size field is often wrong in the wild; only the buffer's real size counts.
  const uint32_t pixelOffset = Le32(data + 10);
  const uint32_t headerSize = Le32(data + kFileHeaderSize);
  if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize && headerSize != kV2HeaderSize &&
      headerSize != kV3HeaderSize && headerSize != kV4HeaderSize && headerSize != kV5HeaderSize) {
    return std::nullopt;
  }
  if (size - kFileHeaderSize < headerSize) return std::nullopt;
  const uint8_t* h = data + kFileHeaderSize;
  size_t afterHeader = kFileHeaderSize + headerSize;

  Layout pic;
  int64_t width = 0, height = 0;
  uint32_t planes = 0, colorsUsed = 0;
  if (headerSize == kCoreHeaderSize) {
    width = Le16(h + 4);
    height = Le16(h + 6);
    planes = Le16(h + 8);
    pic.bpp = Le16(h + 10);
  } else {
    width = static_cast<int32_t>(Le32(h + 4));
    height = static_cast<int32_t>(Le32(h + 8));
    planes = Le16(h + 12);
    pic.bpp = Le16(h + 14);
    pic.compression = Le32(h + 16);
    colorsUsed = Le32(h + 32);
  }
  if (planes != 1 || width <= 0 || height == 0) return std::nullopt;
  pic.topDown = height < 0;
  if (height < 0) height = -height;  // int64, so even INT32_MIN is safe
  if (width > kMaxDimension || height > kMaxDimension) return std::nullopt;
  pic.width = static_cast<int32_t>(width);
  pic.height = static_cast<int32_t>(height);
  if (pic.bpp != 1 && pic.bpp != 4 && pic.bpp != 8 && pic.bpp != 16 && pic.bpp != 24 && pic.bpp != 32)
    return std::nullopt;

  uint32_t masks[3] = {0, 0, 0};
  if (pic.compression == kBiRgb) {
    if (pic.bpp == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (pic.bpp == 32) {
      masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
  } else if (pic.compression == kBiBitfields || pic.compression == kBiAlphaBitfields) {
    if (pic.bpp != 16 && pic.bpp != 32) return std::nullopt;
    const uint8_t* m = nullptr;
    if (headerSize >= kV2HeaderSize) {
      m = h + kInfoHeaderSize;  // the larger headers carry the masks themselves
    } else {
      // A plain info header is followed by three masks, or four with an alpha mask.
      const size_t maskBytes = pic.compression == kBiAlphaBitfields ? 16 : 12;
      if (size - afterHeader < maskBytes) return std::nullopt;
      m = data + afterHeader;
      afterHeader += maskBytes;
    }
    for (int i = 0; i < 3; ++i) masks[i] = Le32(m + 4 * i);
  } else {
    return std::nullopt;  // RLE, JPEG, PNG and anything unknown
  }
  for (int i = 0; i < 3; ++i) {
    if (!MakeChannel(masks[i], &pic.channels[i])) return std::nullopt;
  }

  if (pic.bpp <= 8) {
    const uint32_t maxColors = 1u << pic.bpp;
    // Zero means a full palette; a larger count than the depth can index would only be wasted.
    pic.paletteSize = (colorsUsed == 0 || colorsUsed > maxColors) ? maxColors : colorsUsed;
    const size_t entryBytes = headerSize == kCoreHeaderSize ? 3 : 4;
    if ((size - afterHeader) / entryBytes < pic.paletteSize) return std::nullopt;
    for (uint32_t i = 0; i < pic.paletteSize; ++i) {
      const uint8_t* e = data + afterHeader + i * entryBytes;
      pic.palette[i] = (static_cast<uint32_t>(e[2]) << 16) | (static_cast<uint32_t>(e[1]) << 8) | e[0];
    }
  }

  // Pixels may not overlap the headers; then every row must be present. The last row in the file
  // is allowed to lose its padding, as many writers forget it.
  if (pixelOffset < afterHeader || pixelOffset > size) return std::nullopt;
  const uint64_t rowBits = static_cast<uint64_t>(pic.width) * pic.bpp;
  const uint64_t rowBytes = (rowBits + 7) / 8;
  const uint64_t stride = ((rowBits + 31) / 32) * 4;
  const uint64_t needed = stride * (static_cast<uint64_t>(pic.height) - 1) + rowBytes;
  if (needed > size - pixelOffset) return std::nullopt;

  Bitmap out;
  out.width = pic.width;
  out.height = pic.height;
  out.rgb.resize(static_cast<size_t>(pic.width) * static_cast<size_t>(pic.height));
  const bool bgr32 = pic.bpp == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
  for (int32_t y = 0; y < pic.height; ++y) {
    const int32_t fileRow = pic.topDown ? y : pic.height - 1 - y;
    const uint8_t* src = data + pixelOffset + static_cast<size_t>(fileRow) * stride;
    uint32_t* dst = out.rgb.data() + static_cast<size_t>(y) * pic.width;
    for (int32_t x = 0; x < pic.width; ++x) {
      uint32_t index = 0;
      switch (pic.bpp) {
        case 1:
          index = (src[x >> 3] >> (7 - (x & 7))) & 1;
          break;
        case 4:
          index = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
          break;
        case 8:
          index = src[x];
          break;
        case 24: {
          const uint8_t* p = src + 3 * static_cast<size_t>(x);
          dst[x] = (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
          continue;
        }
        default: {
          const uint32_t pixel =
              pic.bpp == 16 ? Le16(src + 2 * static_cast<size_t>(x)) : Le32(src + 4 * static_cast<size_t>(x));
          if (bgr32) {
            dst[x] = pixel & 0xFFFFFF;
          } else {
            dst[x] = (ChannelTo8(pic.channels[0], pixel) << 16) | (ChannelTo8(pic.channels[1], pixel) << 8) |
                     ChannelTo8(pic.channels[2], pixel);
          }
          continue;
        }
      }
      // Indices past a short palette are black rather than a read beyond it.
      dst[x] = index < pic.paletteSize ? pic.palette[index] : 0;
    }
  }
  return out;
}

std::vector<uint8_t> EncodeBmp24(const Bitmap& bitmap) {
  // Only what DecodeBmp would read back is written, so every file we make is one we can load.
  if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.width > kMaxDimension || bitmap.height > kMaxDimension ||
      bitmap.rgb.size() != static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height)) {
    return {};
  }
  const uint32_t stride = (static_cast<uint32_t>(bitmap.width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = stride * static_cast<uint32_t>(bitmap.height);
  const uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
  constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dpi

  std::vector<uint8_t> out;
  out.reserve(offset + imageBytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageBytes);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<uint32_t>(bitmap.width));
  Put32(out, static_cast<uint32_t>(bitmap.height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, kBiRgb);
  Put32(out, imageBytes);
  Put32(out, kPixelsPerMetre);
  Put32(out, kPixelsPerMetre);
  Put32(out, 0);
  Put32(out, 0);
  for (int32_t y = bitmap.height - 1; y >= 0; --y) {
    const uint32_t* row = bitmap.rgb.data() + static_cast<size_t>(y) * bitmap.width;
    for (int32_t x = 0; x < bitmap.width; ++x) {
      out.push_back(static_cast<uint8_t>(row[x]));
      out.push_back(static_cast<uint8_t>(row[x] >> 8));
      out.push_back(static_cast<uint8_t>(row[x] >> 16));
    }
    for (uint32_t pad = static_cast<uint32_t>(bitmap.width) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}
