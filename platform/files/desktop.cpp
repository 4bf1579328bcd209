// The desktop folder from the session's user-dirs.dirs, and the launcher file written there.
#include "platform/files/desktop.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "platform/draw/text_encoding.h"
#include "platform/files/atomic_file.h"

namespace {

constexpr std::string_view kDesktopKey = "XDG_DESKTOP_DIR";
constexpr std::streamsize kMaxUserDirsFile = std::streamsize{64} * 1024;  // a real one is well under a kilobyte

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') {
    const passwd* pw = ::getpwuid(::getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  return home && home[0] == '/' ? home : "";
}

std::string ConfigFolder(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  return config && config[0] == '/' ? config : home + "/.config";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(static_cast<size_t>(kMaxUserDirsFile), '\0');
  in.read(text.data(), kMaxUserDirsFile);
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

std::string_view SkipBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// The path a `XDG_DESKTOP_DIR="..."` line sets, or empty when the line does not set one usably.
std::string DesktopFromLine(std::string_view line, std::string_view home) {
  line = SkipBlanks(line);
  if (line.substr(0, kDesktopKey.size()) != kDesktopKey) return "";
  line = SkipBlanks(line.substr(kDesktopKey.size()));
  if (line.empty() || line.front() != '=') return "";
  line = SkipBlanks(line.substr(1));
  if (line.empty() || line.front() != '"') return "";
  line.remove_prefix(1);
  std::string value;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      // Only "$HOME/..." and absolute paths are meaningful in this file.
      if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
        value = std::string(home) + value.substr(5);
      }
      return value.empty() || value.front() != '/' ? "" : WithoutTrailingSlashes(value);
    }
    if (static_cast<uint8_t>(c) < 0x20) return "";  // no real folder is named so; a NUL would cut the path
    if (c == '\\' && i + 1 < line.size()) {
      const char next = line[i + 1];
      if (next == '\\' || next == '"' || next == '$' || next == '`') c = line[++i];
    }
    value.push_back(c);
  }
  return "";  // no closing quote
}

bool WritableInLauncher(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const int64_t cp = DecodeUtf8(text, &pos);
    if (cp < 0x20 || cp == 0x7F) return false;
  }
  return true;
}

// A string value of a desktop entry: the backslash is its escape character.
std::string EscapeValue(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

#ifndef QUILL_APP_ID
#error "QUILL_APP_ID names the installed icons; the build defines it"
#endif
const char kAppId[] = QUILL_APP_ID;

std::string InstalledIconFor(std::string_view folder) {
  // An installed game folder is <prefix>/lib/quillmere, its icons under <prefix>/share/icons.
  const std::string icon = std::string(folder) + "/../../share/icons/hicolor/256x256/apps/" + kAppId + ".png";
  char resolved[PATH_MAX];
  if (!::realpath(icon.c_str(), resolved)) return "";
  struct stat st {};
  return ::stat(resolved, &st) == 0 && S_ISREG(st.st_mode) ? resolved : "";
}

std::string ParseDesktopDir(std::string_view userDirs, std::string_view home) {
  std::string desktop;
  while (!userDirs.empty()) {
    const size_t end = userDirs.find('\n');
    std::string_view line = userDirs.substr(0, end);
    userDirs.remove_prefix(end == std::string_view::npos ? userDirs.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // The file is read by a shell: a later assignment wins.
    std::string found = DesktopFromLine(line, home);
    if (!found.empty()) desktop = std::move(found);
  }
  return desktop;
}

bool OpenDesktopFolder(std::string* folder) {
  const std::string home = HomeFolder();
  if (home.empty()) return false;
  std::string desktop = ParseDesktopDir(ReadSmallFile(ConfigFolder(home) + "/user-dirs.dirs"), home);
  if (desktop.empty()) desktop = home + "/Desktop";
  if (desktop == WithoutTrailingSlashes(home)) return false;
  if (desktop.size() + 1 > kDesktopFolderBuffer || !IsFolder(desktop)) return false;
  *folder = desktop;
  return true;
}

bool LauncherPathFor(std::string_view desktop, std::string* path) {
  std::string full = std::string(desktop) + "/" + kLauncherFileName;
  if (desktop.empty() || full.size() + 1 > kLauncherPathBuffer) return false;
  *path = std::move(full);
  return true;
}

std::string QuoteExecArgument(std::string_view path) {
  std::string out = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out.push_back('\\');
    if (c == '%') out.push_back('%');  // a lone % would start a field code
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string FormatLauncher(std::string_view program, std::string_view folder, std::string_view icon) {
  // Exec and Path must be absolute; the desktop does not start a launcher from any particular folder.
  if (program.empty() || program.front() != '/' || folder.empty() || folder.front() != '/') return "";
  if (!WritableInLauncher(program) || !WritableInLauncher(folder) || !WritableInLauncher(icon)) return "";
  std::string text = "[Desktop Entry]\n";
  text += "Type=Application\n";
  text += "Version=1.0\n";
  text += std::string("Name=") + kGameProgramName + "\n";
  text += "Comment=Miniature golf on the Brindlemoor course\n";
  text += "Exec=" + EscapeValue(QuoteExecArgument(program)) + "\n";
  text += "Path=" + EscapeValue(folder) + "\n";
  if (!icon.empty()) text += "Icon=" + EscapeValue(icon) + "\n";
  text += "Terminal=false\n";
  text += "Categories=Game;SportsGame;\n";
  return text;
}

bool WriteLauncher(const std::string& path, std::string_view program, std::string_view folder) {
  const std::string text = FormatLauncher(program, folder, InstalledIconFor(folder));
  const size_t slash = path.rfind('/');
  if (text.empty() || slash == std::string::npos) return false;
  const std::string dir = slash == 0 ? "/" : path.substr(0, slash);
  // Hidden while it is being written, so the desktop never shows a half-made icon.
  const std::string temporary = dir + "/." + path.substr(slash + 1) + "." + std::to_string(::getpid()) + ".tmp";
  // Desktops only start launchers that are marked executable.
  return ReplaceFileAtomically(path, temporary, text, 0755) == ReplaceResult::Ok;
}

bool DeleteFileA(const char* path) {
  if (!path || !path[0]) return false;
  struct stat st {};
  if (::lstat(path, &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(path) == 0;
}
