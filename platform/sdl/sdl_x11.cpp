// The SDL backend's few calls to the X server itself, kept apart from the rest: Xlib's names are many and short.
#include "platform/sdl/sdl_x11.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstring>

namespace {

// Xlib calls this when the connection breaks, and ends the process itself if it returns. The usual way out,
// exit(), would shut SDL down over the dead connection, which never finishes; nothing else needs saving
// (settings are written whole when they change), so the process leaves here and now.
int OnConnectionLost(Display*) {
  static const char kText[] = "Quillmere Brindlemoor: the display went away\n";
  if (write(STDERR_FILENO, kText, sizeof kText - 1) < 0) {
  }
  _exit(kExitDisplayLost);
}

bool OnX11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "x11") == 0;
}

}  // namespace

bool X11WindowManagerRuns(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  // A window manager following the desktop conventions names its check window on the root window.
  Display* display = info.info.x11.display;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool named = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                        &format, &count, &after, &data) == Success &&
                     type == XA_WINDOW && count == 1;
  if (data) XFree(data);
  return named;
}

void X11EndWhenTheDisplayGoes() {
  if (OnX11()) XSetIOErrorHandler(OnConnectionLost);
}
