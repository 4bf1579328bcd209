// quillmere-sim design: finds cup places on a hole source that the demonstration's strokes play out on.
#pragma once

#include "tools/sim/green_commands.h"

int RunDesign(const SimOptions& options);
