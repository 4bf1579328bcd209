// A small synthetic course for tests and for trying the green out: eighteen holes whose maps between them
// use every family of map codes, their pictures, and the ball, flag and figure sheets a round needs. Made
// from code alone with integer arithmetic, so every run gives the same bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/draw/bmp.h"
#include "tools/coursebuild/hole_map.h"

constexpr int32_t kTestHoles = 18;

struct TestHoleInfo {
  int32_t par;
  int32_t padLeft, padTop, padRight, padBottom;  // the start pad, right and bottom exclusive
  int32_t cupX, cupY;
  const char* features;  // what the hole is for, in a few words
};

// Hole 1..18.
const TestHoleInfo& TestHole(int32_t hole);

// The map codes of hole 1..18 by screen position (640 x 480, top row first). Rows 441 to 479 hold no ground;
// the tables live only in the file's bottom rows (TestHoleOutput).
std::vector<uint8_t> TestHoleCodes(int32_t hole);
// What the hole's H2O file decodes to: raw map bytes stored bottom-up with the code, wall, cup and centre
// tables and the hole slope strength in the bottom rows; hole 2 carries 2,000 unused bytes in front, and
// hole 15 stores its ground under raw values that only its code table turns into codes.
std::vector<uint8_t> TestHoleOutput(int32_t hole);
// The 640 x 480 picture of hole 1..18; with `figures`, hole 16's butterfly and hole 18's chute boxes at rest.
Bitmap DrawTestHolePicture(int32_t hole, bool figures = true);

// Player 1..8's ball sheet: 9 x 9 frames of 11 x 11, magenta where transparent.
Bitmap DrawTestBallSheet(int32_t player);
// Eight 64 x 64 frames of a waving flag, the pole's foot at (1, 63) of each frame.
Bitmap DrawTestFlag();
// Sixteen 40 x 40 butterfly frames on the flat colour of hole 16's flower bed (they are copied without key).
Bitmap DrawTestButterfly();
// Hole 18's figure: a duck facing each 8-step direction at x = 64 d, and the chute's four box sprites at
// x = 512, 544, 576 and 608; 640 x 32, magenta where transparent.
Bitmap DrawTestDucky();

// A 307,200-byte map of `shapes` random polygons and ellipses (straight and curved edges) over code 3: what
// our maps are like, for measuring the encoder.
std::vector<uint8_t> RegionTestMap(uint32_t seed, int32_t shapes);

// A plain picture of a hole's looks, one flat texture each: what the test course shows.
Bitmap DrawDiagramPicture(const HoleMap& m);

// Writes Holes/HoleNN.HIO and .H2O of one test hole under gameDir.
bool WriteTestHole(const std::filesystem::path& gameDir, int32_t hole, std::string* error);
// Writes Holes/buttfly.bmp, Holes/ducky.bmp, Balls/Ball1..8.bmp and Balls/Flag.bmp under gameDir.
bool WriteTestSprites(const std::filesystem::path& gameDir, std::string* error);
// Writes Holes/HoleNN.HIO and .H2O for every hole, Holes/buttfly.bmp, Holes/ducky.bmp, Balls/Ball1..8.bmp and
// Balls/Flag.bmp under gameDir. False, with the reason in *error, when a file cannot be made or written.
bool WriteTestCourse(const std::filesystem::path& gameDir, std::string* error);
