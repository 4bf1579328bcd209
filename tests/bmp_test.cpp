// The BMP reader against hand-built files of every depth and many broken ones, the writer, and PNG screenshots.
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/draw/bmp.h"
#include "platform/draw/png.h"

namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// One row of pixel values as stored: palette indices packed high bits first, else little-endian words.
std::vector<uint8_t> PackRow(int bpp, const std::vector<uint32_t>& values) {
  std::vector<uint8_t> row;
  if (bpp >= 16) {
    for (uint32_t v : values) Put(row, v, bpp / 8);
    return row;
  }
  row.resize((values.size() * bpp + 7) / 8);
  for (size_t i = 0; i < values.size(); ++i) row[i * bpp / 8] |= values[i] << (8 - bpp - i * bpp % 8);
  return row;
}

struct BmpFile {
  uint32_t headerSize = 40;
  uint16_t bpp = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> masks;    // after a 40-byte header, or inside a larger one
  std::vector<uint32_t> palette;  // 0xRRGGBB
  uint32_t colorsUsed = 0;
  std::vector<std::vector<uint32_t>> rows;  // pixel values or indices, top row first
  std::vector<uint32_t> expected;
  bool topDown = false;
  int32_t width = 0, height = 0;  // 0: from rows
  uint16_t planes = 1;
  int64_t pixelOffset = -1;  // -1: straight after the palette

  std::vector<uint8_t> Build() const {
    const int32_t w = width ? width : static_cast<int32_t>(rows.empty() ? 0 : rows[0].size());
    const int32_t h = height ? height : static_cast<int32_t>(rows.size()) * (topDown ? -1 : 1);
    std::vector<uint8_t> head;
    const bool core = headerSize == 12;
    Put(head, headerSize, 4);
    Put(head, static_cast<uint32_t>(w), core ? 2 : 4);
    Put(head, static_cast<uint32_t>(h), core ? 2 : 4);
    Put(head, planes, 2);
    Put(head, bpp, 2);
    if (!core) {
      for (uint32_t v : {compression, 0u, 2835u, 2835u, colorsUsed, 0u}) Put(head, v, 4);
      if (headerSize > 40) {
        for (uint32_t m : masks) Put(head, m, 4);
      }
      head.resize(std::min<size_t>(headerSize, 124), 0);
      if (headerSize == 40) {
        for (uint32_t m : masks) Put(head, m, 4);
      }
    }
    for (uint32_t c : palette) Put(head, c, core ? 3 : 4);
    std::vector<uint8_t> pixels;
    for (size_t i = 0; i < rows.size(); ++i) {
      const auto row = PackRow(bpp, rows[topDown ? i : rows.size() - 1 - i]);
      pixels.insert(pixels.end(), row.begin(), row.end());
      pixels.resize((pixels.size() + 3) / 4 * 4);
    }
    std::vector<uint8_t> out = {'B', 'M'};
    Put(out, static_cast<uint32_t>(14 + head.size() + pixels.size()), 4);
    Put(out, 0, 4);
    Put(out, pixelOffset >= 0 ? static_cast<uint32_t>(pixelOffset) : static_cast<uint32_t>(14 + head.size()), 4);
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }
};

// Decodes from an exact-size heap copy, so a sanitizer build catches any read past the end.
std::optional<Bitmap> Decode(const std::vector<uint8_t>& file, size_t length = SIZE_MAX) {
  const size_t n = std::min(length, file.size());
  std::unique_ptr<uint8_t[]> copy(new uint8_t[std::max<size_t>(n, 1)]);
  std::copy_n(file.begin(), n, copy.get());
  return DecodeBmp(copy.get(), n);
}

