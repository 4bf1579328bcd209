// The demonstration hole's entry point; the demonstration itself comes with the round's own work.
#include "round/demo.h"

// Until the demonstration exists the shell returns straight to the title menu after the hole is picked.
void RunDemoHole(int32_t hole) { (void)hole; }
