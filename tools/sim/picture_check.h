// The course compiler's check for quillmere-sim check: the hole's source still compiles to the map in the game
// folder, and its picture shows what the map does.
#pragma once

#include <string>
#include <vector>

#include "tools/sim/check_command.h"

// One "picture" check per hole, from the hole sources under courseDir.
std::vector<HoleCheck> PictureChecks(const std::string& courseDir);