std::vector<BmpFile> EveryDepth() {
  std::vector<uint32_t> grey(256);
  for (uint32_t i = 0; i < 256; ++i) grey[i] = i * 0x010101;
  // Widths leave rows ending mid-byte or mid-word, so padding is always exercised; a palette index past
  // a short palette reads black; narrow channels widen by repeating their bits (5-bit 0x10 -> 0x84,
  // 6-bit 0x21 -> 0x86, 2-bit 1 -> 0x55), wide ones keep their top eight.
  return {
      {40, 1, 0, {}, {0x102030, 0xF0E0D0}, 0, {{1, 0, 1, 1, 0, 0, 0, 1, 1}, {0, 1, 0, 0, 0, 0, 0, 0, 1}},
       {0xF0E0D0, 0x102030, 0xF0E0D0, 0xF0E0D0, 0x102030, 0x102030, 0x102030, 0xF0E0D0, 0xF0E0D0,
        0x102030, 0xF0E0D0, 0x102030, 0x102030, 0x102030, 0x102030, 0x102030, 0x102030, 0xF0E0D0}},
      {40, 4, 0, {}, {0xAA0000, 0x00BB00, 0x0000CC}, 3, {{0, 1, 2, 15, 1}, {2, 3, 0, 0, 1}},
       {0xAA0000, 0x00BB00, 0x0000CC, 0, 0x00BB00, 0x0000CC, 0, 0xAA0000, 0xAA0000, 0x00BB00}},
      {40, 8, 0, {}, grey, 0, {{0, 255, 128}, {7, 9, 1}}, {0, 0xFFFFFF, 0x808080, 0x070707, 0x090909, 0x010101}},
      {40, 16, 0, {}, {}, 0, {{0x7FFF, 0x7C00, 0x03E0}, {0x801F, 0x4210, 0}},
       {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x848484, 0}},
      {40, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, 0, {{0xFFFF, 0xF800, 0x07E0}, {0x001F, 0x8430, 0x0020}},
       {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x848684, 0x000400}},
      {52, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, 0, {{0xF800, 0x8430}}, {0xFF0000, 0x848684}},
      {40, 24, 0, {}, {}, 0, {{0x123456, 0xABCDEF, 0xFFFFFF}, {0, 0x010203, 0x800000}},
       {0x123456, 0xABCDEF, 0xFFFFFF, 0, 0x010203, 0x800000}},
      // A large header's masks mean nothing without BI_BITFIELDS; the top byte of x8r8g8b8 is ignored.
      {124, 32, 0, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, {}, 0, {{0xFF123456, 0x00ABCDEF}, {0x80FFFFFF, 0}},
       {0x123456, 0xABCDEF, 0xFFFFFF, 0}},
      {40, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF}, {}, 0, {{0xC0000000, 0x3FC00000}, {0x3FFFFFFF, 0x20080200}},
       {0, 0xFF0000, 0xFFFFFF, 0x808080}},
      {108, 32, 3, {0x3, 0, 0x80000000}, {}, 0, {{0x1, 0x2}, {0x80000003, 0x7FFFFFFC}}, {0x550000, 0xAA0000, 0xFF00FF, 0}},
      {40, 32, 6, {0xFF000000, 0xFF0000, 0xFF00, 0xFF}, {}, 0, {{0xAABBCCDD, 0x112233FF}}, {0xAABBCC, 0x112233}},
      {12, 4, 0, {}, {0x0A0B0C, 0xF0E0D0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x123456}, 0, {{15, 1}, {0, 1}},
       {0x123456, 0xF0E0D0, 0x0A0B0C, 0xF0E0D0}},
      {12, 24, 0, {}, {}, 0, {{0x010203, 0x040506, 0x070809}}, {0x010203, 0x040506, 0x070809}},
  };
}

TEST(BmpDecode, EveryDepthBothWaysUp) {
  for (BmpFile f : EveryDepth()) {
    for (bool topDown : {false, true}) {
      if (topDown && f.headerSize == 12) continue;  // a core header's height is unsigned
      f.topDown = topDown;
      SCOPED_TRACE(testing::Message() << "header " << f.headerSize << " bpp " << f.bpp << " top-down " << topDown);
      const auto bitmap = Decode(f.Build());
      ASSERT_TRUE(bitmap.has_value());
      EXPECT_EQ(bitmap->width, static_cast<int32_t>(f.rows[0].size()));
      EXPECT_EQ(bitmap->height, static_cast<int32_t>(f.rows.size()));
      EXPECT_EQ(bitmap->rgb, f.expected);
    }
  }
}

TEST(BmpDecode, EveryPrefixIsRefusedUnlessOnlyTheLastPaddingIsMissing) {
  for (BmpFile f : EveryDepth()) {
    f.topDown = f.headerSize != 12 && f.bpp % 16 == 0;
    const std::vector<uint8_t> file = f.Build();
    const size_t lastRowBytes = (f.rows[0].size() * f.bpp + 7) / 8;
    const size_t padding = (4 - lastRowBytes % 4) % 4;
    for (size_t n = 0; n < file.size(); ++n) {
      const auto bitmap = Decode(file, n);
      if (n + padding >= file.size()) {
        ASSERT_TRUE(bitmap.has_value()) << f.bpp << " " << n;
        EXPECT_EQ(bitmap->rgb, f.expected);
      } else {
        EXPECT_FALSE(bitmap.has_value()) << f.bpp << " " << n;
      }
    }
  }
  EXPECT_FALSE(DecodeBmp(nullptr, 100).has_value());
}

