// The desktop launcher question of the first run, and the launcher it writes.
#include "menus/shortcut.h"

#include <cstring>

#include "media/picture.h"
#include "platform/files/desktop.h"
#include "platform/system.h"
#include "shell/display.h"
#include "shell/shell.h"

namespace {

constexpr const char* kQuestion = "Would you like a shortcut on the DeskTop?";
constexpr const char* kCaption = "Quillmere";

// The program as started: a start directory that filled its whole buffer may have been cut short, and a
// launcher pointing at the wrong folder is worse than none.
bool StartedProgram(std::string* target) {
  const size_t length = ::strnlen(gShell.startDirectory, sizeof gShell.startDirectory);
  if (length == 0 || length + 1 >= sizeof gShell.startDirectory) return false;
  *target = std::string(gShell.startDirectory, length) + "/" + kGameProgramName;
  return true;
}

}  // namespace

bool CreateDesktopShortcut(const std::string& launcherPath, const std::string& target) {
  const size_t slash = target.rfind('/');
  if (slash == std::string::npos) return false;
  return WriteLauncher(launcherPath, target, target.substr(0, slash == 0 ? 1 : slash));
}

void AskDesktopShortcut() {
  std::string desktop, launcher, target;
  if (!OpenDesktopFolder(&desktop) || !LauncherPathFor(desktop, &launcher) || !StartedProgram(&target)) return;
  ShowMouseCursor();
  CopyBitmapToSurface(gDisplay.primary, "Data\\Title.bmp");
  if (MessageBoxA(gShell.mainWindow, kQuestion, kCaption, MB_YESNO) == IDYES) {
    CreateDesktopShortcut(launcher, target);
  }
  HideMouseCursor();
}
