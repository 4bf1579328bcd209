// Loading a hole: its picture with the status strip painted over, the figure sheet of holes 16 and 18, and
// the map with the four tables carried in its bottom rows.
#include "green/hole.h"

#include <cstdio>
#include <new>

#include "green/lzcc.h"
#include "media/picture.h"
#include "platform/draw/gdi.h"
#include "platform/system.h"
#include "round/round_data.h"

static_assert(lzcc::kMapBytes == static_cast<size_t>(kMapBytes));
static_assert(lzcc::kStagingBytes == static_cast<size_t>(kStagingBytes));
static_assert(lzcc::kPayloadLimit == static_cast<size_t>(kLzccPayloadLimit));

HoleState gHole;

namespace {

// Map offsets of the tables: rows 478, 477 and 476 of the bottom-up map.
constexpr size_t kWallTableAt = 640;
constexpr size_t kCupTableAt = 1280;
constexpr size_t kCentreTableAt = 1920;

int16_t ReadI16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }

void CopyPoints(TablePoint* table, size_t at) {
  const uint8_t* p = gHole.map.data() + at;
  for (int32_t i = 0; i < 16; ++i, p += 4) table[i] = {ReadI16(p), ReadI16(p + 2)};
}

}  // namespace

uint8_t MapRawValue(int32_t x, int32_t y) {
  if (x < 0 || x >= kMapWidth || y < 0 || y >= kMapHeight) return 0;
  return gHole.map[static_cast<size_t>(x) + static_cast<size_t>(kMapWidth) * static_cast<size_t>(kMapHeight - 1 - y)];
}

void DecodeLzccFile(const char* path) {
  // Short of memory for the file or the staging area, the hole keeps the map it has, as for a bad file.
  try {
    std::vector<uint8_t> bytes;
    if (!path || !ReadGameFile(path, &bytes)) return;
    DecodeLzcc(bytes.data(), bytes.size(), &gHole.map);
  } catch (const std::bad_alloc&) {
  }
}

void LoadHole() {
  char path[32];
  // A hole whose picture is missing is skipped, so play goes on at the next one.
  for (;;) {
    if (gRound.currentHole > kHoleCount) return;
    ReleaseInterface(gHole.holePicture);
    std::snprintf(path, sizeof path, "Holes\\Hole%02d.HIO", gRound.currentHole);
    gHole.holePicture = LoadKeyedSurface(path);
    if (gHole.holePicture) break;
    gRound.currentHole = static_cast<int8_t>(gRound.currentHole + 1);
  }
  const int32_t hole = static_cast<int32_t>(gRound.currentHole);

  // Whatever the picture holds under the status strip is never seen.
  DC dc;
  if (SurfaceGetDC(gHole.holePicture.get(), &dc)) {
    const RECT strip{0, 440, 640, 480};
    FillRect(&dc, &strip, LTGRAY_BRUSH);
    SurfaceReleaseDC(gHole.holePicture.get(), &dc);
  }

  if (hole == 16 || hole == 18) {
    ReleaseInterface(gHole.figurePicture);
    gHole.figurePicture = LoadKeyedSurface(hole == 16 ? "Holes\\buttfly.bmp" : "Holes\\ducky.bmp");
  }

  std::snprintf(path, sizeof path, "Holes\\Hole%02d.H2O", hole);
  DecodeLzccFile(path);

  // The tables are taken from whatever map is loaded now: a file we could not use leaves the last one.
  CopyPoints(gHole.wallTable, kWallTableAt);
  CopyPoints(gHole.cupTable, kCupTableAt);
  CopyPoints(gHole.centreTable, kCentreTableAt);
  gHole.holeSlopeStrength = ReadI16(gHole.map.data() + kCentreTableAt + 64);
  gHole.unusedWord = ReadI16(gHole.map.data() + kCentreTableAt + 66);
  for (int32_t i = 0; i < 256; ++i) gHole.codeTable[i] = MapRawValue(i, kMapHeight - 1);

  SetCursorPos(320, 240);
}

void ResetHoleForTest() { gHole = HoleState{}; }
