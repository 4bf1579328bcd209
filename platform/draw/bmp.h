// Windows bitmap (BMP) files: a bounded reader for every uncompressed depth, and a 24-bit writer for our tools.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct Bitmap {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB, top row first
};

// Decodes a BMP file held in memory: BITMAPCOREHEADER, BITMAPINFOHEADER and its V4/V5 extensions; 1, 4, 8,
// 16, 24 and 32 bits per pixel; bottom-up and top-down; BI_RGB and BI_BITFIELDS. Compressed (RLE, JPEG, PNG)
// files are refused. Never reads past size; a truncated or malformed file gives none.
std::optional<Bitmap> DecodeBmp(const uint8_t* data, size_t size);

// Encodes a bottom-up 24-bit BI_RGB file.
std::vector<uint8_t> EncodeBmp24(const Bitmap& bitmap);
