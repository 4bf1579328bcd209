// The user's desktop folder and the game's launcher on it: finding the folder, writing and removing the file.
// The game and Uninstall both go through here, so they always agree on where the launcher lives.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr const char* kGameProgramName = "Quillmere Brindlemoor";
constexpr const char* kLauncherFileName = "Quillmere Brindlemoor.desktop";
// The game keeps the desktop folder in 256 bytes and builds the launcher's path in 260; longer paths are
// refused rather than cut, since a cut path names some other file.
constexpr size_t kDesktopFolderBuffer = 256;
constexpr size_t kLauncherPathBuffer = 260;

// XDG_DESKTOP_DIR from the text of a user-dirs.dirs file, "$HOME" expanded, quotes and shell escapes
// removed, trailing slashes dropped; empty when the file does not set it usably (a relative path, no quotes).
std::string ParseDesktopDir(std::string_view userDirs, std::string_view home);

// The desktop folder the session names ($XDG_CONFIG_HOME/user-dirs.dirs, else ~/.config/user-dirs.dirs,
// else ~/Desktop). False, like a key that does not open, when that is not an existing folder, when it is
// the home folder itself (how a user switches the desktop off), or when its path does not fit the game's
// buffer.
bool OpenDesktopFolder(std::string* folder);

// "<desktop>/Quillmere Brindlemoor.desktop"; false when that path would not fit the game's buffer.
bool LauncherPathFor(std::string_view desktop, std::string* path);

// The name the installed menu entry, icons and AppStream record go by.
extern const char kAppId[];
// The icon installed beside the game folder at folder (the hicolor theme's 256-pixel one, by its resolved
// path), or empty when folder is not an installed game folder.
std::string InstalledIconFor(std::string_view folder);

// One Exec argument quoted so that the desktop reads back exactly path (spaces and all).
std::string QuoteExecArgument(std::string_view path);
// The launcher's text for the program at program, run in folder, showing icon when one is given; empty when
// a path cannot be written in a launcher at all (not UTF-8, control characters).
std::string FormatLauncher(std::string_view program, std::string_view folder, std::string_view icon = "");

// Writes the launcher at path, with the installed icon when there is one, executable, replacing any old one
// in a single step; false on any failure (nothing half-written is left behind).
bool WriteLauncher(const std::string& path, std::string_view program, std::string_view folder);

// Removes one file (never a folder); false when nothing was removed.
bool DeleteFileA(const char* path);
