// PNG screenshots of surfaces.
#pragma once

#include <string>

#include "platform/draw/surface.h"

bool WriteSurfacePng(const Surface& surface, const std::string& path);
