// The game's settings key kept as a small text file, and the owner name the game asks the machine for.
// Values are the game's Windows-1252 strings; the file holds them as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/draw/text_encoding.h"

// Status codes, with the numbers the game's registry calls returned.
constexpr int32_t kSettingsOk = 0;
constexpr int32_t kSettingsNotFound = 2;       // no such key or value
constexpr int32_t kSettingsAccessDenied = 5;   // the file or its folder cannot be read or written
constexpr int32_t kSettingsWriteFault = 29;    // writing the file failed; the old file is untouched
constexpr int32_t kSettingsBadParameter = 87;  // a text the file cannot hold (line breaks, control characters)
constexpr int32_t kSettingsMoreData = 234;     // the value does not fit the caller's buffer

constexpr const char* kSettingsKeyHeader = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lindqvarn\\Kormo1]";

struct SettingsValue {
  std::string name;  // Windows-1252
  std::string text;  // Windows-1252, without the terminating zero
};

// What a settings file's text holds. Lines that cannot be read are skipped and counted, so one damaged line
// never costs the others.
struct SettingsParse {
  std::vector<SettingsValue> values;  // file order; a repeated name keeps its last text
  int32_t badLines = 0;               // including a missing or wrong header line
  bool damaged() const { return badLines > 0; }
};
SettingsParse ParseSettingsText(std::string_view fileText);
std::string FormatSettingsText(const std::vector<SettingsValue>& values);

// Windows-1252 <-> UTF-8. The five bytes 1252 leaves undefined map to U+0081.. so that every byte survives the
// round trip; characters 1252 cannot hold become '?'.
std::string Utf8ToCp1252(std::string_view text, bool* wasValid = nullptr);

// The settings file: $XDG_CONFIG_HOME/Lindqvarn/Kormo1.reg, else ~/.config/Lindqvarn/Kormo1.reg.
std::string SettingsFilePath();

// An open settings key. Changes are held until SettingsFlushKey or SettingsCloseKey, which replace the file
// in one atomic step, so an operation's values reach the disk all together or not at all.
struct SettingsKey {
  bool open = false;
  bool dirty = false;
  bool damaged = false;  // the file read had unreadable lines: keep it aside before replacing it
  std::string path;
  std::vector<SettingsValue> values;
};

// Opens the key, or makes a new one when the file does not exist (*created is then true; the file itself
// appears with the first flush). An unreadable file does not open.
int32_t SettingsCreateKey(SettingsKey* key, bool* created);
// Opens an existing key only.
int32_t SettingsOpenKey(SettingsKey* key);
// The value's text; kSettingsMoreData when text and terminating zero need more than bufferSize bytes.
int32_t SettingsQueryValue(const SettingsKey& key, std::string_view name, size_t bufferSize, std::string* text);
int32_t SettingsSetValue(SettingsKey* key, std::string_view name, std::string_view text);
// Writes pending changes now: temporary file beside the real one, fsync, rename, fsync of the folder.
int32_t SettingsFlushKey(SettingsKey* key);
// Flushes and closes; returns the flush's status.
int32_t SettingsCloseKey(SettingsKey* key);
// Removes the settings file (for the uninstaller) with the copies kept of damaged ones, then its folder if
// nothing else is left in it. The status is the settings file's own.
int32_t SettingsDeleteKey();

// The user's full name from the password database (up to the first comma), Windows-1252; else empty.
std::string RegisteredOwner();
