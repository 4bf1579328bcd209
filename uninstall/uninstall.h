// Uninstall: removes what the game keeps outside its own folder, its settings file and its desktop launcher.
#pragma once

#include <cstdint>

// Asks first, removes on Yes, then says so. Deletes nothing else; the result is always 0.
int32_t RunUninstall();
