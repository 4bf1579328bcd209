// The Brindlemoor holes: every course/holes/NN.hole compiled into the game folder's Holes/HoleNN.H2O and
// Holes/HoleNN.HIO, and the contact sheet of all the pictures for review.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/draw/bmp.h"

constexpr int32_t kCourseHoles = 18;

// The source file of hole 1..18 under the course folder.
std::filesystem::path HoleSourcePath(const std::filesystem::path& courseDir, int32_t hole);

// Writes the map and picture of every hole whose source exists (a hole without one yet gets the test course's)
// and, when sheet is not empty, the contact sheet. False with the first error (FILE:LINE: ...) otherwise.
// *payloads receives each written hole's LZCC payload size, 0 for holes taken from the test course. The pictures
// show the figures at rest (the butterfly on 16, the duck's tubs on 18); *hole16Bed receives hole 16's picture
// as painted before its butterfly, the ground its frames are copied over.
bool WriteCourseHoles(const std::filesystem::path& courseDir, const std::filesystem::path& gameDir,
                      const std::filesystem::path& sheet, std::vector<size_t>* payloads, Bitmap* hole16Bed,
                      std::string* error);
