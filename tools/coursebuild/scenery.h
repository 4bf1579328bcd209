// The moorland around a green: rough grass, then the hole's scenery (heather, gorse, bracken, pools, scree,
// wild flowers, brooks, tracks, dry-stone walls, trees, rocks, sheep, a mill, bridges, cottages), all lit from
// the top left like the green itself.
#pragma once

#include <cstdint>

#include "tools/coursebuild/hole_map.h"
#include "tools/coursebuild/texture.h"

// A seed drawn from the hole's cups, so each hole's textures differ and the same hole draws the same; the
// scenery does not enter it, so moving a tree changes nothing on the green.
uint32_t HoleSeed(const HoleMap& m);

// Paints the whole layer as moorland with the hole's scenery on it; the caller keeps it only beyond the green.
void PaintScenery(const HoleMap& m, paint::Layer& layer);
