// The desktop launcher, offered once: on the game's first run.
#pragma once

#include <string>

// The first-run question. Yes puts a launcher for the program in the start directory on the desktop. Asked
// only when there is a desktop folder to put it in; every failure is silent.
void AskDesktopShortcut();
// Writes the launcher file launcherPath for the program target, started in target's own folder.
bool CreateDesktopShortcut(const std::string& launcherPath, const std::string& target);
