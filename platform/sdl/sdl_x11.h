// What the SDL backend asks of the X server itself when its window is on one: whether a window manager runs,
// and ending the program at once when the connection to the server breaks.
#pragma once

#include <SDL.h>

// The exit code when the display goes away under the game (the X server ends, the session is lost).
constexpr int kExitDisplayLost = 1;

// True unless the window is on an X server that no window manager serves (nor when it is not on X at all).
bool X11WindowManagerRuns(SDL_Window* window);
// From now on a broken connection to the X server ends the program with kExitDisplayLost, without another
// call to the server. Does nothing when SDL is not on X.
void X11EndWhenTheDisplayGoes();
