// Hole files: the picture of the green (HIO, a bitmap) and the hole map (H2O, LZCC-compressed), with the
// four tables carried in the map's bottom rows.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/draw/surface.h"

constexpr int32_t kMapWidth = 640;
constexpr int32_t kMapHeight = 480;
constexpr int32_t kMapBytes = kMapWidth * kMapHeight;  // 307,200
constexpr int32_t kStagingBytes = kMapBytes + 2000;    // 309,200
constexpr int32_t kLzccPayloadLimit = 20000;

struct TablePoint {
  int16_t x;
  int16_t y;
};

struct HoleState {
  SurfacePtr holePicture;    // rows 440..479 painted light grey
  SurfacePtr figurePicture;  // hole 16's butterfly or hole 18's duck
  std::vector<uint8_t> map = std::vector<uint8_t>(kMapBytes, 0);  // bottom-up: first 640 bytes are row 479
  uint8_t codeTable[256] = {};
  TablePoint wallTable[16] = {};    // 0..7 wall normals, 8..15 curved-wall centres
  TablePoint cupTable[16] = {};     // funnel points; entry 0 is the cup (entry 15 when entry 0's x is 0)
  TablePoint centreTable[16] = {};  // centre-slope centres
  int16_t holeSlopeStrength = 0;    // valid 0..9
  int16_t unusedWord = 0;
};

extern HoleState gHole;

// Loads the current hole of the round (1..18); a hole without a picture is skipped to the next.
void LoadHole();
// Raw map byte at (x, y); 0 outside the map.
uint8_t MapRawValue(int32_t x, int32_t y);
// Decodes an H2O file into the hole map; an invalid or missing file leaves the map as it was.
void DecodeLzccFile(const char* path);
// The decoder's core over bytes in memory: true and the 307,200 map bytes in *map when the file is valid.
bool DecodeLzcc(const uint8_t* bytes, size_t size, std::vector<uint8_t>* map);

void ResetHoleForTest();
