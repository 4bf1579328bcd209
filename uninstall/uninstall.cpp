// Uninstall's one job: confirm, remove the settings file and the desktop launcher, report.
#include "uninstall/uninstall.h"

#include <string>

#include "platform/files/desktop.h"
#include "platform/files/settings_file.h"
#include "platform/system.h"

namespace {

constexpr const char* kCaption = "Quillmere";
constexpr const char* kQuestion = "Are you sure you would like to UnInstall Quillmere?";
constexpr const char* kDone = "Quillmere Has been UnInstalled.\nTo ReInstall just click Quillmere Brindlemoor icon";

// The launcher lives only where the game could have written it; a desktop path too long to name it is
// skipped, never cut short (a cut path would name some other file).
void RemoveLauncher() {
  std::string desktop, launcher;
  if (OpenDesktopFolder(&desktop) && LauncherPathFor(desktop, &launcher)) DeleteFileA(launcher.c_str());
}

}  // namespace

int32_t RunUninstall() {
  if (MessageBoxA(0, kQuestion, kCaption, MB_YESNO) == IDNO) return 0;
  // Missing files are no error: a second run still ends with the same message.
  SettingsDeleteKey();
  RemoveLauncher();
  MessageBoxA(0, kDone, kCaption, MB_OK);
  return 0;
}
