// The picture of a Brindlemoor hole, painted from the same compiled shapes as its map: every edge of the
// playing surface and every wall lies on the pixel where the map changes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/draw/bmp.h"
#include "tools/coursebuild/hole_map.h"

// The 640 x 480 hole picture (rows 440..479 are painted over by the game; they may hold anything).
Bitmap DrawHolePicture(const HoleMap& m);

// Every picture side by side at reduced size, for review; false with *error when the PNG cannot be written.
bool WriteCourseSheet(const std::vector<Bitmap>& pictures, const std::filesystem::path& png, std::string* error);
