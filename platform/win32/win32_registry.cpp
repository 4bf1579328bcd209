// The settings key in the real registry, HKEY_CURRENT_USER\Software\Lindqvarn\Kormo1: every value is written
// the moment it changes, as REG_SZ in the ANSI code page the game's strings are in.
#include <windows.h>

#include "platform/files/settings_file.h"

namespace {

constexpr const char* kParentPath = "Software\\Lindqvarn";
constexpr const char* kKeyPath = "Software\\Lindqvarn\\Kormo1";
constexpr const char* kKeyName = "HKEY_CURRENT_USER\\Software\\Lindqvarn\\Kormo1";

int32_t Status(LONG result) {
  switch (result) {
    case ERROR_SUCCESS:
      return kSettingsOk;
    case ERROR_FILE_NOT_FOUND:
      return kSettingsNotFound;
    case ERROR_ACCESS_DENIED:
      return kSettingsAccessDenied;
    case ERROR_MORE_DATA:
      return kSettingsMoreData;
    default:
      return kSettingsWriteFault;
  }
}

int32_t Opened(SettingsKey* key, LONG result, HKEY handle) {
  if (result != ERROR_SUCCESS) return Status(result);
  RegCloseKey(handle);
  *key = SettingsKey{};
  key->open = true;
  key->path = kKeyName;
  return kSettingsOk;
}

}  // namespace

int32_t SettingsCreateKey(SettingsKey* key, bool* created) {
  HKEY handle = nullptr;
  DWORD disposition = 0;
  const LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_READ | KEY_WRITE, nullptr, &handle, &disposition);
  if (created) *created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return Opened(key, result, handle);
}

int32_t SettingsOpenKey(SettingsKey* key) {
  HKEY handle = nullptr;
  return Opened(key, RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &handle), handle);
}

int32_t SettingsQueryValue(const SettingsKey& key, std::string_view name, size_t bufferSize, std::string* text) {
  if (!key.open) return kSettingsNotFound;
  const std::string valueName(name);
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegGetValueA(HKEY_CURRENT_USER, kKeyPath, valueName.c_str(), RRF_RT_REG_SZ, &type, nullptr, &size);
  if (result != ERROR_SUCCESS) return Status(result);
  if (size > bufferSize) return kSettingsMoreData;
  std::string value(size, '\0');
  result = RegGetValueA(HKEY_CURRENT_USER, kKeyPath, valueName.c_str(), RRF_RT_REG_SZ, &type, value.data(), &size);
  if (result != ERROR_SUCCESS) return Status(result);
  value.resize(strnlen(value.c_str(), size));
  *text = value;
  return kSettingsOk;
}

int32_t SettingsSetValue(SettingsKey* key, std::string_view name, std::string_view text) {
  if (!key->open) return kSettingsNotFound;
  if (text.find('\0') != std::string_view::npos) return kSettingsBadParameter;
  const std::string valueName(name), value(text);
  HKEY handle = nullptr;
  LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_SET_VALUE, &handle);
  if (result != ERROR_SUCCESS) return Status(result);
  result = RegSetValueExA(handle, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return Status(result);
}

// Each value reached the registry when it was set.
int32_t SettingsFlushKey(SettingsKey* key) { return key->open ? kSettingsOk : kSettingsNotFound; }

int32_t SettingsCloseKey(SettingsKey* key) {
  const int32_t status = SettingsFlushKey(key);
  *key = SettingsKey{};
  return status;
}

// The key, then the company's key when nothing else of it is left.
int32_t SettingsDeleteKey() {
  const int32_t status = Status(RegDeleteKeyA(HKEY_CURRENT_USER, kKeyPath));
  HKEY parent = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kParentPath, 0, KEY_READ, &parent) == ERROR_SUCCESS) {
    DWORD subkeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                        nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    RegCloseKey(parent);
    if (empty) RegDeleteKeyA(HKEY_CURRENT_USER, kParentPath);
  }
  return status;
}

std::string RegisteredOwner() {
  char owner[256] = {};
  DWORD size = sizeof owner;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner",
                   RRF_RT_REG_SZ, nullptr, owner, &size) != ERROR_SUCCESS) {
    return {};
  }
  return std::string(owner, strnlen(owner, sizeof owner));
}
