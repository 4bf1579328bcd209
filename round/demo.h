// The demonstration hole: two demonstration players play one hole from a script.
#pragma once

#include <cstdint>

// Plays hole 1..18 as a demonstration and returns when it is over; any other number shows nothing.
void RunDemoHole(int32_t hole);