TEST(BmpDecode, RefusesMalformedFiles) {
  BmpFile good;
  good.rows = {{1, 2}, {3, 4}};  // 24-bit, 2x2: 54 bytes of header, 16 of pixels
  ASSERT_TRUE(Decode(good.Build()).has_value());
  auto refused = [&](auto change) {
    BmpFile f = good;
    change(f);
    return !Decode(f.Build()).has_value();
  };
  EXPECT_TRUE(refused([](BmpFile& f) { f.pixelOffset = 1000; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.pixelOffset = 0xFFFFFFFF; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.pixelOffset = 20; }));  // inside the header
  EXPECT_TRUE(refused([](BmpFile& f) { f.pixelOffset = 58; }));  // the last row would run off the end
  EXPECT_TRUE(refused([](BmpFile& f) { f.width = -2; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.width = INT32_MAX; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.height = INT32_MIN; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.height = -INT32_MAX; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.width = 16384; }));  // an allowed size, but the rows are absent
  EXPECT_TRUE(refused([](BmpFile& f) { f.rows = {std::vector<uint32_t>(16385)}; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.planes = 0; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.bpp = 2; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.headerSize = 64; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.headerSize = 0xFFFFFFFF; }));
  for (uint32_t compression : {1u, 2u, 4u, 5u, 7u, 0xFFFFFFFFu}) {  // RLE8, RLE4, JPEG, PNG, unknown
    EXPECT_TRUE(refused([&](BmpFile& f) { f.compression = compression; })) << compression;
  }
  // Masks only for 16 and 32 bits, and one run of bits each.
  EXPECT_TRUE(refused([](BmpFile& f) { f.compression = 3, f.masks = {0xFF0000, 0xFF00, 0xFF}; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.bpp = 16, f.compression = 3, f.masks = {0xF00F, 0x07E0, 0x1F}; }));
  // Palettes running off the end, though the pixels themselves are all there.
  EXPECT_TRUE(refused([](BmpFile& f) { f.bpp = 8, f.colorsUsed = 200, f.palette = {1, 2}; }));
  EXPECT_TRUE(refused([](BmpFile& f) { f.bpp = 8, f.colorsUsed = 0xFFFFFFFF; }));

  for (size_t zeroed : {18, 22}) {  // width, height
    std::vector<uint8_t> file = good.Build();
    std::fill_n(file.begin() + zeroed, 4, 0);
    EXPECT_FALSE(Decode(file).has_value()) << zeroed;
  }
  std::vector<uint8_t> file = good.Build();
  file[1] = 'A';
  EXPECT_FALSE(Decode(file).has_value());
  file = good.Build();
  std::fill_n(file.begin() + 2, 4, 0xFF);  // the file size field is not trusted
  EXPECT_TRUE(Decode(file).has_value());
}

TEST(BmpEncode, RoundTripsThroughAPlainBottomUpFile) {
  for (int32_t width = 1; width <= 5; ++width) {
    Bitmap bitmap{width, 3, {}};
    for (int32_t i = 0; i < width * 3; ++i) bitmap.rgb.push_back((static_cast<uint32_t>(i) * 0x2F1B07u + 0x10) & 0xFFFFFF);
    const std::vector<uint8_t> file = EncodeBmp24(bitmap);
    ASSERT_EQ(file.size(), 54 + (width * 3 + 3) / 4 * 4 * 3u);
    const std::vector<uint8_t> header(file.begin(), file.begin() + 30);
    EXPECT_EQ(header, (std::vector<uint8_t>{'B', 'M', static_cast<uint8_t>(file.size()), 0, 0, 0, 0, 0, 0, 0, 54, 0,
                                            0, 0, 40, 0, 0, 0, static_cast<uint8_t>(width), 0, 0, 0, 3, 0, 0, 0, 1,
                                            0, 24, 0}));
    EXPECT_EQ(file[38] | file[39] << 8 | file[42] << 16 | file[43] << 24, 2835 | 2835 << 16);
    EXPECT_EQ(file[54], bitmap.rgb[2 * width] & 0xFF);  // bottom row first, blue first
    const auto back = Decode(file);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->width, width);
    EXPECT_EQ(back->height, 3);
    EXPECT_EQ(back->rgb, bitmap.rgb);
  }
  EXPECT_TRUE(EncodeBmp24(Bitmap{2, 2, {1, 2, 3}}).empty());
  EXPECT_TRUE(EncodeBmp24(Bitmap{0, 0, {}}).empty());
}

TEST(PngScreenshot, WritesChannelsWidenedToEightBits) {
  Surface surface;
  surface.width = 2;
  surface.height = 2;
  surface.pixels = {0xFFFF, 0xF800, 0x8410, 0x001F};
  char path[] = "/tmp/quill_png_test_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(WriteSurfacePng(surface, path));

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_file(&image, path), 0);
  EXPECT_EQ(image.width, 2u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.format, static_cast<png_uint_32>(PNG_FORMAT_RGB));  // 8-bit colour, no alpha
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0);
  std::remove(path);
  // 5-bit 0x10 widens to 0x84 and 6-bit 0x20 to 0x82.
  EXPECT_EQ(rgb, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x84, 0x82, 0x84, 0, 0, 0xFF}));

  EXPECT_FALSE(WriteSurfacePng(surface, "/nonexistent-dir/shot.png"));
  surface.pixels.resize(3);  // fewer pixels than the size claims
  EXPECT_FALSE(WriteSurfacePng(surface, path));
  EXPECT_FALSE(WriteSurfacePng(Surface{}, path));
}

}  // namespace
