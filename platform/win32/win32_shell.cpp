// The desktop shortcut on Windows: a real shell link (.lnk) in the desktop folder the shell names.
#include <string>

#include "platform/files/desktop.h"
#include "platform/win32/win32_bridge.h"

namespace {

constexpr const char* kShellLinkName = "\\Quillmere Brindlemoor.lnk";

std::string NativePath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

}  // namespace

bool OpenDesktopFolder(std::string* folder) {
  std::string found;
  if (!W32DesktopFolder(&found) || found.empty() || found.size() >= kDesktopFolderBuffer) return false;
  *folder = found;
  return true;
}

bool LauncherPathFor(std::string_view desktop, std::string* path) {
  std::string full = std::string(desktop) + kShellLinkName;
  if (full.size() >= kLauncherPathBuffer) return false;
  *path = std::move(full);
  return true;
}

// The game names itself without the extension its own folder gives it.
bool WriteLauncher(const std::string& path, std::string_view program, std::string_view folder) {
  std::string target = NativePath(program);
  if (target.size() < 4 || target.compare(target.size() - 4, 4, ".exe") != 0) target += ".exe";
  return W32WriteShellLink(path, target, NativePath(folder));
}

bool DeleteFileA(const char* path) { return path && W32DeleteFile(path); }
